#include "saver/music/bgm_player.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

#include "common/number_text.h"

namespace mirokan {
namespace {

// Kept in the reply only, never shown to the user.
constexpr std::string_view kNoCommandText = "コマンド文字列が指定されていません";
constexpr std::string_view kNoErrorText = "Error (文字列が取れません)";

char FoldToUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), FoldToUpper);
  return upper;
}

// A status reply that failed, or that the device itself worded as an error.
bool MarksFailure(std::string_view reply) {
  return UpperCase(reply).find("ERR") != std::string::npos;
}

// A buffer's text up to its first NUL; a service that wrote none leaves the whole buffer.
std::string TextUpToNul(std::span<const char> buffer) {
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  return std::string(buffer.begin(), end);
}

// The mode checks look at the raw start of the buffer, NULs and stale tail included.
template <std::size_t N>
std::string_view FirstSeven(const std::array<char, N>& buffer) {
  static_assert(N >= 7, "a mode buffer holds at least the seven characters compared");
  return std::string_view(buffer.data(), 7);
}

}  // namespace

MusicFileKind MusicFileKindOf(std::string_view path) {
  // Comparing bytes is enough: only three ASCII letters can match, and they are three
  // characters in UTF-8 as well.
  const std::string ending = UpperCase(path.substr(path.size() >= 3 ? path.size() - 3 : 0));
  if (ending == "WAV") return MusicFileKind::kWav;
  if (ending == "MP3") return MusicFileKind::kMp3;
  return MusicFileKind::kOther;
}

BgmPlayer::BgmPlayer(MediaService& media, SoundPlayer& sound, std::int32_t& LastApiResult,
                     MusicSettings settings)
    : media_(media), sound_(sound), LastApiResult(LastApiResult), settings_(std::move(settings)) {}

std::int32_t BgmPlayer::SendAndRecord(std::string_view command) {
  LastApiResult = media_.SendCommand(command, {});
  return LastApiResult;
}

void BgmPlayer::OpenCD() {
  // A failed open is not looked at here: the first watch tick finds it out.
  SendAndRecord("open cdaudio");
  SendAndRecord("set cdaudio time format tmsf");
}

void BgmPlayer::WatchCD() {
  vars_.CDWatching = CheckCD();
}

bool BgmPlayer::CheckCD() {
  const std::string current = MciStatus("status cdaudio current track");
  if (MarksFailure(current)) return false;
  const std::string count = MciStatus("status cdaudio number of tracks");
  if (MarksFailure(count)) return false;

  LastApiResult = media_.SendCommand("status cdaudio mode", cd_mode_buffer_);
  const bool stopped = FirstSeven(cd_mode_buffer_) == "stopped";

  if (settings_.BGMRepeat != 0) {
    // The track number is read whether or not the disc has stopped: a device that answers
    // with something else is not one to keep watching.
    const std::optional<double> track = ParseNumber(current);
    if (!track) return false;
    if (stopped || *track != settings_.BGMRepeat) {
      // A track the disc lacks makes both commands fail on every tick, silently.
      const std::string start =
          MciStatus("status cdaudio position track " + DecimalText(settings_.BGMRepeat));
      MciPlay("cdaudio", start, "");
    }
  } else if (stopped) {
    MciPlay("cdaudio", "", "");
  }
  return true;
}

void BgmPlayer::StopCD() {
  SendAndRecord("stop cdaudio");
  SendAndRecord("close cdaudio");
}

void BgmPlayer::PlayMP3() {
  // The quotes let the path hold blanks. Results are not kept: the watch copes with a
  // device that never opened.
  const std::string open = "open \"" + settings_.BGMFile + "\" type MPEGVideo Alias MP3Play";
  if (media_.SendCommand(open, {}) == 0) media_.SendCommand("play MP3Play", {});
}

bool BgmPlayer::MP3Playing() {
  media_.SendCommand("status MP3Play mode", mp3_mode_buffer_);
  return FirstSeven(mp3_mode_buffer_) == "playing";
}

void BgmPlayer::RepeatMP3() {
  if (MP3Playing()) return;
  media_.SendCommand("stop MP3Play", {});
  media_.SendCommand("play MP3Play from 0", {});
}

void BgmPlayer::StopMP3() {
  media_.SendCommand("stop MP3Play", {});
  media_.SendCommand("close MP3Play", {});
}

void BgmPlayer::PlayWAV() {
  if (sound_.OutputDeviceCount() <= 0) return;
  LastApiResult = sound_.PlayLooping(settings_.BGMFile);
}

void BgmPlayer::StopWAV() {
  LastApiResult = sound_.Stop();
}

std::int32_t BgmPlayer::MciSend(std::string_view command, std::string& reply) {
  if (command.empty()) {
    reply = kNoCommandText;
    return -1;
  }
  const std::int32_t code = media_.SendCommand(command, reply_buffer_);
  LastApiResult = code;
  if (code != 0) {
    if (media_.GetErrorText(code, error_buffer_)) {
      reply = TextUpToNul(error_buffer_);
    } else {
      reply = kNoErrorText;
    }
    return code;
  }
  reply = TextUpToNul(reply_buffer_);
  return 0;
}

std::string BgmPlayer::MciStatus(std::string_view command) {
  const std::int32_t code = MciSend(command, vars_.MciReply);
  LastApiResult = code;
  if (code != 0) return "Error:" + DecimalText(code);
  return vars_.MciReply;
}

std::int32_t BgmPlayer::MciPlay(std::string_view device, std::string_view from,
                                std::string_view to) {
  std::string command = "play ";
  command += device;
  if (!from.empty()) {
    command += " from ";
    command += from;
  }
  if (!to.empty()) {
    command += " to ";
    command += to;
  }
  return MciSend(command, vars_.MciReply);
}

}  // namespace mirokan
