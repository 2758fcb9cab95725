// The sound player on Windows: waveOutGetNumDevs and PlaySoundW. The name is a file's path,
// whole whatever the code page holds, and a file that cannot be played plays nothing: the
// system's default sound would otherwise loop for the whole session.
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
BOOL PlaySoundNamed(const wchar_t* name, DWORD flags) {
  static const auto play = SystemFunction<decltype(PlaySoundW)>(L"winmm.dll", "PlaySoundW");
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
  return PlaySoundNamed(Utf8ToWide(name).c_str(),
                        SND_ASYNC | SND_LOOP | SND_FILENAME | SND_NODEFAULT);
}

std::int32_t WinmmSoundPlayer::Stop() {
  return PlaySoundNamed(nullptr, 0);
}

}  // namespace mirokan::win32
