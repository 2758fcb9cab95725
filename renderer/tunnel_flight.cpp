#include "renderer/tunnel_flight.h"

#include <algorithm>

namespace mirokan {

double TunnelFlight::FramePhase(KeyState up, KeyState down) {
  const std::int64_t now = clock_.Now();
  const std::int64_t per_second = std::max<std::int64_t>(clock_.CountsPerSecond(), 1);
  std::int64_t ticks = 1;
  if (started_) {
    const std::int64_t gap =
        std::clamp<std::int64_t>(now - last_frame_, 0, per_second / kLongestStepDivisor);
    since_tick_ += gap * kTicksPerSecond;
    ticks = since_tick_ / per_second;
    since_tick_ %= per_second;
  }
  started_ = true;
  last_frame_ = now;
  for (; ticks > 0; --ticks) {
    AdvancePhase(motion_);
    UpdateSpeed(motion_, up, down);
  }
  return motion_.Phase + motion_.Speed * (static_cast<double>(since_tick_) / per_second);
}

}  // namespace mirokan
