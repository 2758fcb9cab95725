// The platform's simple sound player, as the music player uses it for WAV files.
#pragma once

#include <cstdint>
#include <string_view>

namespace mirokan {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;

  // Number of wave output devices.
  virtual std::int32_t OutputDeviceCount() = 0;

  // Starts playing the sound file at the path `name` asynchronously, over and over until stopped. A
  // file that cannot be played plays nothing (never the platform's default sound). Non-zero
  // on success.
  virtual std::int32_t PlayLooping(std::string_view name) = 0;

  // Stops whatever sound plays. Non-zero on success.
  virtual std::int32_t Stop() = 0;
};

}  // namespace mirokan
