// A sound player that behaves like the platform's: it needs an output device, loops the
// sound it was given until stopped, and falls back to the default sound for a name it
// cannot resolve.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "saver/music/sound_player.h"

namespace mirokan {

class FakeSoundPlayer final : public SoundPlayer {
 public:
  static constexpr std::string_view kDefaultSound = "(default sound)";

  explicit FakeSoundPlayer(std::int32_t device_count = 1) : device_count_(device_count) {}

  void AddSound(std::string name) { sounds_.insert(std::move(name)); }

  // What loops now, if anything.
  const std::optional<std::string>& Playing() const { return playing_; }
  // Every call in order: "count", "play <name>", "stop".
  const std::vector<std::string>& Calls() const { return calls_; }

  std::int32_t OutputDeviceCount() override {
    calls_.push_back("count");
    return device_count_;
  }

  std::int32_t PlayLooping(std::string_view name) override {
    calls_.push_back("play " + std::string(name));
    if (device_count_ <= 0) return 0;
    playing_ = sounds_.contains(std::string(name)) ? std::string(name) : std::string(kDefaultSound);
    return 1;
  }

  std::int32_t Stop() override {
    calls_.push_back("stop");
    playing_.reset();
    return 1;
  }

 private:
  std::int32_t device_count_;
  std::set<std::string> sounds_;
  std::optional<std::string> playing_;
  std::vector<std::string> calls_;
};

}  // namespace mirokan
