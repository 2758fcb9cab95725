#include "saver/controls/button_faces.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace mirokan {
namespace {

TEST(FacePictures, KeyPixels) {
  struct Frame {
    std::uint32_t rim_top, rim_bottom, border;
  };
  const Frame blue{0xDCD6C2, 0xFAFAF6, 0x003C74};
  const Frame grey{0xECE9D8, 0xECE9D8, 0xC9C7BA};
  const struct {
    ButtonFace face;
    int border_depth;  // 1, or 2 for Pressed
    Frame frame;
    std::uint32_t band_top, band_bottom;  // next to the border
  } cases[] = {
      {ButtonFace::Normal, 1, blue, 0xF3F3EE, 0xD6D0C5},
      {ButtonFace::HighLight, 1, blue, 0xFFF0CF, 0xE59700},
      {ButtonFace::Selected, 1, blue, 0xCEE7FF, 0x6982EE},
      {ButtonFace::Pressed, 2, blue, 0xD1CCC1, 0xF2F1EE},
      {ButtonFace::Disable, 1, grey, 0xF5F4EA, 0xF5F4EA},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("face " + std::to_string(int(c.face)));
    const RgbImage p = FacePicture(c.face);
    ASSERT_EQ(std::pair(p.Width(), p.Height()), std::pair(64, 25));
    const Frame& f = c.frame;
    const int b = c.border_depth;
    const int r = b - 1;  // the rim line just outside the border
    EXPECT_EQ(p.At(30, r), RgbOf(f.rim_top));
    EXPECT_EQ(p.At(30, 24 - r), RgbOf(f.rim_bottom));
    for (const auto& [x, y] : {std::pair{30, b}, {b, 12}, {30, 24 - b}, {63 - b, 12}}) {
      EXPECT_EQ(p.At(x, y), RgbOf(f.border)) << x << "," << y;
    }
    EXPECT_EQ(p.At(30, b + 1), RgbOf(c.band_top));
    EXPECT_EQ(p.At(30, 23 - b), RgbOf(c.band_bottom));
    // Rounded corners: the border's corner pixel is left out (it shows the rim) and the pixel
    // diagonally inside carries the border on.
    EXPECT_EQ(p.At(b, b), RgbOf(f.rim_top));
    EXPECT_EQ(p.At(63 - b, 24 - b), RgbOf(f.rim_bottom));
    EXPECT_EQ(p.At(b + 1, b + 1), RgbOf(f.border));
  }
  EXPECT_EQ(FacePicture(ButtonFace::HighLightSelect).Pixels(),
            FacePicture(ButtonFace::HighLight).Pixels());
}

TEST(CaptionTop, CentresTheLabelTwentyTwipsHigh) {
  EXPECT_EQ(CaptionTop(25, 12), 6);  // (375 - 180 - 20) / 2 = 87.5 twips
  EXPECT_EQ(CaptionTop(25, 13), 5);
}

}  // namespace
}  // namespace mirokan
