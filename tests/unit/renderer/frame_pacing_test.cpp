#include "renderer/frame_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "stepped_clock.h"

namespace mirokan {
namespace {

constexpr std::int64_t kSecond = 10'000'000;

// A loop as the renderer's on a stepped clock: it sleeps as long as the pacer says (half as
// long when `woken` early by messages), draws for 1 ms or `drawing` and swaps, the swap
// returning at once or, at `refresh_rate`, at the next refresh. Returns the frames drawn in
// `seconds` (none once the display is off).
struct Loop {
  SteppedClock clock{kSecond};
  std::int64_t drawing = kSecond / 1000;
  int refresh_rate = 0;
  bool woken = false;

  int Run(FramePacer& pacer, std::int64_t seconds) {
    int frames = 0;
    for (const std::int64_t end = clock.Now() + seconds * kSecond; clock.Now() < end;) {
      const std::optional<std::int64_t> wait = pacer.WaitBeforeFrame();
      if (!wait) return frames;
      if (*wait > 0) {
        clock.Advance(woken ? (*wait + 1) / 2 : *wait);
        continue;
      }
      clock.Advance(drawing);
      const std::int64_t period = refresh_rate ? kSecond / refresh_rate : 1;
      clock.AdvanceTo((clock.Now() / period + 1) * period);
      pacer.FrameSwapped();
      ++frames;
    }
    return frames;
  }
};

TEST(FramePacing, TheFastestMonitorSetsTheRateAndTheDefaultIsSixty) {
  const std::pair<std::vector<int>, int> cases[] = {
      {{}, 60}, {{0}, 60}, {{1}, 60}, {{60, 144}, 144}, {{240, 0}, 240}, {{0, 75}, 75}, {{30}, 30}};
  for (const auto& [rates, rate] : cases) EXPECT_EQ(PacingRate(rates), rate);
  EXPECT_EQ(DisplayPowerOf(0), DisplayPower::kOff);
  EXPECT_EQ(DisplayPowerOf(1), DisplayPower::kOn);
  EXPECT_EQ(DisplayPowerOf(2), DisplayPower::kDimmed);
}

// No swap interval: the loop waits for each frame's time, woken early by messages or not,
// and never draws more often than the display refreshes; the first frame comes at once. A
// loop too slow for the refresh draws as fast as it can and then does not catch up with a
// burst. A new rate (the monitors changed) counts from the next frame on.
TEST(FramePacing, WithoutAWaitingSwapFramesWaitForTheirTime) {
  for (const int rate : {60, 144, 240}) {
    for (const bool woken : {false, true}) {
      Loop loop{.woken = woken};
      FramePacer pacer(loop.clock, rate, SwapInterval::kRefused);
      EXPECT_EQ(pacer.WaitBeforeFrame(), 0);
      EXPECT_NEAR(loop.Run(pacer, 10), 10 * rate, 1) << rate << (woken ? " woken" : "");
    }
  }
  Loop slow{.drawing = kSecond / 25};
  FramePacer pacer(slow.clock, 60, SwapInterval::kRefused);
  EXPECT_NEAR(slow.Run(pacer, 10), 250, 1);
  slow.drawing = kSecond / 1000;
  EXPECT_NEAR(slow.Run(pacer, 10), 600, 1);
  pacer.SetPacingRate(120);
  EXPECT_NEAR(slow.Run(pacer, 1), 120, 1);
  pacer.SetPacingRate(0);
  EXPECT_NEAR(slow.Run(pacer, 1), 60, 1);
}

// A granted swap interval that waits: the swap paces and the loop never waits. Granted but
// the swaps return early (Xvfb, a driver forcing it off): found out within a few frames, and
// the loop paces itself.
TEST(FramePacing, AWaitingSwapPacesAndOneThatReturnsEarlyIsFoundOut) {
  Loop vsync{.refresh_rate = 144};
  FramePacer pacer(vsync.clock, 144, SwapInterval::kGranted);
  EXPECT_NEAR(vsync.Run(pacer, 10), 1440, 1);
  EXPECT_TRUE(pacer.SwapPaces());

  Loop early;
  FramePacer fooled(early.clock, 60, SwapInterval::kGranted);
  EXPECT_NEAR(early.Run(fooled, 10), 600 + FramePacer::kEarlySwapsToDistrust / 2,
              FramePacer::kEarlySwapsToDistrust / 2 + 1);
  EXPECT_FALSE(fooled.SwapPaces());
  EXPECT_NEAR(early.Run(fooled, 10), 600, 1);
}

// Off or dimmed, no frame is due until the display is on again; then one is due at once.
// Unpaced, frames are due at once, but not while the display is off either.
TEST(FramePacing, NothingIsDrawnWhileTheDisplayIsOff) {
  for (const Pacing pacing : {Pacing::kToRefresh, Pacing::kNone}) {
    Loop loop;
    FramePacer pacer(loop.clock, 60, SwapInterval::kRefused, pacing);
    EXPECT_NEAR(loop.Run(pacer, 1), pacing == Pacing::kNone ? 1000 : 60, 1);
    for (const DisplayPower power : {DisplayPower::kOff, DisplayPower::kDimmed}) {
      pacer.SetDisplayPower(power);
      EXPECT_EQ(loop.Run(pacer, 1), 0);
    }
    loop.clock.Advance(kSecond / 1000);
    pacer.SetDisplayPower(DisplayPower::kOn);
    EXPECT_EQ(pacer.WaitBeforeFrame(), 0);
  }
}

}  // namespace
}  // namespace mirokan
