// A frame clock that stands still until the test moves it on, as time does between two
// readings of a loop; it never runs backwards. 10 MHz by default, the performance counter's
// usual rate.
#pragma once

#include <cassert>
#include <cstdint>

#include "renderer/frame_clock.h"

namespace mirokan {

class SteppedClock final : public FrameClock {
 public:
  explicit SteppedClock(std::int64_t per_second = 10'000'000) : per_second_(per_second) {}

  std::int64_t Now() const override { return now_; }
  std::int64_t CountsPerSecond() const override { return per_second_; }

  void Advance(std::int64_t counts) {
    assert(counts >= 0 && "a steady clock never runs backwards");
    now_ += counts;
  }
  void AdvanceTo(std::int64_t count) { Advance(count - now_); }

 private:
  std::int64_t per_second_;
  std::int64_t now_ = 0;
};

}  // namespace mirokan
