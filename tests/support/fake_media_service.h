// A media service that behaves like an MCI system with a CD drive ("cdaudio") and an
// MPEGVideo device for music files, on a simulated clock the test steps: replies go into
// the caller's buffer, failures come as error codes with texts, and a device stops when its
// music runs out. Only what the music player uses is modelled: CD positions are always in the
// tmsf format it sets, and "cdaudio" answers whether it was opened or not.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "saver/music/media_service.h"

namespace mirokan {

// The platform's MCI error codes the fake answers with.
namespace mci_error {
inline constexpr std::int32_t kUnrecognizedKeyword = 259;
inline constexpr std::int32_t kUnrecognizedCommand = 261;
inline constexpr std::int32_t kInvalidDeviceName = 263;
inline constexpr std::int32_t kParamOverflow = 268;
inline constexpr std::int32_t kBadInteger = 270;
inline constexpr std::int32_t kFileNotFound = 275;
inline constexpr std::int32_t kDeviceNotReady = 276;
inline constexpr std::int32_t kOutOfRange = 282;
inline constexpr std::int32_t kMissingDeviceName = 292;
}  // namespace mci_error

class FakeMediaService final : public MediaService {
 public:
  struct SentCommand {
    std::string command;
    std::size_t capacity = 0;  // reply capacity in characters, 0 without a buffer
    bool operator==(const SentCommand&) const = default;
  };

  // The CD drive starts empty.
  void InsertDisc(const std::vector<std::chrono::seconds>& track_lengths);
  // Files the MPEGVideo device can open, by the exact path given in the open command.
  void AddFile(std::string path, std::chrono::milliseconds length) {
    files_[std::move(path)] = length.count();
  }
  // Answers the next command equal to `command` (case aside) with this code and reply,
  // leaving the devices untouched: a driver that words a reply its own way.
  void ScriptNextReply(std::string_view command, std::int32_t code, std::string reply);
  // Simulated time passes: playing devices move on and stop at their end.
  void Advance(std::chrono::milliseconds elapsed);
  // The commands sent since the last take, oldest first.
  std::vector<SentCommand> TakeSent() { return std::exchange(sent_, {}); }

  // The track the disc plays now, 0 when it is silent. A CD plays on after "close".
  int CdTrackPlaying() const { return cd_.playing ? TrackAt(cd_.position) : 0; }
  bool FilePlaying() const { return file_ && file_->second.playing; }

  std::int32_t SendCommand(std::string_view command, std::span<char> reply) override;
  bool GetErrorText(std::int32_t code, std::span<char> text) override;

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

  Result Dispatch(const std::vector<std::string>& words);
  Result CdCommand(std::string_view verb, const std::vector<std::string>& args);
  std::int64_t DiscEnd() const { return track_starts_.back(); }
  int TrackCount() const { return static_cast<int>(track_starts_.size()) - 1; }
  int TrackAt(std::int64_t position) const;
  std::string Tmsf(std::int64_t position) const;
  Result ParseTmsf(std::string_view text, std::int64_t& position) const;

  std::vector<std::int64_t> track_starts_ = {0};  // then the disc's end; {0} without a disc
  Run cd_;
  std::optional<std::pair<std::string, Run>> file_;  // its alias and run
  std::map<std::string, std::int64_t> files_;
  std::vector<std::pair<std::string, Result>> scripted_;
  std::vector<SentCommand> sent_;
};

inline std::ostream& operator<<(std::ostream& out, const FakeMediaService::SentCommand& sent) {
  return out << '"' << sent.command << "\" (" << sent.capacity << ')';
}

}  // namespace mirokan
