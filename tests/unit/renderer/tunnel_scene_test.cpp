#include "renderer/tunnel_scene.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "bitmap_fixture.h"
#include "egl_offscreen.h"
#include "renderer/bitmap_reader.h"

namespace mirokan {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// The picture, left to right: red, green, blue, yellow quarters.
constexpr std::uint8_t kQuarters[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};

using Rgb = std::array<int, 3>;
using Point = std::array<int, 2>;  // window x, y

class TunnelSceneTest : public testing::Test {
 protected:
  // Reads the picture from a bitmap file, as the program does the snapshot, and draws the
  // first frame.
  void SetUp() override {
    if (!offscreen_.Ready()) GTEST_SKIP() << "no offscreen OpenGL: " << offscreen_.Error();
    const std::vector<std::byte> file =
        test::MakeBitmap({.width = 64, .height = 64, .quarters = kQuarters});
    MemoryByteSource source(file);
    const BitmapReadResult picture = ReadBitmap(source);
    ASSERT_TRUE(picture.pixels.has_value());
    TunnelScene::ResizeScene(kWidth, kHeight);
    scene_.SetupScene([&](GLuint& texture) {
      BuildTunnelTexture(picture.width, picture.height, picture.pixels->data(), texture);
      return true;
    });
    scene_.DrawTunnelFrame();
    pixels_ = offscreen_.ReadPixels();
  }

  Rgb PixelAt(Point at) const {
    const std::uint8_t* p = &pixels_[(static_cast<std::size_t>(at[1]) * kWidth + at[0]) * 4];
    return {p[0], p[1], p[2]};
  }

  // Window position of a point in the tunnel's model space, if on the screen.
  std::optional<Point> Project(double x, double y, double z) const {
    std::array<GLdouble, 16> modelview{}, projection{};
    std::array<GLint, 4> viewport{};
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    double wx = 0, wy = 0, wz = 0;
    if (!gluProject(x, y, z, modelview.data(), projection.data(), viewport.data(), &wx, &wy, &wz))
      return std::nullopt;
    const Point at{static_cast<int>(std::floor(wx)), static_cast<int>(std::floor(wy))};
    if (at[0] < 0 || at[1] < 0 || at[0] >= kWidth || at[1] >= kHeight) return std::nullopt;
    return at;
  }

  // Window position of the centre of quad (column, ring).
  std::optional<Point> QuadCentre(int column, int ring) const {
    const TunnelGrid& g = scene_.Grid();
    const TunnelVertex* v[] = {&g.At(column, ring), &g.At(column + 1, ring),
                               &g.At(column, ring + 1), &g.At(column + 1, ring + 1)};
    return Project((v[0]->x + v[1]->x + v[2]->x + v[3]->x) / 4.0,
                   (v[0]->y + v[1]->y + v[2]->y + v[3]->y) / 4.0,
                   (v[0]->z + v[1]->z + v[2]->z + v[3]->z) / 4.0);
  }

  test::EglOffscreen offscreen_{kWidth, kHeight};
  TunnelScene scene_;
  std::vector<std::uint8_t> pixels_;
};

TEST_F(TunnelSceneTest, FirstFrameShowsThePictureAroundTheTunnelWithItsLeftEdgeAtTheTop) {
  // Quad k covers s from (k - 3)/12 to (k - 2)/12: quads 3 to 5 show the picture's first
  // quarter, and quads 0 to 2 wrap round to its last one.
  constexpr int kRing = 5;
  int checked = 0;
  for (int column = 0; column < 12; ++column) {
    const auto at = QuadCentre(column, kRing);
    if (!at) continue;
    ++checked;
    const std::uint8_t* expected = kQuarters[(column + 9) / 3 % 4];
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(PixelAt(*at)[c], expected[c], 3) << "quad " << column;
  }
  EXPECT_GE(checked, 10);

  // The left edge (s = 0) runs along the top: the first quarter starts just left of it.
  const TunnelVertex& edge = scene_.Grid().At(3, kRing);
  const auto top = Project(edge.x, edge.y, edge.z);
  const auto left = QuadCentre(3, kRing), right = QuadCentre(2, kRing);
  ASSERT_TRUE(top && left && right);
  EXPECT_LT((*left)[0], (*top)[0]);
  EXPECT_GT((*right)[0], (*top)[0]);
  EXPECT_GT((*top)[1], kHeight / 2) << "angle pi/2 is the top of the screen";
}

TEST_F(TunnelSceneTest, DeepSectionsDarkenTowardsTheFarEnd) {
  // Sections 25 to 30 show the picture's colours at 0.9 down to 0.4 of their brightness.
  for (const double brightness : {1.0, 0.9, 0.8, 0.7, 0.6, 0.5, 0.4}) {
    const long level = std::lround(255 * brightness);
    int found = 0;
    for (std::size_t at = 0; at < pixels_.size(); at += 4) {
      for (const auto& colour : kQuarters) {
        bool match = true;
        for (int c = 0; c < 3; ++c)
          match &= std::abs(pixels_[at + c] - colour[c] * level / 255) <= 2;
        found += match;
      }
    }
    EXPECT_GT(found, 0) << "no section drawn at brightness " << brightness;
  }
}

// In the first frame the bend hides the far end behind the nearer walls; fly on until the
// hole after section 30 is in the line of sight, then it must be black.
TEST_F(TunnelSceneTest, TheFarEndIsOpenWhereverTheBendLetsItShow) {
  const auto centre = [&](int ring) {  // of a ring, between its columns 0 and 6
    const TunnelVertex& right = scene_.Grid().At(0, ring);
    const TunnelVertex& left = scene_.Grid().At(6, ring);
    return std::array<double, 2>{(right.x + left.x) / 2.0, (right.y + left.y) / 2.0};
  };
  // The eye sits 4.2 in front of the mouth; the sight line to the centre of ring 31 must
  // pass well inside every ring's wall.
  const auto hole_in_sight = [&] {
    const auto hole = centre(31);
    for (int ring = 0; ring < 31; ++ring) {
      const double along = (4.2 + ring) / (4.2 + 31);
      const auto c = centre(ring);
      if (std::hypot(hole[0] * along - c[0], hole[1] * along - c[1]) > 0.8 * (3.0 - ring / 12.0))
        return false;
    }
    return true;
  };
  int frames = 1;
  for (; !hole_in_sight() && frames < 2000; ++frames) scene_.DrawTunnelFrame();
  ASSERT_TRUE(hole_in_sight()) << "the far end never came into sight";
  pixels_ = offscreen_.ReadPixels();
  const auto hole = Project(centre(31)[0], centre(31)[1], -31.0);
  ASSERT_TRUE(hole);
  EXPECT_EQ(PixelAt(*hole), (Rgb{0, 0, 0})) << "frame " << frames;
}

}  // namespace
}  // namespace mirokan
