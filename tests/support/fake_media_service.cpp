#include "fake_media_service.h"

#include <algorithm>
#include <cstdio>

namespace mirokan {
namespace {

constexpr std::int64_t kFramesPerSecond = 75;  // CD audio frames

std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool Is(std::string_view word, std::string_view keyword) {
  return Folded(word) == keyword;
}

// Splits a command into words on blanks; a word in double quotes may hold blanks.
std::optional<std::vector<std::string>> SplitWords(std::string_view command) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < command.size()) {
    if (command[i] == ' ' || command[i] == '\t') {
      ++i;
    } else if (command[i] == '"') {
      const std::size_t close = command.find('"', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      words.emplace_back(command.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      const std::size_t end = command.find_first_of(" \t", i);
      const std::size_t stop = end == std::string_view::npos ? command.size() : end;
      words.emplace_back(command.substr(i, stop - i));
      i = stop;
    }
  }
  return words;
}

std::string Joined(const std::vector<std::string>& words, std::size_t from) {
  std::string joined;
  for (std::size_t i = from; i < words.size(); ++i) {
    if (!joined.empty()) joined += ' ';
    joined += Folded(words[i]);
  }
  return joined;
}

// MCI reads integers as plain digits: no sign, no blanks.
std::optional<std::int64_t> ParseDigits(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// "a:b:c:d" with up to `most` parts, each a byte as MCI packs them.
std::optional<std::vector<std::int64_t>> ParseColonParts(std::string_view text, std::size_t most) {
  std::vector<std::int64_t> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t colon = text.find(':', start);
    const auto part = ParseDigits(text.substr(
        start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
    if (!part || *part > 255) return std::nullopt;
    parts.push_back(*part);
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  if (parts.size() > most) return std::nullopt;
  return parts;
}

const std::map<std::int32_t, std::string_view>& ErrorTexts() {
  using namespace mci_error;
  static const std::map<std::int32_t, std::string_view> texts = {
      {kUnrecognizedKeyword, "The driver cannot recognize the specified command parameter."},
      {kUnrecognizedCommand, "The driver cannot recognize the specified command."},
      {kInvalidDeviceName, "The specified device is not open or is not recognized by MCI."},
      {kDeviceOpen, "The device name is already being used as an alias by this application."},
      {kCannotLoadDriver, "There is an undetectable problem in loading the device driver."},
      {kMissingCommandString, "No command was specified."},
      {kParamOverflow, "The output string was too large to fit in the return buffer."},
      {kBadInteger, "The specified integer is invalid for this command."},
      {kMissingParameter, "The specified command requires a parameter."},
      {kFileNotFound, "Cannot find the specified file."},
      {kDeviceNotReady, "The device is not ready."},
      {kOutOfRange, "The specified parameter is out of range for the specified command."},
      {kDuplicateAlias, "The specified alias is already being used in this application."},
      {kMissingDeviceName, "The specified command requires an alias, file or device name."},
      {kBadTimeFormat, "The specified value for the time format is invalid."},
      {kNoClosingQuote, "A closing double-quotation mark is missing from the parameter value."},
  };
  return texts;
}

// Copies NUL-terminated text, cut to fit, as the platform's string functions do.
void CopyText(std::string_view text, std::span<char> buffer) {
  const std::size_t length = std::min(text.size(), buffer.size() - 1);
  std::copy_n(text.data(), length, buffer.data());
  buffer[length] = '\0';
}

}  // namespace

void FakeMediaService::InsertDisc(const std::vector<std::chrono::seconds>& track_lengths) {
  cd_.disc = !track_lengths.empty();
  cd_.track_starts = {0};
  for (const auto length : track_lengths) {
    cd_.track_starts.push_back(cd_.track_starts.back() + std::chrono::milliseconds(length).count());
  }
  cd_.playing = false;
  cd_.position = 0;
}

void FakeMediaService::AddFile(std::string path, std::chrono::milliseconds length) {
  files_[std::move(path)] = length.count();
}

void FakeMediaService::ScriptNextReply(std::string_view command, std::int32_t code,
                                       std::string reply) {
  scripted_.push_back({Folded(command), {code, std::move(reply)}});
}

void FakeMediaService::Advance(std::chrono::milliseconds elapsed) {
  if (cd_.playing) {
    cd_.position = std::min(cd_.position + elapsed.count(), cd_.end);
    if (cd_.position == cd_.end) {
      cd_.playing = false;
      // A disc played to its end goes back to its first track.
      if (cd_.position == DiscEnd()) cd_.position = 0;
    }
  }
  if (file_ && file_->playing) {
    file_->position = std::min(file_->position + elapsed.count(), file_->end);
    if (file_->position == file_->end) file_->playing = false;
  }
}

std::vector<FakeMediaService::SentCommand> FakeMediaService::TakeSent() {
  std::vector<SentCommand> taken(sent_.begin() + static_cast<std::ptrdiff_t>(taken_), sent_.end());
  taken_ = sent_.size();
  return taken;
}

int FakeMediaService::CdTrackPlaying() const {
  return cd_.disc && cd_.playing ? TrackAt(cd_.position) : 0;
}

std::int32_t FakeMediaService::SendCommand(std::string_view command, std::span<char> reply) {
  sent_.push_back({std::string(command), reply.size()});
  // The platform clears the reply before it starts, so a failed command leaves no old reply
  // at the front; only what lies behind a new reply's NUL survives.
  if (!reply.empty()) reply[0] = '\0';

  Result result;
  const auto scripted = std::find_if(scripted_.begin(), scripted_.end(), [&](const Scripted& s) {
    return s.command == Folded(command);
  });
  if (scripted != scripted_.end()) {
    result = scripted->result;
    scripted_.erase(scripted);
  } else if (const auto words = SplitWords(command)) {
    result = Dispatch(*words);
  } else {
    result.code = mci_error::kNoClosingQuote;
  }

  if (result.code != 0 || reply.empty()) return result.code;
  if (result.reply.size() >= reply.size()) return mci_error::kParamOverflow;
  CopyText(result.reply, reply);
  return 0;
}

bool FakeMediaService::GetErrorText(std::int32_t code, std::span<char> text) {
  const auto found = ErrorTexts().find(code);
  if (found == ErrorTexts().end() || text.empty()) return false;
  CopyText(found->second, text);
  return true;
}

FakeMediaService::Result FakeMediaService::Dispatch(const std::vector<std::string>& words) {
  if (words.empty()) return {mci_error::kMissingCommandString, {}};
  if (words.size() < 2) return {mci_error::kMissingDeviceName, {}};
  const std::string verb = Folded(words[0]);
  const std::string device = Folded(words[1]);
  const std::vector<std::string> args(words.begin() + 2, words.end());
  if (device == "cdaudio") return CdCommand(verb, args);
  if (verb == "open") return OpenFile(words);
  if (file_ && device == Folded(file_->alias)) return FileCommand(verb, args);
  return {mci_error::kInvalidDeviceName, {}};
}

FakeMediaService::Result FakeMediaService::OpenFile(const std::vector<std::string>& words) {
  std::optional<std::string> type;
  std::optional<std::string> alias;
  for (std::size_t i = 2; i < words.size(); ++i) {
    if (Is(words[i], "wait")) continue;
    if (i + 1 >= words.size()) return {mci_error::kMissingParameter, {}};
    if (Is(words[i], "type")) {
      type = Folded(words[++i]);
    } else if (Is(words[i], "alias")) {
      alias = words[++i];
    } else {
      return {mci_error::kUnrecognizedKeyword, {}};
    }
  }
  if (type != "mpegvideo" || !alias) return {mci_error::kCannotLoadDriver, {}};
  if (file_ && Folded(file_->alias) == Folded(*alias)) return {mci_error::kDuplicateAlias, {}};
  const auto found = files_.find(words[1]);
  if (found == files_.end()) return {mci_error::kFileNotFound, {}};
  file_ = MusicFile{*alias, found->second};
  return {};
}

FakeMediaService::Result FakeMediaService::CdCommand(std::string_view verb,
                                                     const std::vector<std::string>& args) {
  if (!cd_.drive) return {mci_error::kCannotLoadDriver, {}};
  if (verb == "open") {
    if (cd_.open) return {mci_error::kDeviceOpen, {}};
    if (!args.empty()) return {mci_error::kUnrecognizedKeyword, {}};
    cd_.open = true;
    cd_.format = TimeFormat::kMsf;
    return {};
  }
  if (!cd_.open) return {mci_error::kInvalidDeviceName, {}};
  if (verb == "set") {
    const std::string what = Joined(args, 0);
    if (what.rfind("time format ", 0) != 0) return {mci_error::kUnrecognizedKeyword, {}};
    const std::string format = what.substr(12);
    if (format == "tmsf") {
      cd_.format = TimeFormat::kTmsf;
    } else if (format == "msf") {
      cd_.format = TimeFormat::kMsf;
    } else if (format == "milliseconds" || format == "ms") {
      cd_.format = TimeFormat::kMilliseconds;
    } else {
      return {mci_error::kBadTimeFormat, {}};
    }
    return {};
  }
  if (verb == "status") return CdStatus(args);
  if (verb == "play") return CdPlay(args);
  if (verb == "stop") {
    if (!args.empty()) return {mci_error::kUnrecognizedKeyword, {}};
    cd_.playing = false;
    return {};
  }
  if (verb == "close") {
    // Closing does not stop a disc: the drive plays on by itself.
    cd_.open = false;
    return {};
  }
  return {mci_error::kUnrecognizedCommand, {}};
}

FakeMediaService::Result FakeMediaService::CdStatus(const std::vector<std::string>& args) const {
  const std::string what = Joined(args, 0);
  if (what == "mode") {
    if (!cd_.disc) return {0, "not ready"};
    return {0, cd_.playing ? "playing" : "stopped"};
  }
  const bool known = what == "current track" || what == "number of tracks" || what == "position" ||
                     what.rfind("position track", 0) == 0;
  if (!known) return {mci_error::kUnrecognizedKeyword, {}};
  if (!cd_.disc) return {mci_error::kDeviceNotReady, {}};
  const auto track_count = static_cast<std::int64_t>(cd_.track_starts.size() - 1);
  if (what == "current track") return {0, std::to_string(TrackAt(cd_.position))};
  if (what == "number of tracks") return {0, std::to_string(track_count)};
  if (what == "position") return {0, FormatCdPosition(cd_.position)};
  if (args.size() != 3) return {mci_error::kMissingParameter, {}};
  const auto track = ParseDigits(args[2]);
  if (!track) return {mci_error::kBadInteger, {}};
  if (*track < 1 || *track > track_count) return {mci_error::kOutOfRange, {}};
  return {0, FormatCdPosition(cd_.track_starts[static_cast<std::size_t>(*track - 1)])};
}

FakeMediaService::Result FakeMediaService::CdPlay(const std::vector<std::string>& args) {
  std::optional<std::int64_t> from;
  std::optional<std::int64_t> to;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const bool is_from = Is(args[i], "from");
    if (!is_from && !Is(args[i], "to")) return {mci_error::kUnrecognizedKeyword, {}};
    if (i + 1 >= args.size()) return {mci_error::kMissingParameter, {}};
    if (!cd_.disc) return {mci_error::kDeviceNotReady, {}};
    std::int32_t error = 0;
    const auto position = ParseCdPosition(args[i + 1], error);
    if (!position) return {error, {}};
    (is_from ? from : to) = *position;
  }
  if (!cd_.disc) return {mci_error::kDeviceNotReady, {}};
  const std::int64_t start = from.value_or(cd_.position);
  const std::int64_t end = to.value_or(DiscEnd());
  if (end < start) return {mci_error::kOutOfRange, {}};
  cd_.position = start;
  cd_.end = end;
  cd_.playing = start < end;
  return {};
}

FakeMediaService::Result FakeMediaService::FileCommand(std::string_view verb,
                                                       const std::vector<std::string>& args) {
  MusicFile& file = *file_;
  if (verb == "play") {
    std::optional<std::int64_t> from;
    std::optional<std::int64_t> to;
    for (std::size_t i = 0; i < args.size(); i += 2) {
      const bool is_from = Is(args[i], "from");
      if (!is_from && !Is(args[i], "to")) return {mci_error::kUnrecognizedKeyword, {}};
      if (i + 1 >= args.size()) return {mci_error::kMissingParameter, {}};
      const auto value = ParseDigits(args[i + 1]);
      if (!value) return {mci_error::kBadInteger, {}};
      if (*value > file.length) return {mci_error::kOutOfRange, {}};
      (is_from ? from : to) = *value;
    }
    const std::int64_t start = from.value_or(file.position);
    const std::int64_t end = to.value_or(file.length);
    if (end < start) return {mci_error::kOutOfRange, {}};
    file.position = start;
    file.end = end;
    file.playing = start < end;
    file.paused = false;
    return {};
  }
  if (!args.empty() && verb != "status") return {mci_error::kUnrecognizedKeyword, {}};
  if (verb == "pause") {
    file.paused = file.playing;
    file.playing = false;
    return {};
  }
  if (verb == "resume") {
    file.playing = file.paused && file.position < file.end;
    file.paused = false;
    return {};
  }
  if (verb == "stop") {
    file.playing = file.paused = false;
    return {};
  }
  if (verb == "close") {
    file_.reset();
    return {};
  }
  if (verb == "status") {
    const std::string what = Joined(args, 0);
    if (what == "mode") return {0, file.playing ? "playing" : file.paused ? "paused" : "stopped"};
    if (what == "position") return {0, std::to_string(file.position)};
    if (what == "length") return {0, std::to_string(file.length)};
    return {mci_error::kUnrecognizedKeyword, {}};
  }
  return {mci_error::kUnrecognizedCommand, {}};
}

int FakeMediaService::TrackAt(std::int64_t position) const {
  const auto after =
      std::upper_bound(cd_.track_starts.begin(), cd_.track_starts.end() - 1, position);
  return static_cast<int>(after - cd_.track_starts.begin());
}

std::string FakeMediaService::FormatCdPosition(std::int64_t position) const {
  char text[32];
  if (cd_.format == TimeFormat::kMilliseconds) return std::to_string(position);
  const int track = TrackAt(position);
  const std::int64_t offset =
      cd_.format == TimeFormat::kTmsf ? position - cd_.track_starts[track - 1] : position;
  const auto minutes = static_cast<int>(offset / 60000);
  const auto seconds = static_cast<int>(offset / 1000 % 60);
  const auto frames = static_cast<int>(offset % 1000 * kFramesPerSecond / 1000);
  if (cd_.format == TimeFormat::kTmsf) {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", track, minutes, seconds, frames);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", minutes, seconds, frames);
  }
  return text;
}

std::optional<std::int64_t> FakeMediaService::ParseCdPosition(std::string_view text,
                                                              std::int32_t& error) const {
  error = mci_error::kBadInteger;
  if (cd_.format == TimeFormat::kMilliseconds) {
    const auto value = ParseDigits(text);
    if (value && *value > DiscEnd()) error = mci_error::kOutOfRange;
    return value && *value <= DiscEnd() ? value : std::nullopt;
  }
  const bool tmsf = cd_.format == TimeFormat::kTmsf;
  const auto parts = ParseColonParts(text, tmsf ? 4 : 3);
  if (!parts) return std::nullopt;
  std::vector<std::int64_t> p = *parts;
  p.resize(tmsf ? 4 : 3, 0);
  const std::int64_t* msf = tmsf ? &p[1] : &p[0];
  error = mci_error::kOutOfRange;
  if (msf[1] >= 60 || msf[2] >= kFramesPerSecond) return std::nullopt;
  const std::int64_t offset = msf[0] * 60000 + msf[1] * 1000 + msf[2] * 1000 / kFramesPerSecond;
  if (!tmsf) return offset <= DiscEnd() ? std::optional(offset) : std::nullopt;
  const auto track_count = static_cast<std::int64_t>(cd_.track_starts.size() - 1);
  if (p[0] < 1 || p[0] > track_count) return std::nullopt;
  const auto index = static_cast<std::size_t>(p[0] - 1);
  if (offset >= cd_.track_starts[index + 1] - cd_.track_starts[index]) return std::nullopt;
  return cd_.track_starts[index] + offset;
}

}  // namespace mirokan
