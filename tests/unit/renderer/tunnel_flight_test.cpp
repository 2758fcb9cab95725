#include "renderer/tunnel_flight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "stepped_clock.h"

namespace mirokan {
namespace {

constexpr auto kNo = KeyState::kReleased;
constexpr auto kYes = KeyState::kPressed;
constexpr std::int64_t kSecond = 10'000'000;  // counts of the stepped clock

// Frame times from the first frame's (0) to exactly `seconds`: steady at `rate` a second,
// or (rate 0) 1 to 50 ms apart, as a loaded machine draws them.
std::vector<std::int64_t> Frames(std::int64_t rate, std::int64_t seconds = 60) {
  std::mt19937 random(25);
  std::uniform_int_distribution<std::int64_t> gap(kSecond / 1000, kSecond / 20);
  std::vector<std::int64_t> times{0};
  while (times.back() < seconds * kSecond) {
    times.push_back(
        std::min(seconds * kSecond, rate ? static_cast<std::int64_t>(times.size()) * kSecond / rate
                                         : times.back() + gap(random)));
  }
  return times;
}

// The motion after frames at `times`, Up held in those before `up_until`; its Phase is the
// last frame's.
TunnelMotion Fly(const std::vector<std::int64_t>& times, std::int64_t up_until = 0) {
  SteppedClock clock(kSecond);
  TunnelFlight flight(clock);
  double phase = 0;
  for (const std::int64_t time : times) {
    clock.AdvanceTo(time);
    const double next = flight.FramePhase(time < up_until ? kYes : kNo, kNo);
    EXPECT_GE(next, phase) << "backwards without Down, at " << time;
    phase = next;
  }
  TunnelMotion flown = flight.Motion();
  flown.Phase = phase;
  return flown;
}

// At 60 frames a second each frame is a frame of the motion as first made (a float phase
// grown by Speed, then the keys and the swing, once a frame): the speed the same to the bit,
// the phase to the float's precision, the first frame at phase 0.5.
TEST(TunnelFlight, AtSixtyFramesASecondEveryFrameIsAsFirstMade) {
  SteppedClock clock(6'000'000);  // a whole number of counts a frame
  TunnelFlight flight(clock);
  TunnelMotion before;
  float before_phase = 0.0f;
  for (int frame = 1; frame <= 1200; ++frame, clock.Advance(100'000)) {
    const KeyState up = frame >= 100 && frame < 160 ? kYes : kNo;
    const KeyState down = frame >= 400 && frame < 700 ? kYes : kNo;
    const double phase = flight.FramePhase(up, down);
    before_phase = static_cast<float>(static_cast<double>(before_phase) + before.Speed);
    UpdateSpeed(before, up, down);
    EXPECT_TRUE(frame > 1 || phase == 0.5);
    if (frame <= 20) {
      EXPECT_FLOAT_EQ(static_cast<float>(phase), before_phase) << frame;
    }
    ASSERT_EQ(flight.Motion().Speed, before.Speed) << frame;
    ASSERT_EQ(flight.Motion().SpeedRising, before.SpeedRising) << frame;
  }
}

// After one minute the flight is where it is at 60 frames a second, to the bit, at 30, 144
// and 240 and at an uneven rate: 3600 ticks after the first frame's. Up held for a second
// adds 60 steps of 0.005 at every rate, give or take the ticks of one frame (they fall due
// between the last frame with the key down and the first without it).
TEST(TunnelFlight, EveryRateCoversTheSameWayASecond) {
  TunnelMotion ticks;
  for (int tick = 0; tick <= 3600; ++tick) AdvancePhase(ticks), UpdateSpeed(ticks, kNo, kNo);
  const float without = Fly(Frames(60, 2)).Speed;
  for (const std::int64_t rate : {30, 60, 144, 240, 0}) {
    SCOPED_TRACE(rate ? testing::Message() << rate << " a second" : testing::Message() << "uneven");
    const TunnelMotion flown = Fly(Frames(rate));
    EXPECT_EQ(flown.Phase, ticks.Phase);
    EXPECT_EQ(flown.Speed, ticks.Speed);
    EXPECT_EQ(flown.SpeedRising, ticks.SpeedRising);
    RecordProperty("phase_after_a_minute_at_" + std::to_string(rate), std::to_string(flown.Phase));
    const std::int64_t ticks_a_frame = rate ? (60 + rate - 1) / rate : 3;
    EXPECT_NEAR(Fly(Frames(rate, 2), kSecond).Speed - without, 60 * 0.005,
                0.005 * ticks_a_frame + 1e-4);
  }
}

// A stall moves the flight on by a tenth of a second at most, then it flies on as before.
// After 10^8 frames' worth of time at 60 a second (19 days) every frame at 240 a second still
// moves the tunnel on: its phase, the bend of its grid, and the picture's slide by as much as
// the phase says, to the texture coordinates' precision.
TEST(TunnelFlight, NeitherAStallNorANightOfFramesStopsIt) {
  SteppedClock clock(6'000'000);  // a whole number of counts a tick
  TunnelFlight flight(clock);
  flight.FramePhase(kNo, kNo);
  TunnelMotion ticks = flight.Motion();
  for (int tick = 0; tick < 6; ++tick) AdvancePhase(ticks), UpdateSpeed(ticks, kNo, kNo);
  clock.Advance(3600 * clock.CountsPerSecond());
  EXPECT_EQ(flight.FramePhase(kNo, kNo), ticks.Phase);
  clock.Advance(clock.CountsPerSecond() / 60);
  EXPECT_EQ(flight.FramePhase(kNo, kNo), ticks.Phase + ticks.Speed);

  for (std::int64_t tick = 0; tick < 100'000'000; tick += 6) {  // in its longest steps
    clock.Advance(clock.CountsPerSecond() / TunnelFlight::kLongestStepDivisor);
    flight.FramePhase(kNo, kNo);
  }
  double phase = flight.FramePhase(kNo, kNo);
  EXPECT_GT(phase, 7e7);
  int slowest_frames = 0;
  for (int frame = 0; frame < 12'000; ++frame) {  // a whole swing, its slowest part among it
    clock.Advance(clock.CountsPerSecond() / 240);
    const double next = flight.FramePhase(kNo, kNo);
    ASSERT_GT(next, phase) << frame;
    double slide =
        static_cast<float>(TextureScroll(next)) - static_cast<float>(TextureScroll(phase));
    ASSERT_NEAR(slide < -0.5 ? slide + 1 : slide, 0.02 * (next - phase), 1e-7) << frame;
    if (flight.Motion().Speed < 0.01f) {
      ++slowest_frames;
      TunnelGrid grid, next_grid;
      RecomputeTunnelGrid(phase, grid);
      RecomputeTunnelGrid(next, next_grid);
      ASSERT_NE(std::memcmp(&grid, &next_grid, sizeof(grid)), 0) << frame;
    }
    phase = next;
  }
  EXPECT_GT(slowest_frames, 0);
}

}  // namespace
}  // namespace mirokan
