// The music player against a media service that answers anything: any code, any reply,
// replies that fill the buffer without a terminating NUL. The player must stay inside its
// buffers, word every failed status as "Error:<code>", and never send a command it did not
// build itself.
//
// Input lines: the repeat track, the music file, the operations to run (one letter each, see
// kOperations) and then the service's answers in order, each "<code> <reply>" (a code that
// does not parse is 0; once the answers run out every command succeeds with an empty reply).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "common/number_text.h"
#include "fuzz/fuzz_input.h"
#include "saver/music/bgm_player.h"
#include "tests/support/fake_sound_player.h"

namespace {

using mirokan::BgmPlayer;
using mirokan::fuzz::AsText;
using mirokan::fuzz::Check;
using mirokan::fuzz::NextLine;

class ScriptedMediaService final : public mirokan::MediaService {
 public:
  explicit ScriptedMediaService(std::string_view answers) : answers_(answers) {}

  std::int32_t SendCommand(std::string_view command, std::span<char> reply) override {
    Check(!command.empty());
    last_command_code = Answer(reply);
    return last_command_code;
  }
  bool GetErrorText(std::int32_t, std::span<char> text) override { return Answer(text) == 0; }

  std::int32_t last_command_code = 0;

 private:
  // Copies the reply as far as it fits, with its NUL only when there is room for one.
  std::int32_t Answer(std::span<char> buffer) {
    std::string_view line = NextLine(answers_);
    const std::size_t blank = line.find(' ');
    const auto code = mirokan::ParseNumber(line.substr(0, blank));
    const auto whole = code ? mirokan::RoundToInt32(*code) : std::nullopt;
    line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    const std::size_t length = std::min(line.size(), buffer.size());
    std::copy_n(line.data(), length, buffer.data());
    if (length < buffer.size()) buffer[length] = '\0';
    return whole.value_or(0);
  }

  std::string_view answers_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest = AsText(data, size);
  const std::string_view repeat = NextLine(rest);
  const std::string_view file = NextLine(rest);
  const std::string_view operations = NextLine(rest);

  mirokan::MusicSettings settings;
  if (const auto number = mirokan::ParseNumber(repeat)) {
    settings.BGMRepeat = mirokan::FloorToInt16(*number).value_or(0);
  }
  settings.BGMFile = std::string(file);
  ScriptedMediaService media(rest);
  mirokan::FakeSoundPlayer sound;
  std::int32_t LastApiResult = 0;
  BgmPlayer player(media, sound, LastApiResult, settings);
  (void)mirokan::MusicFileKindOf(file);

  // One letter each: open, watch and stop the CD; play, repeat and stop the MP3; the WAV;
  // 's' for a status query.
  constexpr std::pair<char, void (BgmPlayer::*)()> kOperations[] = {
      {'o', &BgmPlayer::OpenCD},  {'w', &BgmPlayer::WatchCD},   {'c', &BgmPlayer::StopCD},
      {'p', &BgmPlayer::PlayMP3}, {'r', &BgmPlayer::RepeatMP3}, {'m', &BgmPlayer::StopMP3},
      {'v', &BgmPlayer::PlayWAV}, {'x', &BgmPlayer::StopWAV}};
  for (const char operation : operations) {
    for (const auto& [letter, run] : kOperations) {
      if (letter == operation) (player.*run)();
    }
    if (operation == 's') {
      const std::string status = player.MciStatus("status cdaudio mode");
      Check(LastApiResult == media.last_command_code);
      Check(status == (LastApiResult == 0 ? player.MciReply()
                                          : "Error:" + mirokan::DecimalText(LastApiResult)));
    }
    Check(player.MciReply().size() <= BgmPlayer::kReplyCapacity);
  }
  return 0;
}
