// A media service that answers the music player's own commands as an MCI system with a CD
// drive ("cdaudio") and an MPEGVideo device would, on a clock the test steps: replies go into
// the caller's buffer (clearing only its first byte), failures come as error codes, and a
// device stops when its music runs out.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "saver/music/media_service.h"

namespace mirokan {

namespace mci_error {
inline constexpr std::int32_t kOther = 261;  // anything the player does not tell apart
inline constexpr std::int32_t kBadInteger = 270;
inline constexpr std::int32_t kDeviceNotReady = 276;
}  // namespace mci_error

class FakeMediaService final : public MediaService {
 public:
  // The CD drive starts empty.
  void InsertDisc(const std::vector<std::chrono::seconds>& track_lengths) {
    track_starts_ = {0};
    for (const auto length : track_lengths) track_starts_.push_back(End() + length.count() * 1000);
  }
  // A file the MPEGVideo device can open, by the exact path in the open command.
  void AddFile(std::string path, std::chrono::milliseconds length) {
    files_[std::move(path)] = length.count();
  }
  // Answers the next `command` with this reply: a driver that words it its own way.
  void ScriptNextReply(std::string command, std::string reply) {
    scripted_[std::move(command)] = std::move(reply);
  }
  // Time passes: playing devices move on and stop at their end.
  void Advance(std::chrono::milliseconds elapsed) {
    for (Run* run : {&cd_, &file_}) {
      if (!run->playing) continue;
      run->position = std::min(run->position + elapsed.count(), run->end);
      run->playing = run->position < run->end;
    }
    if (!cd_.playing && cd_.position == End()) cd_.position = 0;  // back to the first track
  }
  // The track the disc plays now, 0 when it is silent.
  int CdTrackPlaying() const { return cd_.playing ? TrackAt(cd_.position) : 0; }
  bool FilePlaying() const { return file_open_ && file_.playing; }
  // How many of the commands sent since the last call begin with `start`.
  int Asked(std::string_view start) {
    const auto count = std::ranges::count_if(
        sent_, [&](const std::string& command) { return command.starts_with(start); });
    sent_.clear();
    return static_cast<int>(count);
  }

  std::int32_t SendCommand(std::string_view command, std::span<char> reply) override {
    sent_.emplace_back(command);
    if (!reply.empty()) reply[0] = '\0';
    auto [code, text] = Answer(std::string(command));
    if (const auto scripted = scripted_.find(std::string(command)); scripted != scripted_.end()) {
      text = std::move(scripted->second);
      scripted_.erase(scripted);
    }
    if (code == 0 && !reply.empty()) Copy(text, reply);
    return code;
  }
  bool GetErrorText(std::int32_t code, std::span<char> text) override {
    if (code != mci_error::kDeviceNotReady || text.empty()) return false;
    Copy("The device is not ready.", text);
    return true;
  }

 private:
  struct Run {  // a device's place in its music, in ms
    std::int64_t position = 0;
    std::int64_t end = 0;
    bool playing = false;
  };
  using Result = std::pair<std::int32_t, std::string>;

  static void Copy(std::string_view text, std::span<char> buffer) {
    const std::size_t length = std::min(text.size(), buffer.size() - 1);
    std::copy_n(text.data(), length, buffer.data());
    buffer[length] = '\0';
  }
  std::int64_t End() const { return track_starts_.back(); }
  int Tracks() const { return static_cast<int>(track_starts_.size()) - 1; }
  int TrackAt(std::int64_t position) const {
    return static_cast<int>(
        std::upper_bound(track_starts_.begin(), track_starts_.end() - 1, position) -
        track_starts_.begin());
  }
  static std::string Tmsf(int track) {
    return (track < 10 ? "0" : "") + std::to_string(track) + ":00:00:00";
  }

  Result Answer(const std::string& command) {
    using namespace mci_error;
    if (command == "open cdaudio" || command == "close cdaudio" ||
        command == "set cdaudio time format tmsf") {
      return {};  // closing does not stop a disc
    }
    if (command == "stop cdaudio") return cd_.playing = false, Result{};
    if (command == "status cdaudio mode") {
      return {0, Tracks() == 0 ? "not ready" : cd_.playing ? "playing" : "stopped"};
    }
    if (command.find(" cdaudio") != std::string::npos && Tracks() == 0) return {kDeviceNotReady, ""};
    if (command == "status cdaudio current track") return {0, std::to_string(TrackAt(cd_.position))};
    if (command == "status cdaudio number of tracks") return {0, std::to_string(Tracks())};
    for (int track = 1; track <= Tracks(); ++track) {
      if (command == "status cdaudio position track " + std::to_string(track)) return {0, Tmsf(track)};
      if (command == "play cdaudio from " + Tmsf(track)) return Play(track_starts_[track - 1]);
    }
    if (command == "play cdaudio") return Play(cd_.position);
    // Any other track, or text that is no track at all.
    if (command.find(" cdaudio ") != std::string::npos) return {kBadInteger, ""};
    return AnswerFile(command);
  }
  Result Play(std::int64_t from) {
    cd_ = {from, End(), true};
    return {};
  }

  Result AnswerFile(const std::string& command) {
    using namespace mci_error;
    if (command.starts_with("open \"") && command.ends_with("\" type MPEGVideo Alias MP3Play")) {
      const auto found = files_.find(command.substr(6, command.size() - 6 - 30));
      if (found == files_.end()) return {kOther, ""};
      file_open_ = true;
      file_ = {0, found->second, false};
      return {};
    }
    if (command.find("MP3Play") == std::string::npos || !file_open_) return {kOther, ""};
    if (command == "status MP3Play mode") return {0, file_.playing ? "playing" : "stopped"};
    if (command == "play MP3Play from 0") file_.position = 0;
    if (command.starts_with("play")) file_.playing = file_.position < file_.end;
    if (command == "stop MP3Play") file_.playing = false;
    if (command == "close MP3Play") file_open_ = false;
    return {};
  }

  std::vector<std::int64_t> track_starts_ = {0};  // then the disc's end; {0} without a disc
  Run cd_;
  Run file_;
  bool file_open_ = false;
  std::map<std::string, std::int64_t> files_;
  std::map<std::string, std::string> scripted_;
  std::vector<std::string> sent_;
};

}  // namespace mirokan
