#include "renderer/frame_pacing.h"

#include <algorithm>

namespace mirokan {
namespace {

constexpr int kDefaultRate = 60;

int UsableRate(int refresh_rate) {
  return refresh_rate <= 1 ? kDefaultRate : refresh_rate;
}

}  // namespace

int PacingRate(std::span<const int> refresh_rates) {
  int fastest = 0;
  for (const int rate : refresh_rates) fastest = std::max(fastest, UsableRate(rate));
  return fastest == 0 ? kDefaultRate : fastest;
}

DisplayPower DisplayPowerOf(std::uint32_t console_display_state) {
  switch (console_display_state) {
    case 0:
      return DisplayPower::kOff;
    case 2:
      return DisplayPower::kDimmed;
    default:
      return DisplayPower::kOn;
  }
}

FramePacer::FramePacer(const FrameClock& clock, int pacing_rate, SwapInterval swap, Pacing pacing)
    : clock_(clock),
      rate_(UsableRate(pacing_rate)),
      pacing_(pacing),
      swap_paces_(swap == SwapInterval::kGranted),
      next_due_(clock.Now()) {}

std::int64_t FramePacer::Period() const {
  // Rounded up: never a frame more a second than the refresh.
  const std::int64_t per_second = std::max<std::int64_t>(clock_.CountsPerSecond(), 1);
  return (per_second + rate_ - 1) / rate_;
}

void FramePacer::SetPacingRate(int pacing_rate) {
  rate_ = UsableRate(pacing_rate);
}

void FramePacer::SetDisplayPower(DisplayPower power) {
  if (power == DisplayPower::kOn && power_ != DisplayPower::kOn) {
    next_due_ = clock_.Now();
    last_swap_.reset();
    early_swaps_ = 0;
  }
  power_ = power;
}

std::optional<std::int64_t> FramePacer::WaitBeforeFrame() const {
  if (power_ != DisplayPower::kOn) return std::nullopt;
  if (pacing_ == Pacing::kNone || swap_paces_) return 0;
  return std::max<std::int64_t>(next_due_ - clock_.Now(), 0);
}

void FramePacer::FrameSwapped() {
  const std::int64_t now = clock_.Now();
  const std::int64_t period = Period();
  if (swap_paces_) {
    // A swap that waits for the refresh returns about a period after the one before.
    const bool early = last_swap_ && (now - *last_swap_) * 100 < period * kEarlyPercent;
    early_swaps_ = early ? early_swaps_ + 1 : 0;
    last_swap_ = now;
    if (early_swaps_ < kEarlySwapsToDistrust) return;
    swap_paces_ = false;
    next_due_ = now;
  }
  // Due a period after the last frame was due; a loop that fell behind starts again from
  // now rather than catching up with a burst of frames.
  next_due_ = std::max(next_due_ + period, now);
}

}  // namespace mirokan
