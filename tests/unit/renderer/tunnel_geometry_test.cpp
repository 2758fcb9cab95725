#include "renderer/tunnel_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>

#include "common/cursor_exit.h"

namespace mirokan {
namespace {

constexpr auto kNo = KeyState::kReleased;
constexpr auto kYes = KeyState::kPressed;

void ExpectVertex(const TunnelGrid& grid, int column, int ring, double x, double y, double z) {
  SCOPED_TRACE(testing::Message() << "vertex (" << column << ", " << ring << ")");
  EXPECT_NEAR(grid.At(column, ring).x, x, 1e-4);
  EXPECT_NEAR(grid.At(column, ring).y, y, 1e-4);
  EXPECT_NEAR(grid.At(column, ring).z, z, 1e-4);
}

TEST(TunnelGeometry, MouthStaysOnTheCircleOfRadiusThreeAndRingsClose) {
  for (const float phase : {0.0f, 0.5f, 17.25f, -40.0f, 100000.0f}) {
    SCOPED_TRACE(testing::Message() << "phase " << phase);
    TunnelGrid grid;
    RecomputeTunnelGrid(phase, grid);
    for (int column = 0; column < kTunnelColumns; ++column) {
      const double theta = column * std::numbers::pi / 6.0;
      ExpectVertex(grid, column, 0, 3.0 * std::cos(theta), 3.0 * std::sin(theta), 0.0);
    }
    for (int ring = 0; ring < kTunnelRings; ++ring) {
      ExpectVertex(grid, kTunnelColumns - 1, ring, grid.At(0, ring).x, grid.At(0, ring).y, -ring);
    }
  }
}

TEST(TunnelGeometry, SpeedSwingsOnceEveryThreeThousandFrames) {
  TunnelMotion motion;
  int first_top = 0, lowest_at = 0, second_top = 0;
  float lowest = 1.0f;
  for (int update = 1; update <= 4000; ++update) {
    UpdateSpeed(motion, kNo, kNo);
    if (motion.Speed > 1.5f && first_top == 0) first_top = update;
    if (motion.Speed > 1.5f && update > 3000 && second_top == 0) second_top = update;
    if (motion.Speed < lowest) lowest = motion.Speed, lowest_at = update;
  }
  EXPECT_EQ(first_top, 1000);
  EXPECT_EQ(lowest_at, 2500);
  EXPECT_GT(lowest, 0.0f) << "it never runs backwards without a key";
  EXPECT_LT(lowest, 0.001f);
  EXPECT_EQ(second_top, 4000);
}

// Up speeds the tunnel up and Down slows it, on top of the swing, even past its ends.
TEST(TunnelGeometry, ArrowKeysAddToTheSwing) {
  const auto speed_after = [](KeyState up, KeyState down, int frames, float start = 0.5f) {
    TunnelMotion motion{.Speed = start};
    for (int i = 0; i < frames; ++i) UpdateSpeed(motion, up, down);
    return motion;
  };
  const float swing = speed_after(kNo, kNo, 1).Speed;
  EXPECT_GT(speed_after(kYes, kNo, 1).Speed, swing);
  EXPECT_LT(speed_after(kNo, kYes, 1).Speed, swing);
  EXPECT_FLOAT_EQ(speed_after(kYes, kYes, 1).Speed, swing);
  // Holding Down drives the speed negative and the phase backwards.
  TunnelMotion down = speed_after(kNo, kYes, 200);
  EXPECT_LT(AdvancePhase(down), 0.0f);
  // Holding Up past the top still gains while the swing turns down.
  EXPECT_GT(speed_after(kYes, kNo, 2, 1.499f).Speed, 1.5f);
}

TEST(CursorExit, OnlyAPositionFarOnBothAxesAtOnceEndsTheRun) {
  EXPECT_FALSE(CursorFarFromStart(400, 300, 900, 300));  // 500 px right, y the same
  EXPECT_FALSE(CursorFarFromStart(400, 300, 430, 330));
  EXPECT_FALSE(CursorFarFromStart(400, 300, 431, 330));
  EXPECT_TRUE(CursorFarFromStart(400, 300, 431, 331));
  EXPECT_TRUE(CursorFarFromStart(400, 300, 369, 269));
  EXPECT_TRUE(CursorFarFromStart(INT_MIN, INT_MAX, INT_MAX, INT_MIN));
}

}  // namespace
}  // namespace mirokan
