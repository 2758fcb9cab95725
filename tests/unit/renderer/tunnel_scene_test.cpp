#include "renderer/tunnel_scene.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "bitmap_fixture.h"
#include "egl_offscreen.h"
#include "renderer/bitmap_reader.h"

namespace mirokan {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// The picture, left to right: red, green, blue, yellow quarters.
constexpr std::uint8_t kQuarters[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};

struct Rgb {
  int r, g, b;
};

class TunnelSceneTest : public testing::Test {
 protected:
  void SetUp() override {
    offscreen_ = std::make_unique<test::EglOffscreen>(kWidth, kHeight);
    if (!offscreen_->Ready()) GTEST_SKIP() << "no offscreen OpenGL: " << offscreen_->Error();
  }

  // Sets the scene up with the quartered picture read from a bitmap file, as the program
  // does with the snapshot, and draws the first frame.
  void DrawFirstFrame() {
    const std::vector<std::byte> file = test::MakeQuarteredBitmap(64, 64, kQuarters);
    MemoryByteSource source(file);
    const BitmapReadResult picture = ReadBitmap(source);
    ASSERT_TRUE(picture.pixels.has_value());
    TunnelScene::ResizeScene(kWidth, kHeight);
    scene_.SetupScene([&](GLuint& texture) {
      BuildTunnelTexture(picture.width, picture.height, picture.pixels->data(), texture);
      return true;
    });
    scene_.DrawTunnelFrame();
    pixels_ = offscreen_->ReadPixels();
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview_.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection_.data());
    glGetIntegerv(GL_VIEWPORT, viewport_.data());
  }

  Rgb PixelAt(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * kWidth + x) * 4;
    return {pixels_[at], pixels_[at + 1], pixels_[at + 2]};
  }

  // Window position of a point in the tunnel's model space.
  bool Project(double x, double y, double z, int& px, int& py) const {
    double wx = 0, wy = 0, wz = 0;
    if (!gluProject(x, y, z, modelview_.data(), projection_.data(), viewport_.data(), &wx, &wy,
                    &wz)) {
      return false;
    }
    px = static_cast<int>(std::floor(wx));
    py = static_cast<int>(std::floor(wy));
    return px >= 0 && py >= 0 && px < kWidth && py < kHeight;
  }

  // Window position of the centre of quad (column, ring).
  bool QuadCentre(int column, int ring, int& px, int& py) const {
    const TunnelGrid& grid = scene_.Grid();
    double x = 0, y = 0, z = 0;
    for (const auto& [i, j] : {std::pair{column, ring}, std::pair{column + 1, ring},
                               std::pair{column + 1, ring + 1}, std::pair{column, ring + 1}}) {
      x += grid.At(i, j).x / 4.0;
      y += grid.At(i, j).y / 4.0;
      z += grid.At(i, j).z / 4.0;
    }
    return Project(x, y, z, px, py);
  }

  int CountPixels(Rgb wanted, int tolerance) const {
    int count = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const Rgb p = PixelAt(x, y);
        if (std::abs(p.r - wanted.r) <= tolerance && std::abs(p.g - wanted.g) <= tolerance &&
            std::abs(p.b - wanted.b) <= tolerance) {
          ++count;
        }
      }
    }
    return count;
  }

  std::unique_ptr<test::EglOffscreen> offscreen_;
  TunnelScene scene_;
  std::vector<std::uint8_t> pixels_;
  std::array<GLdouble, 16> modelview_{};
  std::array<GLdouble, 16> projection_{};
  std::array<GLint, 4> viewport_{};
};

TEST_F(TunnelSceneTest, SetupLeavesTheTextureBoundAndModulated) {
  DrawFirstFrame();
  EXPECT_NE(scene_.TunnelTexture(), 0u);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), scene_.TunnelTexture());
  GLint mode = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  EXPECT_EQ(mode, GL_MODULATE);
  GLint min_filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
  EXPECT_EQ(min_filter, GL_LINEAR);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(scene_.Motion().Phase, 0.5f) << "the first frame advanced the phase once";
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  scene_.ReleaseTexture();
  EXPECT_FALSE(glIsTexture(static_cast<GLuint>(bound)));
}

TEST_F(TunnelSceneTest, FirstFrameShowsThePictureAroundTheTunnelWithItsLeftEdgeAtTheTop) {
  DrawFirstFrame();
  // Quad k covers s from (k - 3)/12 to (k - 2)/12: quads 3 to 5 show the picture's first
  // quarter, and quads 0 to 2 wrap round to its last one.
  const Rgb expected[12] = {{255, 255, 0}, {255, 255, 0}, {255, 255, 0}, {255, 0, 0},
                            {255, 0, 0},   {255, 0, 0},   {0, 255, 0},   {0, 255, 0},
                            {0, 255, 0},   {0, 0, 255},   {0, 0, 255},   {0, 0, 255}};
  constexpr int kRing = 5;
  int checked = 0;
  for (int column = 0; column < 12; ++column) {
    int x = 0, y = 0;
    if (!QuadCentre(column, kRing, x, y)) continue;
    ++checked;
    const Rgb p = PixelAt(x, y);
    SCOPED_TRACE(testing::Message() << "quad " << column << " at (" << x << ", " << y << ")");
    EXPECT_NEAR(p.r, expected[column].r, 3);
    EXPECT_NEAR(p.g, expected[column].g, 3);
    EXPECT_NEAR(p.b, expected[column].b, 3);
  }
  EXPECT_GE(checked, 10);

  // The left edge (s = 0) runs along the top: the first quarter starts just left of it.
  int top_x = 0, top_y = 0, left_x = 0, left_y = 0, right_x = 0, right_y = 0;
  const TunnelVertex& top = scene_.Grid().At(3, kRing);
  ASSERT_TRUE(Project(top.x, top.y, top.z, top_x, top_y));
  ASSERT_TRUE(QuadCentre(3, kRing, left_x, left_y));
  ASSERT_TRUE(QuadCentre(2, kRing, right_x, right_y));
  EXPECT_LT(left_x, top_x);
  EXPECT_GT(right_x, top_x);
  EXPECT_GT(top_y, kHeight / 2) << "angle pi/2 is the top of the screen";
}

TEST_F(TunnelSceneTest, DeepSectionsDarkenTowardsTheFarEnd) {
  DrawFirstFrame();
  // Sections 25 to 30 show the picture's pure colours at 0.9 down to 0.4 of their brightness;
  // the near sections at full brightness.
  EXPECT_GT(CountPixels({255, 0, 0}, 2), 1000);
  for (const double brightness : {0.9, 0.8, 0.7, 0.6, 0.5, 0.4}) {
    const int level = static_cast<int>(std::lround(255 * brightness));
    int found = 0;
    for (const auto& colour : kQuarters) {
      found += CountPixels(
          {colour[0] * level / 255, colour[1] * level / 255, colour[2] * level / 255}, 2);
    }
    EXPECT_GT(found, 0) << "no section drawn at brightness " << brightness;
  }
}

// In the first frame the tunnel bends down so far that its nearer walls hide the far end;
// fly on until the hole after section 30 is in the line of sight, then it must be black.
TEST_F(TunnelSceneTest, TheFarEndIsOpenWhereverTheBendLetsItShow) {
  DrawFirstFrame();
  const auto ring_centre = [&](int ring) {
    const TunnelVertex& right = scene_.Grid().At(0, ring);
    const TunnelVertex& left = scene_.Grid().At(6, ring);
    return std::array<double, 2>{(right.x + left.x) / 2.0, (right.y + left.y) / 2.0};
  };
  // The eye sits 4.2 in front of the mouth; every ring must leave the sight line to the
  // centre of ring 31 well inside its wall.
  const auto hole_in_sight = [&] {
    const auto hole = ring_centre(31);
    for (int ring = 0; ring < 31; ++ring) {
      const double along = (4.2 + ring) / (4.2 + 31);
      const auto centre = ring_centre(ring);
      const double off = std::hypot(hole[0] * along - centre[0], hole[1] * along - centre[1]);
      if (off > 0.8 * (3.0 - ring / 12.0)) return false;
    }
    return true;
  };
  int frames = 1;
  while (!hole_in_sight() && frames < 2000) {
    scene_.DrawTunnelFrame();
    ++frames;
  }
  ASSERT_TRUE(hole_in_sight()) << "the far end never came into sight";
  pixels_ = offscreen_->ReadPixels();
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview_.data());
  const auto hole = ring_centre(31);
  int hole_x = 0, hole_y = 0;
  ASSERT_TRUE(Project(hole[0], hole[1], -31.0, hole_x, hole_y));
  const Rgb colour = PixelAt(hole_x, hole_y);
  EXPECT_EQ(colour.r + colour.g + colour.b, 0)
      << "frame " << frames << ", far end at (" << hole_x << ", " << hole_y << ")";
}

TEST_F(TunnelSceneTest, ZeroHeightGivesAOnePixelViewportAndWidthAsAspect) {
  TunnelScene::ResizeScene(300, 0);
  std::array<GLint, 4> viewport{};
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, 300, 1}));
  std::array<GLdouble, 16> projection{};
  glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
  EXPECT_NEAR(projection[5] / projection[0], 300.0, 1e-3);  // GL keeps floats
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

}  // namespace
}  // namespace mirokan
