// The flight through the tunnel in time rather than in frames. Its motion goes in ticks of
// 1/60 s, each one frame of the flight as it first ran at 60 frames a second: the phase
// grows by Speed, then the arrow keys and the swing change Speed. So at 60 frames a second
// every frame is what it was, and at any other rate, steady or not, the flight covers the
// same way a second.
#pragma once

#include <cstdint>

#include "renderer/frame_clock.h"
#include "renderer/tunnel_geometry.h"

namespace mirokan {

class TunnelFlight {
 public:
  static constexpr std::int64_t kTicksPerSecond = 60;
  // The most time one frame moves the flight on (1/10 s): a longer gap (a stall, a debugger,
  // the display waking) counts as this much, so the tunnel never jumps.
  static constexpr std::int64_t kLongestStepDivisor = 10;

  explicit TunnelFlight(const FrameClock& clock) : clock_(clock) {}

  // The phase to draw a frame at, now. The first frame is the first tick (phase 0.5). Each
  // later one runs the ticks whose time has come since, with the keys as they are, and adds
  // the part of the next tick gone by at the speed reached, so the phase runs on smoothly
  // between ticks at any frame rate.
  double FramePhase(KeyState up, KeyState down);

  // The motion as of the last tick.
  const TunnelMotion& Motion() const { return motion_; }

 private:
  const FrameClock& clock_;
  TunnelMotion motion_;
  bool started_ = false;
  std::int64_t last_frame_ = 0;
  // Time since the last tick in counts × kTicksPerSecond, so that a tick is exactly
  // CountsPerSecond() of them and no rounding adds up.
  std::int64_t since_tick_ = 0;
};

}  // namespace mirokan
