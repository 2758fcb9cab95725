#include "watcher/watch_schedule.h"

#include <algorithm>

namespace mirokan {
namespace {

// The idle time a picture is due at, for a saver timeout.
std::uint32_t PictureDueAfter(std::uint32_t timeout_ms) {
  // A timeout shorter than two leads (never set by the system's own settings, whose least is
  // a minute) gets its picture half way.
  return timeout_ms - std::min(kPictureLeadMs, timeout_ms / 2);
}

}  // namespace

WatchStep NextWatchStep(const WatchFacts& facts) {
  if (facts.timeout_ms == 0) return {.take_picture = false, .sleep_ms = kLongestSleepMs};
  // Tick arithmetic wraps every 49.7 days; the difference of two ticks does not.
  const std::uint32_t idle = facts.now_tick - facts.last_input_tick;
  const std::uint32_t due = PictureDueAfter(facts.timeout_ms);
  if (facts.done_for_this_input) {
    // A held picture is dropped at the next input; without one, only the next stretch of
    // idleness matters, whose picture is due no sooner than `due` from now.
    const std::uint32_t sleep = facts.holding_picture ? kHeldPollMs : due;
    return {.take_picture = false, .sleep_ms = std::clamp(sleep, kHeldPollMs, kLongestSleepMs)};
  }
  if (idle >= due) return {.take_picture = true, .sleep_ms = kHeldPollMs};
  return {.take_picture = false, .sleep_ms = std::min(due - idle, kLongestSleepMs)};
}

}  // namespace mirokan
