// The performance counter as the frame clock, and the wait between frames: a
// high-resolution waitable timer (Windows 10 1803 and later) or, before it, an ordinary one
// with the system's timer resolution raised to 1 ms for the run. A wait at the default
// 15.6 ms resolution would take a 16.7 ms frame to 31 ms.
#include "renderer/win32_frame_wait.h"

#include "common/win32_system_library.h"

namespace mirokan::win32 {
namespace {

// Not in every SDK's headers (Windows 10 1803).
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr UINT kFinestPeriodMs = 1;

using TimePeriodProc = UINT WINAPI(UINT);

}  // namespace

PerformanceClock::PerformanceClock() {
  LARGE_INTEGER frequency{};
  // Never fails from Windows XP on; the fallback keeps every division defined.
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
    per_second_ = frequency.QuadPart;
  }
}

std::int64_t PerformanceClock::Now() const {
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  return count.QuadPart;
}

FrameWait::FrameWait(const FrameClock& clock) : clock_(clock) {
  timer_.Reset(CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS));
  if (timer_) return;
  // Older systems refuse the flag.
  timer_.Reset(CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS));
  if (auto* begin = SystemFunction<TimePeriodProc>(L"winmm.dll", "timeBeginPeriod")) {
    raised_resolution_ = begin(kFinestPeriodMs) == 0;  // TIMERR_NOERROR
  }
}

FrameWait::~FrameWait() {
  if (!raised_resolution_) return;
  if (auto* end = SystemFunction<TimePeriodProc>(L"winmm.dll", "timeEndPeriod")) {
    end(kFinestPeriodMs);
  }
}

void FrameWait::ForFrameOrMessage(std::optional<std::int64_t> counts) const {
  const std::int64_t per_second = clock_.CountsPerSecond();
  if (counts && timer_) {
    // Relative due times are negative, in 100 ns units, rounded up: never early.
    constexpr std::int64_t kUnitsPerSecond = 10'000'000;
    LARGE_INTEGER due{};
    due.QuadPart = -((*counts * kUnitsPerSecond + per_second - 1) / per_second);
    if (SetWaitableTimer(timer_.Get(), &due, 0, nullptr, nullptr, FALSE)) {
      const HANDLE timer = timer_.Get();
      MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      return;
    }
  }
  // Without a timer, whole milliseconds, rounded up.
  const DWORD milliseconds =
      counts ? static_cast<DWORD>((*counts * 1000 + per_second - 1) / per_second) : INFINITE;
  MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace mirokan::win32
