// A media service that answers the music player's own command strings as an MCI system with
// a CD drive ("cdaudio") and an MPEGVideo device would, on a clock the test steps: replies
// go into the caller's buffer (clearing only its first byte), failures come as error codes
// with texts, and a device stops when its music runs out.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "saver/music/media_service.h"

namespace mirokan {

namespace mci_error {
inline constexpr std::int32_t kUnrecognizedCommand = 261;
inline constexpr std::int32_t kInvalidDeviceName = 263;
inline constexpr std::int32_t kBadInteger = 270;
inline constexpr std::int32_t kFileNotFound = 275;
inline constexpr std::int32_t kDeviceNotReady = 276;
inline constexpr std::int32_t kOutOfRange = 282;
}  // namespace mci_error

class FakeMediaService final : public MediaService {
 public:
  struct SentCommand {
    std::string command;
    std::size_t capacity = 0;  // reply capacity in characters, 0 without a buffer
    bool operator==(const SentCommand&) const = default;
  };

  // The CD drive starts empty.
  void InsertDisc(const std::vector<std::chrono::seconds>& track_lengths) {
    track_starts_ = {0};
    for (const auto length : track_lengths) track_starts_.push_back(End() + length.count() * 1000);
    cd_ = {};
  }
  // Files the MPEGVideo device can open, by the exact path in the open command.
  void AddFile(std::string path, std::chrono::milliseconds length) {
    files_[std::move(path)] = length.count();
  }
  // Answers the next `command` with this code and reply: a driver that words it its own way.
  void ScriptNextReply(std::string command, std::int32_t code, std::string reply) {
    scripted_[std::move(command)] = {code, std::move(reply)};
  }
  // Simulated time passes: playing devices move on and stop at their end; a disc played to
  // its end goes back to its first track.
  void Advance(std::chrono::milliseconds elapsed) {
    for (Run* run : {&cd_, &file_}) {
      if (!run->playing) continue;
      run->position = std::min(run->position + elapsed.count(), run->end);
      run->playing = run->position < run->end;
    }
    if (!cd_.playing && cd_.position == End()) cd_.position = 0;
  }
  std::vector<SentCommand> TakeSent() { return std::exchange(sent_, {}); }
  // The track the disc plays now, 0 when it is silent.
  int CdTrackPlaying() const { return cd_.playing ? TrackAt(cd_.position) : 0; }
  bool FilePlaying() const { return file_open_ && file_.playing; }

  std::int32_t SendCommand(std::string_view command, std::span<char> reply) override {
    sent_.push_back({std::string(command), reply.size()});
    if (!reply.empty()) reply[0] = '\0';
    Result result = Answer(std::string(command));
    if (const auto scripted = scripted_.find(std::string(command)); scripted != scripted_.end()) {
      result = scripted->second;
      scripted_.erase(scripted);
    }
    if (result.code == 0 && !reply.empty()) Copy(result.reply, reply);
    return result.code;
  }
  bool GetErrorText(std::int32_t code, std::span<char> text) override {
    static const std::map<std::int32_t, std::string_view> texts = {
        {mci_error::kInvalidDeviceName,
         "The specified device is not open or is not recognized by MCI."},
        {mci_error::kBadInteger, "The specified integer is invalid for this command."},
        {mci_error::kDeviceNotReady, "The device is not ready."}};
    const auto found = texts.find(code);
    if (found == texts.end() || text.empty()) return false;
    Copy(found->second, text);
    return true;
  }

 private:
  struct Result {
    std::int32_t code = 0;
    std::string reply;
  };
  struct Run {  // a device's place in its music, in ms
    std::int64_t position = 0;
    std::int64_t end = 0;
    bool playing = false;
  };

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
  // A track's start in the tmsf format the player sets ("05:00:00:00"); 0 for other text.
  int TrackOf(const std::string& tmsf) const {
    int track = 0;
    return std::sscanf(tmsf.c_str(), "%2d:00:00:00", &track) == 1 && tmsf.size() == 11 ? track : 0;
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
    if (command.find(" cdaudio") != std::string::npos && Tracks() == 0) return {kDeviceNotReady};
    if (command == "status cdaudio current track")
      return {0, std::to_string(TrackAt(cd_.position))};
    if (command == "status cdaudio number of tracks") return {0, std::to_string(Tracks())};
    if (command.starts_with("status cdaudio position track ")) {
      const std::string number = command.substr(30);
      if (number.find_first_not_of("0123456789") != std::string::npos) return {kBadInteger};
      const int track = std::stoi(number);
      if (track < 1 || track > Tracks()) return {kOutOfRange};
      char tmsf[16];
      std::snprintf(tmsf, sizeof tmsf, "%02d:00:00:00", track);
      return {0, tmsf};
    }
    if (command == "play cdaudio" || command.starts_with("play cdaudio from ")) {
      if (command.size() > 12) {
        const int track = TrackOf(command.substr(18));
        if (track < 1 || track > Tracks()) return {kBadInteger};
        cd_.position = track_starts_[track - 1];
      }
      cd_ = {cd_.position, End(), cd_.position < End()};
      return {};
    }
    if (command.starts_with("open \"") && command.ends_with("\" type MPEGVideo Alias MP3Play")) {
      const auto found = files_.find(command.substr(6, command.size() - 6 - 30));
      if (found == files_.end()) return {kFileNotFound};
      file_open_ = true;
      file_ = {0, found->second, false};
      return {};
    }
    if (!command.ends_with("MP3Play") && !command.ends_with("MP3Play from 0") &&
        !command.ends_with("MP3Play mode")) {
      return {kUnrecognizedCommand};
    }
    if (!file_open_) return {kInvalidDeviceName};
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
  std::map<std::string, Result> scripted_;
  std::vector<SentCommand> sent_;
};

inline std::ostream& operator<<(std::ostream& out, const FakeMediaService::SentCommand& sent) {
  return out << '"' << sent.command << "\" (" << sent.capacity << ')';
}

}  // namespace mirokan
