// The settings dialog's animated banner as plain data: its geometry at a screen scale, the
// tick-by-tick timeline of the sweeping band and the twinkling star, and the pictures and
// additive blend the frames are composed from. The Win32 dialog only applies these.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/rgb_image.h"

namespace mirokan {

// Every measure of the banner in pixels of one screen. At 15 twips per pixel these are the
// design's numbers; on a scaled screen each grows with the screen so the banner stays sharp
// (its pictures are drawn anew at that size instead of being stretched).
struct PanelGeometry {
  int display_width = 309;
  int display_height = 25;
  int band_width = 69;
  int band_height = 125;
  int band_step = 8;
  int star_size = 28;
  int star_x = 287;
  int star_y = 4;
  int star_window_low = 250;  // the star starts when low < HiliteX < high
  int star_window_high = 280;
  int text_x = 2;
  int text_y = 2;
};

// Scales a design length in pixels at 96 dpi (15 twips per pixel) to a screen.
int ScaleDesignPixels(int pixels, int twips_per_pixel);
PanelGeometry PanelGeometryFor(int twips_per_pixel);

// The state carried from tick to tick.
struct PanelState {
  std::int32_t HiliteX = 0;
  bool StarActive = false;
  std::int16_t StarFrame = 0;
  std::int16_t StarStep = 0;
};

// What one tick draws: the band's left edge on the text layer and, while the star runs, the
// star picture to add at the star's place.
struct PanelFrame {
  std::int32_t band_x = 0;
  std::optional<std::int16_t> star_picture;
  bool operator==(const PanelFrame&) const = default;
};

// The state right after the dialog's load: the band wholly left of the panel, no star.
PanelState InitialPanelState(const PanelGeometry& geometry);

// One tick: the frame to draw with the state as it stands, then the band's motion, the
// star's start and the star's step.
PanelFrame AdvancePanel(PanelState& state, const PanelGeometry& geometry);

inline constexpr int kStarPictures = 4;

// The slanted band of light: grey levels on black, brightest column x = 53 on the top row,
// drifting left to x = 18 on the bottom row, peak grey 174, about 14 columns at half
// strength or more.
RgbImage BandPicture(const PanelGeometry& geometry);

// Star picture `index` (0 to 3): a soft four-pointed star with diagonal rays, centred in
// its square and growing with the index; its lit square and peak grey follow kStarLooks.
RgbImage StarPicture(int index, const PanelGeometry& geometry);

struct StarLook {
  int lit_first;  // first lit column and row at the design size; the last mirrors it
  std::uint8_t peak;
};
inline constexpr std::array<StarLook, kStarPictures> kStarLooks{{
    {10, 241},
    {8, 252},
    {6, 254},
    {4, 254},
}};

// The banner's additive blend: per channel destination + source × 254 / 255, saturating
// at 255, so light is only ever added and black adds nothing.
std::uint8_t AddLight(std::uint8_t destination, std::uint8_t source);

// 24-bit pixels in rows of blue, green, red: `rows` is the top row, and each next row lies
// `stride` bytes on (negative for the dialog's bottom-up off-screen pictures).
struct BgrPixels {
  std::uint8_t* rows = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
};

// Adds `light` with its top left at (x, y), clipped to the destination. This is the
// banner's blend function (constant alpha 254, source alpha 0) done in our own code: the
// platform's blend wraps channel sums above 255 around on some systems instead of
// saturating, which would turn the letters dark under the band.
void AddLightAt(const BgrPixels& destination, const RgbImage& light, int x, int y);

}  // namespace mirokan
