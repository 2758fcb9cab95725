// The push button's six frame pictures, drawn from the colour table, and the composition of
// a whole face at a control's size: the two-colour gradient with eight frame pieces over it.
// The Win32 control draws the same pieces with GradientFill and StretchBlt; the preview
// image and the tests use the composition here.
#pragma once

#include <array>
#include <cstdint>

#include "common/rgb_image.h"
#include "saver/controls/button_state.h"

namespace mirokan {

inline constexpr int kFaceWidth = 64;   // 960 twips at 15 twips per pixel
inline constexpr int kFaceHeight = 25;  // 375 twips
inline constexpr int kCornerSize = 4;   // 60 twips: only this outer band is ever drawn
inline constexpr int kTwipsPerPixel = 15;

inline constexpr Rgb kGradientLight = RgbOf(0xFFFFFF);
inline constexpr Rgb kGradientDark = RgbOf(0xC6C5D7);

// One 64 x 25 picture; HighLightSelect is HighLight pixel for pixel.
RgbImage FacePicture(ButtonFace face);

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
};
struct FramePiece {
  PixelRect destination;
  PixelRect source;  // within the 64 x 25 picture
};
// The eight pieces for a control of width x height pixels: corners, then edges stretched
// along the control. The middle of the picture is never drawn. A control narrower or lower
// than two corners gives pieces of zero or negative span, which callers skip.
std::array<FramePiece, 8> FramePieces(int width, int height);

// Colour of row `row` of the gradient over `height` pixel rows, as a two-vertex vertical
// GradientFill computes it: the first vertex's colour on row 0 and the second's reached at
// row height - 1 (which the fill itself leaves out).
Rgb GradientRow(Gradient gradient, int row, int height);

// The whole face as DrawFace leaves it: cleared to `clear`, the gradient over all but the
// last row and column, then the eight pieces (nearest-pixel stretch).
RgbImage ComposeFace(ButtonFace face, Gradient gradient, int width, int height,
                     Rgb clear = RgbOf(0xECE9D8));

// Top of the caption in pixels: (H - label height - 20 twips) / 2, to the nearest pixel.
int CaptionTop(int control_height, int label_height);

}  // namespace mirokan
