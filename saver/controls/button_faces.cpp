#include "saver/controls/button_faces.h"

#include <algorithm>
#include <cmath>

namespace mirokan {
namespace {

// Colours of one picture, from the outside in: rim line(s), the 1-pixel border line, the
// inner band (index 0 next to the border), then the face.
struct Palette {
  int rim_lines = 1;
  Rgb outer_rim;  // the outermost line when there are two
  Rgb rim_top, rim_left, rim_bottom, rim_right;
  Rgb border;
  Rgb band_top[2], band_bottom[2];
  Rgb left_top, left_bottom, right_top, right_bottom;  // sides, shaded top to bottom
  bool darker_next_to_border = false;
  Rgb face;
};

constexpr Rgb kRimTop = RgbOf(0xDCD6C2);
constexpr Rgb kRimLeft = RgbOf(0xE2DECB);
constexpr Rgb kRimBottom = RgbOf(0xFAFAF6);
constexpr Rgb kRimRight = RgbOf(0xF0EEE0);
constexpr Rgb kBorder = RgbOf(0x003C74);
constexpr Rgb kFace = RgbOf(0xF3F3EE);

Palette PaletteOf(ButtonFace face) {
  Palette p;
  p.rim_top = kRimTop;
  p.rim_left = kRimLeft;
  p.rim_bottom = kRimBottom;
  p.rim_right = kRimRight;
  p.border = kBorder;
  p.face = kFace;
  const auto band = [&p](Rgb top0, Rgb top1, Rgb bottom0, Rgb bottom1) {
    p.band_top[0] = top0;
    p.band_top[1] = top1;
    p.band_bottom[0] = bottom0;
    p.band_bottom[1] = bottom1;
  };
  const auto sides = [&p](Rgb left_top, Rgb left_bottom, Rgb right_top, Rgb right_bottom) {
    p.left_top = left_top;
    p.left_bottom = left_bottom;
    p.right_top = right_top;
    p.right_bottom = right_bottom;
  };
  switch (face) {
    case ButtonFace::Normal:
      band(kFace, kFace, RgbOf(0xD6D0C5), RgbOf(0xE2DFD6));
      sides(RgbOf(0xFDFDFC), RgbOf(0xECEBE6), RgbOf(0xFBFBFA), RgbOf(0xE4E2DA));
      p.darker_next_to_border = true;
      break;
    case ButtonFace::HighLight:
    case ButtonFace::HighLightSelect:
      band(RgbOf(0xFFF0CF), RgbOf(0xFDD889), RgbOf(0xE59700), RgbOf(0xF8B330));
      sides(RgbOf(0xFEDF9A), RgbOf(0xF9B435), RgbOf(0xFEDF9A), RgbOf(0xF9B435));
      break;
    case ButtonFace::Selected:
      band(RgbOf(0xCEE7FF), RgbOf(0xCEE7FF), RgbOf(0x6982EE), RgbOf(0x6982EE));
      sides(RgbOf(0xB7D0F4), RgbOf(0x8BADE4), RgbOf(0xB7D0F4), RgbOf(0x8BADE4));
      break;
    case ButtonFace::Pressed:
      // The frame sits one pixel further in: two rim lines and a single band line.
      p.rim_lines = 2;
      p.outer_rim = RgbOf(0xECE9D8);
      band(RgbOf(0xD1CCC1), RgbOf(0xD1CCC1), RgbOf(0xF2F1EE), RgbOf(0xF2F1EE));
      sides(RgbOf(0xD7D4CB), RgbOf(0xD7D4CB), RgbOf(0xE4E3DC), RgbOf(0xE4E3DC));
      p.face = RgbOf(0xE2E1D9);
      break;
    case ButtonFace::Disable: {
      const Rgb rim = RgbOf(0xECE9D8);
      const Rgb flat = RgbOf(0xF5F4EA);
      p.rim_top = p.rim_left = p.rim_bottom = p.rim_right = rim;
      p.border = RgbOf(0xC9C7BA);
      band(flat, flat, flat, flat);
      sides(flat, flat, flat, flat);
      p.face = flat;
      break;
    }
  }
  return p;
}

std::uint8_t Mix(std::uint8_t a, std::uint8_t b, double t) {
  return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
}
Rgb Mix(Rgb a, Rgb b, double t) {
  return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
Rgb Darker(Rgb c) {
  return Mix(c, Rgb{}, 0.03);
}

enum class Side { kTop, kBottom, kLeft, kRight };

Rgb RimOf(const Palette& p, Side side) {
  switch (side) {
    case Side::kTop:
      return p.rim_top;
    case Side::kBottom:
      return p.rim_bottom;
    case Side::kLeft:
      return p.rim_left;
    case Side::kRight:
      return p.rim_right;
  }
  return p.rim_top;
}

// The square frame: each pixel takes the colour of the nearest edge's line at its depth;
// at equal distances top and bottom win, so the corners of every line belong to the rows.
Rgb SquarePixel(const Palette& p, int x, int y, int width, int height) {
  const int top = y, bottom = height - 1 - y, left = x, right = width - 1 - x;
  const int depth = std::min({top, bottom, left, right});
  const Side side = depth == top      ? Side::kTop
                    : depth == bottom ? Side::kBottom
                    : depth == left   ? Side::kLeft
                                      : Side::kRight;
  if (depth < p.rim_lines) return p.rim_lines == 2 && depth == 0 ? p.outer_rim : RimOf(p, side);
  if (depth == p.rim_lines) return p.border;
  const int band = depth - p.rim_lines - 1;
  if (band >= kCornerSize - p.rim_lines - 1) return p.face;
  // Sides shade over the rows between the top and bottom bands.
  const double t = std::clamp((y - kCornerSize) / double(height - 2 * kCornerSize - 1), 0.0, 1.0);
  switch (side) {
    case Side::kTop:
      return p.band_top[band];
    case Side::kBottom:
      return p.band_bottom[band];
    case Side::kLeft: {
      const Rgb c = Mix(p.left_top, p.left_bottom, t);
      return p.darker_next_to_border && band == 0 ? Darker(c) : c;
    }
    case Side::kRight: {
      const Rgb c = Mix(p.right_top, p.right_bottom, t);
      return p.darker_next_to_border && band == 0 ? Darker(c) : c;
    }
  }
  return p.face;
}

Rgb Half(Rgb a, Rgb b) {
  return Mix(a, b, 0.5);
}

// Rounds the border line at the four corners: its corner pixel shows the rim, the two beside
// it are halfway between border and rim, and the pixel diagonally inside joins the curve.
void RoundCorners(const Palette& p, RgbImage& picture) {
  const int w = picture.Width(), h = picture.Height();
  const int b = p.rim_lines;  // depth of the border line
  struct Corner {
    int x, y, dx, dy;  // corner pixel of the border line and the direction inwards
    Side row_side, column_side;
  };
  const Corner corners[] = {
      {b, b, 1, 1, Side::kTop, Side::kLeft},
      {w - 1 - b, b, -1, 1, Side::kTop, Side::kRight},
      {b, h - 1 - b, 1, -1, Side::kBottom, Side::kLeft},
      {w - 1 - b, h - 1 - b, -1, -1, Side::kBottom, Side::kRight},
  };
  for (const Corner& c : corners) {
    const Rgb row_rim = RimOf(p, c.row_side);
    const Rgb column_rim = RimOf(p, c.column_side);
    picture.Set(c.x, c.y, row_rim);
    picture.Set(c.x + c.dx, c.y, Half(p.border, row_rim));
    picture.Set(c.x, c.y + c.dy, Half(p.border, column_rim));
    picture.Set(c.x + c.dx, c.y + c.dy, p.border);
  }
}

}  // namespace

RgbImage FacePicture(ButtonFace face) {
  const Palette palette = PaletteOf(face);
  RgbImage picture(kFaceWidth, kFaceHeight);
  for (int y = 0; y < kFaceHeight; ++y) {
    for (int x = 0; x < kFaceWidth; ++x) {
      picture.Set(x, y, SquarePixel(palette, x, y, kFaceWidth, kFaceHeight));
    }
  }
  RoundCorners(palette, picture);
  return picture;
}

std::array<FramePiece, 8> FramePieces(int width, int height) {
  // The piece table is laid out in twips; 1 twip is less than a pixel and lands on pixel 0.
  const int w = width * kTwipsPerPixel, h = height * kTwipsPerPixel;
  struct TwipsPiece {
    int dx, dy, dw, dh, sx, sy, sw, sh;  // a destination size of 0 means "as the source"
  };
  const TwipsPiece table[8] = {
      {1, 1, 0, 0, 0, 0, 60, 60},                  // top-left corner
      {60, 1, w - 120, 0, 60, 1, 840, 60},         // top edge
      {w - 60, 1, 0, 0, 900, 1, 60, 60},           // top-right corner
      {w - 60, 60, 0, h - 120, 900, 60, 60, 255},  // right edge
      {w - 60, h - 60, 0, 0, 900, 315, 60, 60},    // bottom-right corner
      {60, h - 60, w - 120, 0, 60, 315, 840, 60},  // bottom edge
      {1, h - 60, 0, 0, 0, 315, 60, 60},           // bottom-left corner
      {1, 60, 0, h - 120, 1, 60, 60, 255},         // left edge
  };
  const auto px = [](int twips) { return twips / kTwipsPerPixel; };
  std::array<FramePiece, 8> pieces;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const TwipsPiece& t = table[i];
    const PixelRect source{px(t.sx), px(t.sy), px(t.sw), px(t.sh)};
    pieces[i].source = source;
    pieces[i].destination = {px(t.dx), px(t.dy), t.dw ? px(t.dw) : source.width,
                             t.dh ? px(t.dh) : source.height};
  }
  return pieces;
}

Rgb GradientRow(Gradient gradient, int row, int height) {
  const Rgb first = gradient == Gradient::kPlain ? kGradientLight : kGradientDark;
  const Rgb second = gradient == Gradient::kPlain ? kGradientDark : kGradientLight;
  const int span = height - 1;
  if (span <= 0 || row <= 0) return first;
  if (row >= span) return second;
  // GradientFill's 16-bit channels carry the 8-bit value in the high byte, so the row's
  // value is (c1 * (span - row) + c2 * row) / span, truncated.
  const auto channel = [&](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>((a * (span - row) + b * row) / span);
  };
  return {channel(first.r, second.r), channel(first.g, second.g), channel(first.b, second.b)};
}

RgbImage ComposeFace(ButtonFace face, Gradient gradient, int width, int height, Rgb clear) {
  constexpr int kLargest = 16384;
  if (width <= 0 || height <= 0 || width > kLargest || height > kLargest) return {};
  RgbImage image(width, height, clear);
  // The fill's rectangle ends before its second vertex: the last row and column stay clear.
  for (int y = 0; y + 1 < height; ++y) {
    const Rgb row = GradientRow(gradient, y, height);
    for (int x = 0; x + 1 < width; ++x) image.Set(x, y, row);
  }
  const RgbImage picture = FacePicture(face);
  for (const FramePiece& piece : FramePieces(width, height)) {
    const PixelRect& d = piece.destination;
    const PixelRect& s = piece.source;
    if (d.width <= 0 || d.height <= 0 || s.width <= 0 || s.height <= 0) continue;
    for (int dy = 0; dy < d.height; ++dy) {
      const int sy = s.y + int(std::int64_t(dy) * s.height / d.height);
      for (int dx = 0; dx < d.width; ++dx) {
        const int sx = s.x + int(std::int64_t(dx) * s.width / d.width);
        image.Set(d.x + dx, d.y + dy, picture.At(sx, sy));
      }
    }
  }
  return image;
}

int CaptionTop(int control_height, int label_height) {
  const double twips =
      (double(control_height) * kTwipsPerPixel - double(label_height) * kTwipsPerPixel - 20) / 2;
  return int(std::lround(twips / kTwipsPerPixel));
}

}  // namespace mirokan
