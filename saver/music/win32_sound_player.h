// The sound player on Windows: PlaySoundA and the wave output device count.
#pragma once

#include "saver/music/sound_player.h"

namespace mirokan::win32 {

class WinmmSoundPlayer final : public SoundPlayer {
 public:
  std::int32_t OutputDeviceCount() override;
  std::int32_t PlayLooping(std::string_view name) override;
  std::int32_t Stop() override;
};

}  // namespace mirokan::win32
