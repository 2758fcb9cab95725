// A media service that behaves like an MCI system with a CD drive ("cdaudio") and an
// MPEGVideo device for music files, on a simulated clock the test steps. It answers the
// command strings the way the platform does: replies into the caller's buffer, error codes
// with texts, and devices whose mode changes when the music runs out. Not modelled: the
// platform's auto-open of a device a command names before any "open" (a closed "cdaudio"
// answers as not open instead).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "saver/music/media_service.h"

namespace mirokan {

// The platform's MCI error codes the fake answers with.
namespace mci_error {
inline constexpr std::int32_t kUnrecognizedKeyword = 259;
inline constexpr std::int32_t kUnrecognizedCommand = 261;
inline constexpr std::int32_t kInvalidDeviceName = 263;
inline constexpr std::int32_t kDeviceOpen = 265;
inline constexpr std::int32_t kCannotLoadDriver = 266;
inline constexpr std::int32_t kMissingCommandString = 267;
inline constexpr std::int32_t kParamOverflow = 268;
inline constexpr std::int32_t kBadInteger = 270;
inline constexpr std::int32_t kMissingParameter = 273;
inline constexpr std::int32_t kFileNotFound = 275;
inline constexpr std::int32_t kDeviceNotReady = 276;
inline constexpr std::int32_t kOutOfRange = 282;
inline constexpr std::int32_t kDuplicateAlias = 289;
inline constexpr std::int32_t kMissingDeviceName = 292;
inline constexpr std::int32_t kBadTimeFormat = 293;
inline constexpr std::int32_t kNoClosingQuote = 294;
}  // namespace mci_error

class FakeMediaService final : public MediaService {
 public:
  struct SentCommand {
    std::string command;
    std::size_t capacity = 0;  // reply capacity in characters, 0 without a buffer
    bool operator==(const SentCommand&) const = default;
  };

  // The CD drive starts present and empty. Without a drive "cdaudio" cannot be loaded at all.
  void RemoveCdDrive() { cd_.drive = false; }
  void InsertDisc(const std::vector<std::chrono::seconds>& track_lengths);
  // Files the MPEGVideo device can open, by the exact path given in the open command.
  void AddFile(std::string path, std::chrono::milliseconds length);
  // Answers the next command equal to `command` (case aside) with this code and reply,
  // leaving the devices untouched: a driver that words a reply its own way.
  void ScriptNextReply(std::string_view command, std::int32_t code, std::string reply);
  // Simulated time passes: playing devices move on and stop at their end.
  void Advance(std::chrono::milliseconds elapsed);

  // Every command sent so far, oldest first; TakeSent returns those since the last take.
  const std::vector<SentCommand>& Sent() const { return sent_; }
  std::vector<SentCommand> TakeSent();

  bool CdOpen() const { return cd_.open; }
  // The track the disc plays now, 0 when it is silent. A CD plays on after "close".
  int CdTrackPlaying() const;
  bool FileOpen() const { return file_.has_value(); }
  bool FilePlaying() const { return file_ && file_->playing; }

  std::int32_t SendCommand(std::string_view command, std::span<char> reply) override;
  bool GetErrorText(std::int32_t code, std::span<char> text) override;

 private:
  enum class TimeFormat { kMsf, kTmsf, kMilliseconds };
  struct Result {
    std::int32_t code = 0;
    std::string reply;
  };
  struct Cd {
    bool drive = true;
    bool open = false;
    bool disc = false;
    TimeFormat format = TimeFormat::kMsf;
    std::vector<std::int64_t> track_starts = {0};  // ms from the disc start, then its end
    bool playing = false;
    std::int64_t position = 0;
    std::int64_t end = 0;
  };
  struct MusicFile {
    std::string alias;
    std::int64_t length = 0;
    bool playing = false;
    bool paused = false;
    std::int64_t position = 0;
    std::int64_t end = 0;
  };
  struct Scripted {
    std::string command;
    Result result;
  };

  Result Dispatch(const std::vector<std::string>& words);
  Result OpenFile(const std::vector<std::string>& words);
  Result CdCommand(std::string_view verb, const std::vector<std::string>& args);
  Result CdStatus(const std::vector<std::string>& args) const;
  Result CdPlay(const std::vector<std::string>& args);
  Result FileCommand(std::string_view verb, const std::vector<std::string>& args);
  std::int64_t DiscEnd() const { return cd_.track_starts.back(); }
  int TrackAt(std::int64_t position) const;
  std::string FormatCdPosition(std::int64_t position) const;
  std::optional<std::int64_t> ParseCdPosition(std::string_view text, std::int32_t& error) const;

  Cd cd_;
  std::optional<MusicFile> file_;
  std::map<std::string, std::int64_t> files_;
  std::vector<Scripted> scripted_;
  std::vector<SentCommand> sent_;
  std::size_t taken_ = 0;
};

inline std::ostream& operator<<(std::ostream& out, const FakeMediaService::SentCommand& sent) {
  return out << '"' << sent.command << "\" (" << sent.capacity << ')';
}

}  // namespace mirokan
