// When the renderer's loop draws: never more often than the fastest monitor refreshes, and
// nothing while the display is off. Where the swap waits for the refresh, it paces the loop;
// where it does not (no swap interval, or swaps that return early), the loop waits until the
// next frame is due.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "renderer/frame_clock.h"

namespace mirokan {

// The rate to pace to, in frames a second: the fastest monitor's refresh, where a rate of 0
// or 1 (the hardware's default) counts as 60; 60 without any monitor.
int PacingRate(std::span<const int> refresh_rates);

enum class DisplayPower { kOn, kOff, kDimmed };

// Windows' console display state (GUID_CONSOLE_DISPLAY_STATE): 0 off, 1 on, 2 dimmed; any
// other value counts as on.
DisplayPower DisplayPowerOf(std::uint32_t console_display_state);

// Whether the driver took the swap interval of 1 asked for.
enum class SwapInterval { kRefused, kGranted };

// kNone draws as fast as the loop goes (the benchmark's unpaced runs), still nothing while
// the display is off.
enum class Pacing { kToRefresh, kNone };

class FramePacer {
 public:
  // A swap that returns sooner than this share of a refresh after the one before did not wait.
  static constexpr int kEarlyPercent = 75;
  // So many early swaps in a row, and the swap is no longer trusted to pace.
  static constexpr int kEarlySwapsToDistrust = 20;

  FramePacer(const FrameClock& clock, int pacing_rate, SwapInterval swap,
             Pacing pacing = Pacing::kToRefresh);

  // The monitors changed: pace to this rate (from PacingRate) from now on.
  void SetPacingRate(int pacing_rate);
  // Off or dimmed: no frame until it is on again, and then one at once.
  void SetDisplayPower(DisplayPower power);

  // Counts of the clock to wait before the next frame, 0 to draw it now; none while the
  // display is off or dimmed (sleep until a message changes that).
  std::optional<std::int64_t> WaitBeforeFrame() const;
  // The frame's swap has returned.
  void FrameSwapped();

  bool SwapPaces() const { return swap_paces_; }

 private:
  std::int64_t Period() const;

  const FrameClock& clock_;
  int rate_;
  Pacing pacing_;
  DisplayPower power_ = DisplayPower::kOn;
  bool swap_paces_;
  std::int64_t next_due_;
  std::optional<std::int64_t> last_swap_;
  int early_swaps_ = 0;
};

}  // namespace mirokan
