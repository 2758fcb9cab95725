// The time the renderer's loop goes by: a count that only rises and its rate. On Windows it
// is QueryPerformanceCounter; the tests step a clock of their own.
#pragma once

#include <cstdint>

namespace mirokan {

class FrameClock {
 public:
  virtual ~FrameClock() = default;
  virtual std::int64_t Now() const = 0;
  // Counts a second, more than zero and the same for the whole run.
  virtual std::int64_t CountsPerSecond() const = 0;
};

}  // namespace mirokan
