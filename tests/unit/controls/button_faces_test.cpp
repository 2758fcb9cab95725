#include "saver/controls/button_faces.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace mirokan {

// Colours print as hex in failure messages.
[[maybe_unused]] static void PrintTo(const Rgb& c, std::ostream* os) {
  char text[8];
  std::snprintf(text, sizeof(text), "%02X%02X%02X", c.r, c.g, c.b);
  *os << text;
}

namespace {

Rgb Half(Rgb a, Rgb b) {
  return {std::uint8_t((a.r + b.r + 1) / 2), std::uint8_t((a.g + b.g + 1) / 2),
          std::uint8_t((a.b + b.b + 1) / 2)};
}

int Brightness(Rgb c) {
  return c.r + c.g + c.b;
}

TEST(FacePictures, KeyPixels) {
  struct Case {
    ButtonFace face;
    int border_depth;  // 1, or 2 for Pressed
    std::uint32_t rim_top, rim_left, rim_bottom, rim_right, border;
    std::uint32_t band_top, band_bottom;  // next to the border
    std::uint32_t side_top;               // inner side column, first side row
  };
  const Case cases[] = {
      {ButtonFace::Normal, 1, 0xDCD6C2, 0xE2DECB, 0xFAFAF6, 0xF0EEE0, 0x003C74, 0xF3F3EE, 0xD6D0C5,
       0xFDFDFC},
      {ButtonFace::HighLight, 1, 0xDCD6C2, 0xE2DECB, 0xFAFAF6, 0xF0EEE0, 0x003C74, 0xFFF0CF,
       0xE59700, 0xFEDF9A},
      {ButtonFace::Selected, 1, 0xDCD6C2, 0xE2DECB, 0xFAFAF6, 0xF0EEE0, 0x003C74, 0xCEE7FF,
       0x6982EE, 0xB7D0F4},
      {ButtonFace::Pressed, 2, 0xDCD6C2, 0xE2DECB, 0xFAFAF6, 0xF0EEE0, 0x003C74, 0xD1CCC1, 0xF2F1EE,
       0xD7D4CB},
      {ButtonFace::Disable, 1, 0xECE9D8, 0xECE9D8, 0xECE9D8, 0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA,
       0xF5F4EA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("face " + std::to_string(int(c.face)));
    const RgbImage p = FacePicture(c.face);
    ASSERT_EQ(p.Width(), 64);
    ASSERT_EQ(p.Height(), 25);
    const int b = c.border_depth;
    const int r = b - 1;  // the rim line just outside the border
    EXPECT_EQ(p.At(30, r), RgbOf(c.rim_top));
    EXPECT_EQ(p.At(r, 12), RgbOf(c.rim_left));
    EXPECT_EQ(p.At(30, 24 - r), RgbOf(c.rim_bottom));
    EXPECT_EQ(p.At(63 - r, 12), RgbOf(c.rim_right));
    for (const auto& [x, y] : {std::pair{30, b}, {b, 12}, {30, 24 - b}, {63 - b, 12}}) {
      EXPECT_EQ(p.At(x, y), RgbOf(c.border)) << x << "," << y;
    }
    EXPECT_EQ(p.At(30, b + 1), RgbOf(c.band_top));
    EXPECT_EQ(p.At(30, 23 - b), RgbOf(c.band_bottom));
    EXPECT_EQ(p.At(3, 4), RgbOf(c.side_top));
    // Rounded corners: the border's corner pixel shows the rim, its neighbours are blends
    // and the pixel diagonally inside carries the border on.
    EXPECT_EQ(p.At(b, b), RgbOf(c.rim_top));
    EXPECT_EQ(p.At(63 - b, 24 - b), RgbOf(c.rim_bottom));
    EXPECT_EQ(p.At(b + 1, b), Half(RgbOf(c.border), RgbOf(c.rim_top)));
    EXPECT_EQ(p.At(b, b + 1), Half(RgbOf(c.border), RgbOf(c.rim_left)));
    EXPECT_EQ(p.At(62 - b, 24 - b), Half(RgbOf(c.border), RgbOf(c.rim_bottom)));
    EXPECT_EQ(p.At(b + 1, b + 1), RgbOf(c.border));
  }
}

TEST(FacePictures, DetailsOfSingleFaces) {
  const RgbImage normal = FacePicture(ButtonFace::Normal);
  EXPECT_EQ(normal.At(30, 21), RgbOf(0xE2DFD6));                          // inner bottom band line
  EXPECT_EQ(normal.At(30, 12), RgbOf(0xF3F3EE));                          // face
  EXPECT_EQ(normal.At(3, 20), RgbOf(0xECEBE6));                           // left side shaded down
  EXPECT_EQ(normal.At(60, 20), RgbOf(0xE4E2DA));                          // right side shaded down
  EXPECT_LT(Brightness(normal.At(2, 12)), Brightness(normal.At(3, 12)));  // darker at border

  const RgbImage highlight = FacePicture(ButtonFace::HighLight);
  EXPECT_EQ(highlight.At(30, 3), RgbOf(0xFDD889));
  EXPECT_EQ(highlight.At(30, 21), RgbOf(0xF8B330));
  EXPECT_EQ(highlight.At(2, 20), RgbOf(0xF9B435));
  EXPECT_EQ(FacePicture(ButtonFace::HighLightSelect).Pixels(), highlight.Pixels());

  const RgbImage pressed = FacePicture(ButtonFace::Pressed);
  EXPECT_EQ(pressed.At(30, 0), RgbOf(0xECE9D8));  // outermost of two rim lines
  EXPECT_EQ(pressed.At(0, 12), RgbOf(0xECE9D8));
  EXPECT_EQ(pressed.At(60, 12), RgbOf(0xE4E3DC));  // right band
  EXPECT_EQ(pressed.At(30, 12), RgbOf(0xE2E1D9));  // face
}

TEST(FramePieces, CoverTheOuterBandAndStretchTheEdges) {
  const auto pieces = FramePieces(73, 25);
  EXPECT_EQ(pieces[0].destination, (PixelRect{0, 0, 4, 4}));
  EXPECT_EQ(pieces[1].destination, (PixelRect{4, 0, 65, 4}));
  EXPECT_EQ(pieces[1].source, (PixelRect{4, 0, 56, 4}));
  EXPECT_EQ(pieces[3].destination, (PixelRect{69, 4, 4, 17}));
  EXPECT_EQ(pieces[3].source, (PixelRect{60, 4, 4, 17}));
  EXPECT_EQ(pieces[4].source, (PixelRect{60, 21, 4, 4}));
  EXPECT_EQ(pieces[7].destination, (PixelRect{0, 4, 4, 17}));
}

TEST(ComposeFace, AtThePictureSizeTheFrameIsThePictureAndTheMiddleIsGradient) {
  for (int f = 0; f < kButtonFaceCount; ++f) {
    SCOPED_TRACE("face " + std::to_string(f));
    const auto face = static_cast<ButtonFace>(f);
    const RgbImage picture = FacePicture(face);
    const RgbImage composed = ComposeFace(face, Gradient::Plain, 64, 25);
    for (int y = 0; y < 25; ++y) {
      for (int x = 0; x < 64; ++x) {
        const bool frame = x < 4 || y < 4 || x >= 60 || y >= 21;
        ASSERT_EQ(composed.At(x, y), frame ? picture.At(x, y) : GradientRow(Gradient::Plain, y, 25))
            << x << "," << y;
      }
    }
  }
}

TEST(ComposeFace, GradientRowsAndInversion) {
  EXPECT_EQ(GradientRow(Gradient::Plain, 0, 25), RgbOf(0xFFFFFF));
  EXPECT_EQ(GradientRow(Gradient::Plain, 24, 25), RgbOf(0xC6C5D7));
  EXPECT_EQ(GradientRow(Gradient::Inverted, 0, 25), RgbOf(0xC6C5D7));
  EXPECT_EQ(GradientRow(Gradient::Plain, 12, 25), (Rgb{226, 226, 235}));  // 255 - 57 * 12 / 24
  for (int y = 1; y < 25; ++y) {
    EXPECT_LE(Brightness(GradientRow(Gradient::Plain, y, 25)),
              Brightness(GradientRow(Gradient::Plain, y - 1, 25)));
    EXPECT_GE(Brightness(GradientRow(Gradient::Inverted, y, 25)),
              Brightness(GradientRow(Gradient::Inverted, y - 1, 25)));
  }
  const RgbImage plain = ComposeFace(ButtonFace::Normal, Gradient::Plain, 73, 25);
  const RgbImage inverted = ComposeFace(ButtonFace::Normal, Gradient::Inverted, 73, 25);
  // First and last rows inside the frame.
  EXPECT_EQ(plain.At(36, 4), GradientRow(Gradient::Plain, 4, 25));
  EXPECT_EQ(plain.At(36, 20), GradientRow(Gradient::Plain, 20, 25));
  EXPECT_EQ(inverted.At(36, 4), GradientRow(Gradient::Inverted, 4, 25));
  EXPECT_GT(Brightness(plain.At(36, 4)), Brightness(plain.At(36, 20)));
  EXPECT_LT(Brightness(inverted.At(36, 4)), Brightness(inverted.At(36, 20)));
}

TEST(ComposeFace, WiderAndTallerControlsStretchTheEdges) {
  const RgbImage picture = FacePicture(ButtonFace::Selected);
  const RgbImage wide = ComposeFace(ButtonFace::Selected, Gradient::Plain, 150, 60);
  EXPECT_EQ(wide.At(75, 2), picture.At(30, 2));     // top edge
  EXPECT_EQ(wide.At(146, 58), picture.At(60, 23));  // bottom-right corner
  EXPECT_EQ(wide.At(1, 1), picture.At(1, 1));       // rounded corner kept
  EXPECT_EQ(wide.At(0, 4), picture.At(0, 4));       // left edge, first row
  EXPECT_EQ(wide.At(2, 55), picture.At(2, 20));     // left edge, last row
}

TEST(ComposeFace, DegenerateSizesStayInBounds) {
  EXPECT_EQ(ComposeFace(ButtonFace::Normal, Gradient::Plain, 0, 25).Width(), 0);
  EXPECT_EQ(ComposeFace(ButtonFace::Normal, Gradient::Plain, 73, -1).Height(), 0);
  EXPECT_EQ(ComposeFace(ButtonFace::Normal, Gradient::Plain, 100000, 25).Width(), 0);
  for (const auto& [w, h] : {std::pair{1, 1}, {5, 3}, {7, 30}, {29, 7}}) {
    const RgbImage image = ComposeFace(ButtonFace::Pressed, Gradient::Inverted, w, h);
    EXPECT_EQ(image.Width(), w);
    EXPECT_EQ(image.Height(), h);
  }
}

TEST(CaptionTop, CentresTheLabelTwentyTwipsHigh) {
  EXPECT_EQ(CaptionTop(25, 12), 6);  // (375 - 180 - 20) / 2 = 87.5 twips
  EXPECT_EQ(CaptionTop(25, 13), 5);  // 80 twips
  EXPECT_EQ(CaptionTop(21, 12), 4);
}

}  // namespace
}  // namespace mirokan
