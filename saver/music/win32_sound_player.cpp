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

#include "common/win32_system_library.h"
#include "common/win32_text.h"

namespace mirokan::win32 {
namespace {

// Without the multimedia library there is no device and nothing plays.
BOOL PlaySoundNamed(const char* name, DWORD flags) {
  static const auto play = SystemFunction<decltype(PlaySoundA)>(L"winmm.dll", "PlaySoundA");
  return play ? play(name, nullptr, flags) : FALSE;
}

}  // namespace

std::int32_t WinmmSoundPlayer::OutputDeviceCount() {
  static const auto device_count =
      SystemFunction<decltype(waveOutGetNumDevs)>(L"winmm.dll", "waveOutGetNumDevs");
  const UINT count = device_count ? device_count() : 0;
  return static_cast<std::int32_t>(
      std::min<UINT>(count, static_cast<UINT>(std::numeric_limits<std::int32_t>::max())));
}

std::int32_t WinmmSoundPlayer::PlayLooping(std::string_view name) {
  const std::string ansi = Utf8ToAnsi(name);
  return PlaySoundNamed(ansi.c_str(), SND_ASYNC | SND_LOOP);
}

std::int32_t WinmmSoundPlayer::Stop() {
  return PlaySoundNamed(nullptr, 0);
}

}  // namespace mirokan::win32
