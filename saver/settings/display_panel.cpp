#include "saver/settings/display_panel.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

namespace mirokan {
namespace {

constexpr int kDesignTwipsPerPixel = 15;
constexpr double kBandPeak = 174.0;
// A Gaussian across the band whose part at half strength or more is about 14 columns wide.
constexpr double kBandSigma = 14.0 / 2.3548;

std::uint8_t Grey(double level) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(level), 0L, 255L));
}

}  // namespace

int ScaleDesignPixels(int pixels, int twips_per_pixel) {
  if (twips_per_pixel <= 0) twips_per_pixel = kDesignTwipsPerPixel;
  // Rounded to the nearest pixel, halves away from zero, so 1.5 × 69 gives 104.
  const long twips = static_cast<long>(pixels) * kDesignTwipsPerPixel;
  const long half = twips_per_pixel / 2;
  return static_cast<int>(twips >= 0 ? (twips + half) / twips_per_pixel
                                     : -((-twips + half) / twips_per_pixel));
}

PanelGeometry PanelGeometryFor(int twips_per_pixel) {
  const PanelGeometry design;
  const auto s = [&](int v) { return ScaleDesignPixels(v, twips_per_pixel); };
  PanelGeometry g;
  g.display_width = s(design.display_width);
  g.display_height = s(design.display_height);
  g.band_width = s(design.band_width);
  g.band_height = s(design.band_height);
  g.band_step = std::max(1, s(design.band_step));
  g.star_size = s(design.star_size);
  g.star_x = s(design.star_x);
  g.star_y = s(design.star_y);
  g.star_window_low = s(design.star_window_low);
  g.star_window_high = s(design.star_window_high);
  g.text_x = s(design.text_x);
  g.text_y = s(design.text_y);
  return g;
}

PanelState InitialPanelState(const PanelGeometry& geometry) {
  PanelState state;
  state.HiliteX = -geometry.band_width;
  state.StarActive = false;
  return state;
}

PanelFrame AdvancePanel(PanelState& state, const PanelGeometry& geometry) {
  PanelFrame frame;
  frame.band_x = state.HiliteX;

  state.HiliteX += geometry.band_step;
  if (geometry.display_width < state.HiliteX) state.HiliteX = -geometry.band_width;

  if (geometry.star_window_low < state.HiliteX && state.HiliteX < geometry.star_window_high &&
      !state.StarActive) {
    state.StarActive = true;
    state.StarStep = 1;
    state.StarFrame = 0;
  }

  if (state.StarActive) {
    // A frame index past the pictures would be a fault of the sequence below, never of input.
    assert(state.StarFrame >= 0 && state.StarFrame < kStarPictures && "star frame in range");
    frame.star_picture = state.StarFrame;
    state.StarFrame = static_cast<std::int16_t>(state.StarFrame + state.StarStep);
    if (state.StarStep > 0 && state.StarFrame == kStarPictures) {
      state.StarStep = static_cast<std::int16_t>(-state.StarStep);
      state.StarFrame = static_cast<std::int16_t>(state.StarFrame + state.StarStep);
    } else if (state.StarStep < 0 && state.StarFrame < 0) {
      state.StarActive = false;
    }
  }
  return frame;
}

RgbImage BandPicture(const PanelGeometry& geometry) {
  const int width = geometry.band_width;
  const int height = geometry.band_height;
  RgbImage band(width, height);
  if (width <= 0 || height <= 0) return band;
  // Measured on the design picture: column 53 at the top, 18 at the bottom, a straight line
  // through 47 on row 24 and 36 on row 62.
  const double scale_x = width / 69.0;
  const double scale_y = height / 125.0;
  const double sigma = kBandSigma * scale_x;
  for (int y = 0; y < height; ++y) {
    const double design_row = y / scale_y;
    const double centre = (53.4 - 35.4 * design_row / 124.0) * scale_x;
    // The peak sits on a whole column so every row reaches the full 174.
    const long peak_column = std::lround(centre);
    for (int x = 0; x < width; ++x) {
      const double d = static_cast<double>(x - peak_column);
      const double level = kBandPeak * std::exp(-d * d / (2.0 * sigma * sigma));
      const std::uint8_t g = Grey(level < 0.5 ? 0.0 : level);
      band.Set(x, y, {g, g, g});
    }
  }
  return band;
}

RgbImage StarPicture(int index, const PanelGeometry& geometry) {
  const int size = geometry.star_size;
  RgbImage star(size, size);
  if (index < 0 || index >= kStarPictures || size <= 0) return star;
  const double scale = size / 28.0;
  const StarLook look = kStarLooks[static_cast<std::size_t>(index)];
  const double centre = size / 2.0;  // between pixels: 28 / 2 = 14 is the edge of pixel 13
  // Half the lit square, measured from the centre to the outer edge of its last pixel.
  const double half = (14.0 - look.lit_first) * scale;
  const double ray_length = half * std::sqrt(2.0) + 0.5;
  const double ray_width = 0.9 * scale;
  const double core = half / 4.0;

  std::vector<double> level(static_cast<std::size_t>(size) * size, 0.0);
  double brightest = 0.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = x + 0.5 - centre;
      const double dy = y + 0.5 - centre;
      if (std::abs(dx) >= half || std::abs(dy) >= half) continue;
      // Coordinates along the two diagonals: the rays run along u and along v.
      const double u = (dx + dy) / std::sqrt(2.0);
      const double v = (dx - dy) / std::sqrt(2.0);
      const auto ray = [&](double along, double across) {
        const double fade = std::max(0.0, 1.0 - std::abs(along) / ray_length);
        return fade * std::exp(-(across * across) / (ray_width * ray_width));
      };
      const double glow = std::exp(-(dx * dx + dy * dy) / (2.0 * core * core));
      const double value = std::max({glow, ray(u, v), ray(v, u)});
      level[static_cast<std::size_t>(y) * size + x] = value;
      brightest = std::max(brightest, value);
    }
  }
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double value = level[static_cast<std::size_t>(y) * size + x] / brightest;
      // Every pixel of the lit square keeps at least a glimmer, so the square is exact.
      const bool lit = value > 0.0;
      std::uint8_t g = Grey(value * look.peak);
      if (lit && g == 0) g = 1;
      star.Set(x, y, {g, g, g});
    }
  }
  return star;
}

std::uint8_t AddLight(std::uint8_t destination, std::uint8_t source) {
  const int sum = destination + (source * 254 + 127) / 255;
  return static_cast<std::uint8_t>(std::min(sum, 255));
}

void AddLightAt(const BgrPixels& destination, const RgbImage& light, int x, int y) {
  if (!destination.rows) return;
  const int first_x = std::max(0, x);
  const int first_y = std::max(0, y);
  const int end_x = std::min(destination.width, x + light.Width());
  const int end_y = std::min(destination.height, y + light.Height());
  for (int row = first_y; row < end_y; ++row) {
    std::uint8_t* pixel = destination.rows + static_cast<std::ptrdiff_t>(row) * destination.stride +
                          static_cast<std::ptrdiff_t>(first_x) * 3;
    for (int column = first_x; column < end_x; ++column, pixel += 3) {
      const Rgb add = light.At(column - x, row - y);
      pixel[0] = AddLight(pixel[0], add.b);
      pixel[1] = AddLight(pixel[1], add.g);
      pixel[2] = AddLight(pixel[2], add.r);
    }
  }
}

}  // namespace mirokan
