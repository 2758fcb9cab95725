// A sound player that behaves like the platform's: it needs an output device and loops the
// sound it was given until stopped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "saver/music/sound_player.h"

namespace mirokan {

class FakeSoundPlayer final : public SoundPlayer {
 public:
  explicit FakeSoundPlayer(std::int32_t device_count = 1) : device_count_(device_count) {}

  // What loops now, if anything.
  const std::optional<std::string>& Playing() const { return playing_; }

  std::int32_t OutputDeviceCount() override { return device_count_; }
  std::int32_t PlayLooping(std::string_view name) override {
    if (device_count_ <= 0) return 0;
    playing_ = std::string(name);
    return 1;
  }
  std::int32_t Stop() override {
    playing_.reset();
    return 1;
  }

 private:
  std::int32_t device_count_;
  std::optional<std::string> playing_;
};

}  // namespace mirokan
