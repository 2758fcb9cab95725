// Background music of a saver session: an audio CD through "cdaudio", an MP3 file through
// an MPEGVideo device under the alias "MP3Play", or a WAV file through the sound player.
// The player has no timer of its own; the session starts it, ticks its two watches and
// stops it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "saver/music/media_service.h"
#include "saver/music/sound_player.h"

namespace mirokan {

// The settings the player reads; the session fills them from the settings file.
struct MusicSettings {
  std::int16_t BGMRepeat = 0;  // CD track to play over and over; 0 lets the disc play on
  std::string BGMFile;         // full path of the MP3 or WAV file
};

enum class MusicFileKind { kOther, kWav, kMp3 };

// Which player a music file goes to: its last three characters folded to upper case.
MusicFileKind MusicFileKindOf(std::string_view path);

class BgmPlayer {
 public:
  static constexpr std::size_t kReplyCapacity = 512;
  static constexpr std::size_t kErrorCapacity = 256;
  static constexpr std::size_t kCdModeCapacity = 255;
  static constexpr std::size_t kMp3ModeCapacity = 30;

  // `LastApiResult` is the program-wide result of the last platform call; the player
  // stores into it and must not outlive it, nor the two services.
  BgmPlayer(MediaService& media, SoundPlayer& sound, std::int32_t& LastApiResult,
            MusicSettings settings);

  void OpenCD();
  void WatchCD();  // one tick of the CD watch; afterwards CDWatching() says whether to go on
  void StopCD();

  void PlayMP3();
  bool MP3Playing();
  void RepeatMP3();  // one tick of the MP3 watch
  void StopMP3();

  void PlayWAV();
  void StopWAV();

  std::int32_t MciSend(std::string_view command, std::string& reply);
  std::string MciStatus(std::string_view command);
  std::int32_t MciPlay(std::string_view device, std::string_view from, std::string_view to);

  bool CDWatching() const { return vars_.CDWatching; }
  const std::string& MciReply() const { return vars_.MciReply; }

 private:
  // Sends a command without a reply buffer and keeps its result in the shared value.
  std::int32_t SendAndRecord(std::string_view command);
  bool CheckCD();

  MediaService& media_;
  SoundPlayer& sound_;
  std::int32_t& LastApiResult;
  const MusicSettings settings_;

  // The module's own variables, by their design names.
  struct {
    bool CDWatching = false;
    std::string MciReply;
  } vars_;
  // Never cleared between calls: a short reply leaves the tail of an older, longer one
  // behind its NUL, which is why the mode checks compare seven characters, NUL included.
  std::array<char, kReplyCapacity> reply_buffer_{};
  std::array<char, kErrorCapacity> error_buffer_{};
  std::array<char, kCdModeCapacity> cd_mode_buffer_{};
  std::array<char, kMp3ModeCapacity> mp3_mode_buffer_{};
};

}  // namespace mirokan
