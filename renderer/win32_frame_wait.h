// The renderer's clock and its wait for the next frame: QueryPerformanceCounter, and a
// waitable timer as fine as the system offers, which any message or input ends at once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "common/win32_handles.h"
#include "renderer/frame_clock.h"

namespace mirokan::win32 {

class PerformanceClock final : public FrameClock {
 public:
  PerformanceClock();
  std::int64_t Now() const override;
  std::int64_t CountsPerSecond() const override { return per_second_; }

 private:
  std::int64_t per_second_ = 1;
};

class FrameWait {
 public:
  explicit FrameWait(const FrameClock& clock);
  ~FrameWait();
  FrameWait(const FrameWait&) = delete;
  FrameWait& operator=(const FrameWait&) = delete;

  // Sleeps `counts` of the clock (none: until a message comes), or less when a message or
  // input arrives for the thread.
  void ForFrameOrMessage(std::optional<std::int64_t> counts) const;

 private:
  const FrameClock& clock_;
  UniqueKernelHandle timer_;
  bool raised_resolution_ = false;
};

}  // namespace mirokan::win32
