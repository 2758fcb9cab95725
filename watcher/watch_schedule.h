// When the watcher photographs the user's desktop: a short lead before the system's idle
// timeout starts the saver, once for each stretch of idleness, and not a wake-up more than
// that needs.
#pragma once

#include <cstdint>

namespace mirokan {

// The picture is taken this long before the timeout. Windows starts the saver once the idle
// time reaches the timeout, checking about once a second; the watcher's own wake-up may be a
// timer tick late on a busy machine, and a copy of several 4K monitors takes a few hundred
// milliseconds. Two seconds covers those with room, and nothing the user did can have
// changed the desktop since: any input makes the picture stale.
inline constexpr std::uint32_t kPictureLeadMs = 2000;
// While a picture is held, input is looked for this often, so that it is dropped soon after
// the user is back.
inline constexpr std::uint32_t kHeldPollMs = 1000;
// The settings (the timeout, the switch) are read again at least this often.
inline constexpr std::uint32_t kLongestSleepMs = 30000;

struct WatchFacts {
  std::uint32_t now_tick = 0;
  std::uint32_t last_input_tick = 0;
  std::uint32_t timeout_ms = 0;  // 0: no saver starts on idleness
  // A picture was taken (or refused) for this stretch of idleness already.
  bool done_for_this_input = false;
  bool holding_picture = false;
};

struct WatchStep {
  bool take_picture = false;
  std::uint32_t sleep_ms = 0;
};

WatchStep NextWatchStep(const WatchFacts& facts);

}  // namespace mirokan
