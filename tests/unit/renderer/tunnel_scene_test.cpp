#include "renderer/tunnel_scene.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>

#include "bitmap_fixture.h"
#include "tools/egl_offscreen.h"
#include "renderer/bitmap_reader.h"

namespace mirokan {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPictureWidth = 64;
constexpr int kPictureHeight = 256;

// Every texel says where it lies: red the quarter of the width (40, 100, 160, 220), green
// the row of the file (bottom row first, as the texture's t runs), blue full, so that a
// pixel's blue is the brightness of its section.
void PaintWhereItLies(int x, int row, std::uint8_t rgb[3]) {
  rgb[0] = static_cast<std::uint8_t>(40 + 60 * (x * 4 / kPictureWidth));
  rgb[1] = static_cast<std::uint8_t>(row);
  rgb[2] = 255;
}

struct Seen {
  int quads = 0;       // quad centres checked (those not hidden behind a nearer wall)
  int mismatches = 0;  // of them, showing the wrong part of the picture
};

class TunnelSceneTest : public testing::Test {
 protected:
  // Reads the picture from a bitmap file, as the program does the snapshot.
  void SetUp() override {
    if (!offscreen_.Ready()) GTEST_SKIP() << "no offscreen OpenGL: " << offscreen_.Error();
    const std::vector<std::byte> file = test::MakeBitmap(
        {.width = kPictureWidth, .height = kPictureHeight, .paint = PaintWhereItLies});
    MemoryByteSource source(file);
    const BitmapReadResult picture = ReadBitmap(source);
    ASSERT_TRUE(picture.pixels.has_value());
    TunnelScene::ResizeScene(kWidth, kHeight);
    scene_.SetupScene([&](GLuint& texture) {
      BuildTunnelTexture(picture.width, picture.height, picture.pixels->data(), texture);
      return true;
    });
  }

  // Compares the centre of every visible quad of the full-bright sections with the part of
  // the picture that should show there at `phase`.
  Seen CheckWalls(const std::vector<std::uint8_t>& pixels, double phase) const {
    std::array<GLdouble, 16> modelview{}, projection{};
    std::array<GLint, 4> viewport{};
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    const TunnelGrid& g = scene_.Grid();
    const double scroll = 0.02 * phase;
    Seen seen;
    for (int ring = 0; ring < 25; ++ring) {
      for (int column = 0; column < 12; ++column) {
        double x = 0, y = 0, z = 0;
        for (const auto& [c, r] : {std::pair{column, ring},
                                   {column + 1, ring},
                                   {column, ring + 1},
                                   {column + 1, ring + 1}}) {
          x += g.At(c, r).x / 4.0, y += g.At(c, r).y / 4.0, z += g.At(c, r).z / 4.0;
        }
        double wx = 0, wy = 0, wz = 0;
        gluProject(x, y, z, modelview.data(), projection.data(), viewport.data(), &wx, &wy, &wz);
        const int px = static_cast<int>(wx), py = static_cast<int>(wy);
        if (px < 0 || py < 0 || px >= kWidth || py >= kHeight) continue;
        float depth = 0;
        glReadPixels(px, py, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        // Eye distances, from window depth with near plane 1 and far plane 100.
        const auto eye = [](double d) { return 100.0 / (100.0 - d * 99.0); };
        if (std::abs(eye(depth) - eye(wz)) > 0.3) continue;  // hidden
        const double t = (ring + 0.5) / 32.0 + scroll;
        const double row = (t - std::floor(t)) * kPictureHeight - 0.5;
        if (row < 4 || row > kPictureHeight - 5) continue;  // blurred where the picture wraps
        const std::uint8_t* p = &pixels[(static_cast<std::size_t>(py) * kWidth + px) * 4];
        const int quarter = (column + 9) / 3 % 4;  // s starts a quarter turn back
        ++seen.quads;
        seen.mismatches += std::abs(p[0] - (40 + 60 * quarter)) > 4 || std::abs(p[1] - row) > 3;
      }
    }
    return seen;
  }

  test::EglOffscreen offscreen_{kWidth, kHeight};
  TunnelScene scene_;
};

// The first frame's phase, 0.5, is the flight's (TunnelFlight).
TEST_F(TunnelSceneTest, TheFirstFramesPhaseGivesTheReferenceVertices) {
  scene_.DrawTunnelFrame(0.5);
  const struct {
    int column, ring;
    double x, y, z;
  } reference[] = {{0, 1, 3.0367, 0.1116, -1.0},
                   {0, 10, 2.4258, 0.5313, -10.0},
                   {3, 31, 0.7295, -2.7573, -31.0}};
  for (const auto& v : reference) {
    const TunnelVertex& at = scene_.Grid().At(v.column, v.ring);
    EXPECT_LT(std::hypot(at.x - v.x, at.y - v.y, at.z - v.z), 2e-4) << v.ring;
  }
}

// The picture wraps round the wall with its left edge along the top, runs along the tunnel
// 1/32 of its height per section and slides outwards by 0.02 of its height per unit of phase:
// in the first frame, half a second on, and a night of flight later.
TEST_F(TunnelSceneTest, WallsShowThePictureWhereItBelongsAsItSlides) {
  for (const double phase : {0.5, 15.9, 75'000'000.3}) {
    SCOPED_TRACE(testing::Message() << "phase " << phase);
    scene_.DrawTunnelFrame(phase);
    const Seen seen = CheckWalls(offscreen_.ReadPixels(), phase);
    EXPECT_GE(seen.quads, 60) << "too few quads in sight";
    EXPECT_LE(seen.mismatches, seen.quads / 20);
  }
}

// In the first frame the bend hides the far end behind the nearer walls; fly on until the
// hole after section 30 is in the line of sight.
TEST_F(TunnelSceneTest, SectionsDarkenTowardsAnOpenFarEnd) {
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
  double phase = 0;
  do scene_.DrawTunnelFrame(phase += 0.5);
  while (!hole_in_sight() && phase < 1000);
  ASSERT_TRUE(hole_in_sight()) << "the far end never came into sight";
  // Sections 25 to 30 show 0.9 down to 0.4 of the brightness; nothing else is drawn (a 32nd
  // section would show 0.3), and black only where no wall is.
  const std::set<int> levels = {0, 255, 230, 204, 179, 153, 128, 102};
  std::set<int> found;
  const std::vector<std::uint8_t> pixels = offscreen_.ReadPixels();
  for (std::size_t at = 2; at < pixels.size(); at += 4) {
    const int blue = pixels[at];
    const auto near = levels.lower_bound(blue - 2);
    ASSERT_TRUE(near != levels.end() && *near <= blue + 2) << "a pixel of blue " << blue;
    found.insert(*near);
  }
  EXPECT_EQ(found, levels);
}

// One flight in three views: the left half red, the lower right quarter blue, the upper
// right quarter without a picture. Each shows its own colour only, up to its own edges, from
// the one phase.
TEST_F(TunnelSceneTest, EachViewShowsItsOwnPictureInItsOwnPlaceFromOnePhase) {
  const auto texture_of = [](std::uint8_t red, std::uint8_t blue) {
    std::vector<std::uint8_t> rows(64 * 64 * 3);
    for (std::size_t i = 0; i < rows.size(); i += 3) rows[i] = red, rows[i + 2] = blue;
    GLuint name = 0;
    BuildTunnelTexture(64, 64, rows.data(), name);
    return GlTexture(name);
  };
  const GlTexture red = texture_of(255, 0), blue = texture_of(0, 255);
  const TunnelView views[] = {{0, 0, kWidth / 2, kHeight, red.Get()},
                              {kWidth / 2, 0, kWidth / 2, kHeight / 2, blue.Get()},
                              {kWidth / 2, kHeight / 2, kWidth / 2, kHeight / 2, 0}};
  scene_.DrawTunnelFrame(views, 0.5);
  const std::vector<std::uint8_t> pixels = offscreen_.ReadPixels();
  const auto at = [&](int x, int y) {
    return &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
  };
  for (int y = 0; y < kHeight; y += 4) {
    for (int x = 0; x < kWidth; x += 4) {
      const std::uint8_t* p = at(x, y);
      const int view = x < kWidth / 2 ? 0 : y < kHeight / 2 ? 1 : 2;
      ASSERT_EQ(p[1], 0) << x << "," << y;
      ASSERT_EQ(view == 0 ? p[2] : view == 1 ? p[0] : p[0] + p[2], 0) << x << "," << y;
    }
  }
  // The middles of the lit views' edges show the mouth's wall.
  for (const auto& [x, y] : {std::pair{1, kHeight / 2},
                             {kWidth / 4, kHeight - 2},
                             {kWidth / 2 + 1, kHeight / 4},
                             {kWidth - 2, kHeight / 4},
                             {kWidth * 3 / 4, kHeight / 2 - 2},
                             {kWidth * 3 / 4, 1}}) {
    EXPECT_GT(at(x, y)[0] + at(x, y)[2], 100) << x << "," << y;
  }
}

TEST_F(TunnelSceneTest, AWindowOfNoHeightKeepsAUsableProjection) {
  TunnelScene::ResizeScene(kWidth, 0);
  std::array<GLdouble, 16> projection{};
  glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
  for (const double value : projection) EXPECT_TRUE(std::isfinite(value));
  EXPECT_NE(projection[0], 0.0) << "the picture would shrink to a line";
}

}  // namespace
}  // namespace mirokan
