#include "saver/controls/button_faces.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace mirokan {
namespace {

// The colours are the design's table; what is checked here is where they go.
TEST(FacePictures, OneLineBorderInsideTheRimWithRoundedCorners) {
  const std::pair<ButtonFace, int> faces[] = {{ButtonFace::Normal, 1},
                                              {ButtonFace::HighLight, 1},
                                              {ButtonFace::Selected, 1},
                                              {ButtonFace::Pressed, 2},  // one pixel further in
                                              {ButtonFace::Disable, 1}};
  for (const auto& [face, b] : faces) {
    SCOPED_TRACE("face " + std::to_string(int(face)));
    const RgbImage p = FacePicture(face);
    ASSERT_EQ(std::pair(p.Width(), p.Height()), std::pair(64, 25));
    const Rgb border = p.At(30, b);
    EXPECT_NE(p.At(30, b - 1), border);
    EXPECT_NE(p.At(30, b + 1), border);
    for (const auto& [x, y] : {std::pair{b, 12}, {30, 24 - b}, {63 - b, 12}}) {
      EXPECT_EQ(p.At(x, y), border) << x << "," << y;
    }
    // The border's corner pixel shows the rim; the one diagonally inside carries it on.
    EXPECT_EQ(p.At(b, b), p.At(30, b - 1));
    EXPECT_EQ(p.At(63 - b, 24 - b), p.At(30, 24 - b + 1));
    EXPECT_EQ(p.At(b + 1, b + 1), border);
  }
  EXPECT_NE(FacePicture(ButtonFace::Disable).At(30, 1), FacePicture(ButtonFace::Normal).At(30, 1));
  EXPECT_EQ(FacePicture(ButtonFace::HighLightSelect).Pixels(),
            FacePicture(ButtonFace::HighLight).Pixels());
}

}  // namespace
}  // namespace mirokan
