#include "renderer/tunnel_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>

#include "common/cursor_exit.h"

namespace mirokan {
namespace {

void ExpectVertex(const TunnelGrid& grid, int column, int ring, float x, float y, float z) {
  SCOPED_TRACE(testing::Message() << "vertex (" << column << ", " << ring << ")");
  const TunnelVertex& vertex = grid.At(column, ring);
  EXPECT_NEAR(vertex.x, x, 1e-4);
  EXPECT_NEAR(vertex.y, y, 1e-4);
  EXPECT_NEAR(vertex.z, z, 1e-4);
}

TEST(TunnelGeometry, FirstFrameIsDrawnAtPhaseHalfWithTheKnownVertices) {
  TunnelMotion motion;
  const float phase = AdvancePhase(motion);
  EXPECT_EQ(phase, 0.5f);
  TunnelGrid grid;
  RecomputeTunnelGrid(phase, grid);
  ExpectVertex(grid, 0, 1, 3.0367f, 0.1116f, -1.0f);
  ExpectVertex(grid, 0, 10, 2.4258f, 0.5313f, -10.0f);
  ExpectVertex(grid, 3, 31, 0.7295f, -2.7573f, -31.0f);
  ExpectVertex(grid, 0, 0, 3.0f, 0.0f, 0.0f);
  ExpectVertex(grid, 3, 0, 0.0f, 3.0f, 0.0f);
}

TEST(TunnelGeometry, MouthStaysOnTheCircleOfRadiusThreeAndRingsClose) {
  for (const float phase : {0.0f, 0.5f, 17.25f, -40.0f, 1234.5f, 100000.0f}) {
    SCOPED_TRACE(testing::Message() << "phase " << phase);
    TunnelGrid grid;
    RecomputeTunnelGrid(phase, grid);
    for (int column = 0; column < kTunnelColumns; ++column) {
      const double theta = column * std::numbers::pi / 6.0;
      ExpectVertex(grid, column, 0, static_cast<float>(3.0 * std::cos(theta)),
                   static_cast<float>(3.0 * std::sin(theta)), 0.0f);
    }
    for (int ring = 0; ring < kTunnelRings; ++ring) {
      ExpectVertex(grid, kTunnelColumns - 1, ring, grid.At(0, ring).x, grid.At(0, ring).y,
                   -static_cast<float>(ring));
    }
  }
}

// Index (1-based count of UpdateSpeed calls) of the first update after `from` for which
// `condition` holds.
template <typename Condition>
int FirstUpdate(TunnelMotion& motion, int from, Condition condition) {
  for (int update = from + 1; update < from + 10000; ++update) {
    UpdateSpeed(motion, KeyState::kReleased, KeyState::kReleased);
    if (condition(motion)) return update;
  }
  return -1;
}

TEST(TunnelGeometry, SpeedSwingsOnceEveryThreeThousandFrames) {
  TunnelMotion motion;
  const int first_top = FirstUpdate(motion, 0, [](const auto& m) { return m.Speed > 1.5f; });
  EXPECT_EQ(first_top, 1000);
  EXPECT_FALSE(motion.SpeedRising);
  EXPECT_LT(motion.Speed, 1.5011f);

  float lowest = motion.Speed;
  int lowest_at = first_top;
  for (int update = first_top + 1; update <= 3000; ++update) {
    UpdateSpeed(motion, KeyState::kReleased, KeyState::kReleased);
    if (motion.Speed < lowest) {
      lowest = motion.Speed;
      lowest_at = update;
    }
  }
  EXPECT_EQ(lowest_at, 2500);
  EXPECT_GT(lowest, 0.0f) << "it never runs backwards without a key";
  EXPECT_LT(lowest, 0.001f);
  EXPECT_TRUE(motion.SpeedRising);

  EXPECT_EQ(FirstUpdate(motion, 3000, [](const auto& m) { return m.Speed > 1.5f; }), 4000);
}

TEST(TunnelGeometry, ArrowKeysAddToTheSwingStepByStep) {
  TunnelMotion motion;
  const auto step = [&](KeyState up, KeyState down) { UpdateSpeed(motion, up, down); };
  constexpr auto kUp = KeyState::kPressed;
  constexpr auto kNo = KeyState::kReleased;

  step(kUp, kNo);  // 0.5 + 0.005 + 0.001
  EXPECT_NEAR(motion.Speed, 0.506f, 1e-6);
  step(kNo, kUp);  // Down: - 0.005 + 0.001
  EXPECT_NEAR(motion.Speed, 0.502f, 1e-6);
  step(kUp, kUp);  // both keys cancel, the swing goes on
  EXPECT_NEAR(motion.Speed, 0.503f, 1e-6);

  // Holding Down drives the speed negative: the phase then runs backwards.
  for (int i = 0; i < 200; ++i) step(kNo, kUp);
  EXPECT_NEAR(motion.Speed, 0.503f - 0.8f, 1e-4);
  EXPECT_TRUE(motion.SpeedRising);
  const float phase = AdvancePhase(motion);
  EXPECT_LT(phase, 0.0f);
  // Released, the swing brings it back up by 0.001 per frame.
  const float before = motion.Speed;
  step(kNo, kNo);
  EXPECT_NEAR(motion.Speed - before, 0.001f, 1e-6);

  // Holding Up past the top gains a net 0.004 per frame while the swing turns down.
  motion = TunnelMotion{.Phase = 0.0f, .Speed = 1.499f, .SpeedRising = true};
  step(kUp, kNo);
  EXPECT_FALSE(motion.SpeedRising);
  const float above = motion.Speed;
  step(kUp, kNo);
  EXPECT_NEAR(motion.Speed - above, 0.004f, 1e-6);
  step(kNo, kNo);
  EXPECT_NEAR(motion.Speed - above, 0.003f, 1e-6);
}

TEST(CursorExit, OnlyAPositionFarOnBothAxesAtOnceEndsTheRenderer) {
  struct Case {
    std::int32_t start_x, start_y, x, y;
    bool far;
  };
  const Case cases[] = {
      {400, 300, 400, 300, false},
      {400, 300, 900, 300, false},  // 500 px right, y the same
      {400, 300, 430, 330, false},
      {400, 300, 431, 331, true},  // exactly 30 vs 31
      {400, 300, 369, 269, true},
      {400, 300, 431, 330, false},
      {400, 300, 400, 800, false},
      {0, 0, INT_MAX, INT_MIN, true},
      {INT_MIN, INT_MAX, INT_MIN, INT_MAX, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CursorFarFromStart(c.start_x, c.start_y, c.x, c.y), c.far)
        << "(" << c.start_x << ", " << c.start_y << ") -> (" << c.x << ", " << c.y << ")";
  }
}

}  // namespace
}  // namespace mirokan
