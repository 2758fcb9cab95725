// The sound player on Windows: waveOutGetNumDevs and PlaySoundA. The sound name goes out in
// the ANSI code page; the flags are exactly asynchronous and looping, so the platform's own
// rules for resolving the name and for a missing sound apply.
#include "saver/music/win32_sound_player.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "common/win32_text.h"

namespace mirokan::win32 {

std::int32_t WinmmSoundPlayer::OutputDeviceCount() {
  const UINT count = waveOutGetNumDevs();
  return static_cast<std::int32_t>(
      std::min<UINT>(count, static_cast<UINT>(std::numeric_limits<std::int32_t>::max())));
}

std::int32_t WinmmSoundPlayer::PlayLooping(std::string_view name) {
  const std::string ansi = Utf8ToAnsi(name);
  return PlaySoundA(ansi.c_str(), nullptr, SND_ASYNC | SND_LOOP);
}

std::int32_t WinmmSoundPlayer::Stop() {
  return PlaySoundA(nullptr, nullptr, 0);
}

}  // namespace mirokan::win32
