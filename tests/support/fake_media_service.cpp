#include "fake_media_service.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace mirokan {
namespace {

using namespace mci_error;
constexpr std::int64_t kFramesPerSecond = 75;  // CD audio frames

std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return folded;
}

// Splits a command into words on blanks; a word in double quotes may hold blanks.
std::vector<std::string> SplitWords(std::string_view command) {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < command.size();) {
    const bool quoted = command[i] == '"';
    const std::size_t stop = std::min(command.find(quoted ? '"' : ' ', i + 1), command.size());
    if (command[i] != ' ') words.emplace_back(command.substr(i + quoted, stop - i - quoted));
    i = command[i] == ' ' ? i + 1 : stop + quoted;
  }
  return words;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string joined;
  for (const auto& word : words) joined += (joined.empty() ? "" : " ") + Folded(word);
  return joined;
}

// MCI reads integers as plain digits: no sign, no blanks.
std::optional<std::int64_t> ParseDigits(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text[0] == '-' || error != std::errc() || end != text.data() + text.size()) {
    return {};
  }
  return value;
}

// Copies NUL-terminated text, cut to fit, as the platform's string functions do.
void CopyText(std::string_view text, std::span<char> buffer) {
  const std::size_t length = std::min(text.size(), buffer.size() - 1);
  std::copy_n(text.data(), length, buffer.data());
  buffer[length] = '\0';
}

}  // namespace

void FakeMediaService::InsertDisc(const std::vector<std::chrono::seconds>& track_lengths) {
  track_starts_ = {0};
  for (const auto length : track_lengths) {
    track_starts_.push_back(DiscEnd() + std::chrono::milliseconds(length).count());
  }
  cd_ = {};
}

void FakeMediaService::ScriptNextReply(std::string_view command, std::int32_t code,
                                       std::string reply) {
  scripted_.push_back({Folded(command), {code, std::move(reply)}});
}

void FakeMediaService::Advance(std::chrono::milliseconds elapsed) {
  for (Run* run : {&cd_, file_ ? &file_->second : nullptr}) {
    if (run == nullptr || !run->playing) continue;
    run->position = std::min(run->position + elapsed.count(), run->end);
    run->playing = run->position < run->end;
  }
  // A disc played to its end goes back to its first track.
  if (!cd_.playing && cd_.position == DiscEnd()) cd_.position = 0;
}

std::int32_t FakeMediaService::SendCommand(std::string_view command, std::span<char> reply) {
  sent_.push_back({std::string(command), reply.size()});
  // The platform clears the reply before it starts; only what lies behind a new reply's NUL
  // survives from an older one.
  if (!reply.empty()) reply[0] = '\0';
  Result result;
  const auto scripted = std::find_if(scripted_.begin(), scripted_.end(),
                                     [&](const auto& s) { return s.first == Folded(command); });
  if (scripted != scripted_.end()) {
    result = scripted->second;
    scripted_.erase(scripted);
  } else {
    result = Dispatch(SplitWords(command));
  }
  if (result.code != 0 || reply.empty()) return result.code;
  if (result.reply.size() >= reply.size()) return kParamOverflow;
  CopyText(result.reply, reply);
  return 0;
}

bool FakeMediaService::GetErrorText(std::int32_t code, std::span<char> text) {
  static const std::map<std::int32_t, std::string_view> texts = {
      {kUnrecognizedKeyword, "The driver cannot recognize the specified command parameter."},
      {kUnrecognizedCommand, "The driver cannot recognize the specified command."},
      {kInvalidDeviceName, "The specified device is not open or is not recognized by MCI."},
      {kParamOverflow, "The output string was too large to fit in the return buffer."},
      {kBadInteger, "The specified integer is invalid for this command."},
      {kFileNotFound, "Cannot find the specified file."},
      {kDeviceNotReady, "The device is not ready."},
      {kOutOfRange, "The specified parameter is out of range for the specified command."},
      {kMissingDeviceName, "The specified command requires an alias, file or device name."},
  };
  const auto found = texts.find(code);
  if (found == texts.end() || text.empty()) return false;
  CopyText(found->second, text);
  return true;
}

FakeMediaService::Result FakeMediaService::Dispatch(const std::vector<std::string>& words) {
  if (words.size() < 2) return {kMissingDeviceName, {}};
  const std::string verb = Folded(words[0]);
  const std::string device = Folded(words[1]);
  const std::vector<std::string> args(words.begin() + 2, words.end());
  const std::string what = Joined(args);
  if (device == "cdaudio") return CdCommand(verb, args);
  if (verb == "open") {  // only as the player opens a file: open <path> type mpegvideo alias <a>
    if (args.size() != 4 || Joined({args.begin(), args.begin() + 3}) != "type mpegvideo alias") {
      return {kUnrecognizedKeyword, {}};
    }
    const auto found = files_.find(words[1]);
    if (found == files_.end()) return {kFileNotFound, {}};
    file_.emplace(Folded(args[3]), Run{0, found->second, false});
    return {};
  }
  if (!file_ || device != file_->first) return {kInvalidDeviceName, {}};
  Run& run = file_->second;  // its end stays the file's length
  if (verb == "status" && what == "mode") return {0, run.playing ? "playing" : "stopped"};
  if (verb == "play" && (what.empty() || what == "from 0")) {  // the starts the player sends
    if (!what.empty()) run.position = 0;
    run.playing = run.position < run.end;
  } else if (!what.empty()) {
    return {kUnrecognizedKeyword, {}};
  } else if (verb == "stop") {
    run.playing = false;
  } else if (verb == "close") {
    file_.reset();
  } else {
    return {kUnrecognizedCommand, {}};
  }
  return {};
}

FakeMediaService::Result FakeMediaService::CdCommand(std::string_view verb,
                                                     const std::vector<std::string>& args) {
  const std::string what = Joined(args);
  if (verb == "open" || verb == "close") return {};  // closing does not stop a disc
  if (verb == "set") return {what == "time format tmsf" ? 0 : kUnrecognizedKeyword, {}};
  if (verb == "stop") {
    cd_.playing = false;
    return {};
  }
  if (verb == "status" && what == "mode") {
    return {0, TrackCount() == 0 ? "not ready" : cd_.playing ? "playing" : "stopped"};
  }
  if (verb != "status" && verb != "play") return {kUnrecognizedCommand, {}};
  if (TrackCount() == 0) return {kDeviceNotReady, {}};
  if (verb == "status") {
    if (what == "current track") return {0, std::to_string(TrackAt(cd_.position))};
    if (what == "number of tracks") return {0, std::to_string(TrackCount())};
    if (args.size() != 3 || !what.starts_with("position track ")) {
      return {kUnrecognizedKeyword, {}};
    }
    std::int64_t start = 0;
    const Result parsed = ParseTmsf(args[2], start);
    return parsed.code != 0 ? parsed : Result{0, Tmsf(start)};
  }
  Run run{cd_.position, DiscEnd(), false};
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const std::string key = Folded(args[i]);
    if ((key != "from" && key != "to") || i + 1 == args.size()) return {kUnrecognizedKeyword, {}};
    const Result parsed = ParseTmsf(args[i + 1], key == "from" ? run.position : run.end);
    if (parsed.code != 0) return parsed;
  }
  if (run.end < run.position) return {kOutOfRange, {}};
  run.playing = run.position < run.end;
  cd_ = run;
  return {};
}

int FakeMediaService::TrackAt(std::int64_t position) const {
  return static_cast<int>(
      std::upper_bound(track_starts_.begin(), track_starts_.end() - 1, position) -
      track_starts_.begin());
}

std::string FakeMediaService::Tmsf(std::int64_t position) const {
  const int track = TrackAt(position);
  const std::int64_t offset = position - track_starts_[static_cast<std::size_t>(track - 1)];
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", track, static_cast<int>(offset / 60000),
                static_cast<int>(offset / 1000 % 60),
                static_cast<int>(offset % 1000 * kFramesPerSecond / 1000));
  return text;
}

// "t[:mm[:ss[:ff]]]", each part plain digits; a track number alone is its start.
FakeMediaService::Result FakeMediaService::ParseTmsf(std::string_view text,
                                                     std::int64_t& position) const {
  std::int64_t p[4] = {};
  std::size_t start = 0;
  for (std::size_t n = 0; start <= text.size(); ++n) {
    const std::size_t colon = std::min(text.find(':', start), text.size());
    const auto part = ParseDigits(text.substr(start, colon - start));
    if (!part || n == 4) return {kBadInteger, {}};
    p[n] = *part;
    start = colon + 1;
  }
  const std::int64_t offset = p[1] * 60000 + p[2] * 1000 + p[3] * 1000 / kFramesPerSecond;
  if (p[0] < 1 || p[0] > TrackCount() || p[2] >= 60 || p[3] >= kFramesPerSecond ||
      track_starts_[p[0] - 1] + offset >= track_starts_[p[0]]) {
    return {kOutOfRange, {}};
  }
  position = track_starts_[p[0] - 1] + offset;
  return {};
}

}  // namespace mirokan
