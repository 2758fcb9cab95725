#include "saver/music/bgm_player.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake_media_service.h"
#include "fake_sound_player.h"

namespace mirokan {
namespace {

using Commands = std::vector<std::string>;

constexpr std::int32_t kUntouched = 12345;
constexpr std::int32_t kBadInteger = 270;
constexpr std::int32_t kNotReady = 276;

class BgmPlayerTest : public ::testing::Test {
 protected:
  BgmPlayer Player(std::int16_t repeat, std::string file = {}) {
    return BgmPlayer(media, sound, LastApiResult, {repeat, std::move(file)});
  }
  void Reply(const std::string& command, std::string reply, std::int32_t code = 0) {
    media.answers[command] = {code, std::move(reply)};
  }
  // What the player asked the devices to do since the last look: all but the status queries.
  Commands Actions() {
    Commands asked = media.TakeAsked();
    std::erase_if(asked, [](const std::string& command) { return command.starts_with("status "); });
    return asked;
  }

  FakeMediaService media;
  FakeSoundPlayer sound;
  std::int32_t LastApiResult = kUntouched;
};

TEST_F(BgmPlayerTest, WithoutADiscOneFailedQueryEndsTheWatch) {
  Reply("status cdaudio current track", "", kNotReady);
  media.error_texts[kNotReady] = "The device is not ready.";
  BgmPlayer player = Player(0);
  player.OpenCD();
  EXPECT_EQ(Actions(), (Commands{"open cdaudio", "set cdaudio time format tmsf"}));
  player.WatchCD();
  EXPECT_EQ(media.TakeAsked(), Commands{"status cdaudio current track"});
  EXPECT_FALSE(player.CDWatching());
  EXPECT_EQ(LastApiResult, kNotReady);
  EXPECT_EQ(player.MciReply(), "The device is not ready.");
  EXPECT_EQ(player.MciStatus("status cdaudio current track"), "Error:276");
  player.StopCD();
  EXPECT_EQ(Actions(), (Commands{"stop cdaudio", "close cdaudio"}));
}

// One tick of the CD watch: what it plays for the disc's answers, and whether it watches on.
TEST_F(BgmPlayerTest, WatchStartsTheMusicAgainWhenItIsOver) {
  const struct {
    std::int16_t repeat;
    const char *track, *tracks, *mode;
    Commands actions;
    bool watching;
    std::int32_t result;
  } cases[] = {
      {0, "1", "8", "playing", {}, true, 0},
      {0, "3", "8", "stopped", {"play cdaudio"}, true, 0},
      {5, "5", "8", "playing", {}, true, 0},
      {5, "6", "8", "playing", {"play cdaudio from 05:00:00:00"}, true, 0},           // next track
      {5, "5", "8", "stopped", {"play cdaudio from 05:00:00:00"}, true, 0},           // disc ended
      {-1, "1", "8", "stopped", {"play cdaudio from Error:270"}, true, kBadInteger},  // silently
      // Replies that are no number: the track is read even though the disc has stopped, but
      // never without a repeat track; an error word in any case ends the watch.
      {5, "five", "8", "stopped", {}, false, 0},
      {0, "five", "8", "stopped", {"play cdaudio"}, true, 0},
      {0, "err", "8", "stopped", {}, false, 0},
      {0, "1", "ERROR", "stopped", {}, false, 0},
  };
  Reply("status cdaudio position track 5", "05:00:00:00");
  Reply("status cdaudio position track -1", "", kBadInteger);
  Reply("play cdaudio from Error:270", "", kBadInteger);
  for (const auto& c : cases) {
    Reply("status cdaudio current track", c.track);
    Reply("status cdaudio number of tracks", c.tracks);
    Reply("status cdaudio mode", c.mode);
    BgmPlayer player = Player(c.repeat);
    player.WatchCD();
    EXPECT_EQ(Actions(), c.actions) << c.repeat << ", track " << c.track << ", " << c.mode;
    EXPECT_EQ(player.CDWatching(), c.watching) << c.repeat << ", track " << c.track;
    EXPECT_EQ(LastApiResult, c.result);
  }
}

// The mode buffer is never cleared: only seven characters count, NUL included, so "stop"
// over "stopped" ("stop\0ed") is no mode, while a longer wording still reads as stopped.
TEST_F(BgmPlayerTest, ModesAreTheFirstSevenCharactersOfTheBuffer) {
  BgmPlayer player = Player(0);
  const std::pair<const char*, bool> ticks[] = {
      {"stopped", true}, {"stop", false}, {"stopped now", true}, {"playing", false}};
  for (const auto& [mode, plays] : ticks) {
    Reply("status cdaudio mode", mode);
    player.WatchCD();
    EXPECT_EQ(Actions().size(), plays ? 1u : 0u) << mode;
  }
}

TEST_F(BgmPlayerTest, EmptyCommandIsRefusedWithoutReachingTheDevice) {
  BgmPlayer player = Player(0);
  EXPECT_EQ(player.MciStatus(""), "Error:-1");
  EXPECT_EQ(player.MciReply(), "コマンド文字列が指定されていません");
  EXPECT_EQ(media.TakeAsked(), Commands{});
}

TEST_F(BgmPlayerTest, Mp3PathWithBlanksPlaysAndRepeatsFromTheStart) {
  const std::string open = "open \"C:\\My Music\\night drive.mp3\" type MPEGVideo Alias MP3Play";
  const Commands restart{"stop MP3Play", "play MP3Play from 0"};
  BgmPlayer player = Player(0, "C:\\My Music\\night drive.mp3");
  player.PlayMP3();
  EXPECT_EQ(Actions(), (Commands{open, "play MP3Play"}));
  // Each second's watch; "play" over "playing" reads "play\0ng".
  const std::pair<const char*, bool> ticks[] = {
      {"playing", false}, {"play", true}, {"stopped", true}, {"playing", false}};
  for (const auto& [mode, restarts] : ticks) {
    Reply("status MP3Play mode", mode);
    player.RepeatMP3();
    EXPECT_EQ(Actions(), restarts ? restart : Commands{}) << mode;
  }
  player.StopMP3();
  EXPECT_EQ(Actions(), (Commands{"stop MP3Play", "close MP3Play"}));
  EXPECT_EQ(LastApiResult, kUntouched);  // MP3 results are not kept

  // A file that fails to open is not played, yet still watched every second.
  const std::string missing = "open \"C:\\missing.mp3\" type MPEGVideo Alias MP3Play";
  Reply(missing, "", 275);
  Reply("status MP3Play mode", "", 263);
  BgmPlayer player2 = Player(0, "C:\\missing.mp3");
  player2.PlayMP3();
  EXPECT_EQ(Actions(), Commands{missing});
  player2.RepeatMP3();
  EXPECT_EQ(Actions(), restart);
}

TEST_F(BgmPlayerTest, WavLoopsOnlyWithAnOutputDevice) {
  for (const std::int32_t devices : {0, 2}) {
    sound = FakeSoundPlayer(devices);
    LastApiResult = kUntouched;
    BgmPlayer player = Player(0, "a.wav");
    player.PlayWAV();
    EXPECT_EQ(sound.Playing().value_or("-"), devices > 0 ? "a.wav" : "-") << devices;
    EXPECT_EQ(LastApiResult, devices > 0 ? 1 : kUntouched);
    player.StopWAV();
    EXPECT_FALSE(sound.Playing().has_value());
  }
}

TEST(MusicFileKindOf, FoldsTheLastThreeCharactersToUpperCase) {
  const std::pair<const char*, MusicFileKind> cases[] = {
      {"C:\\Music\\a.WaV", MusicFileKind::kWav},
      {"C:\\音楽\\曲.Mp3", MusicFileKind::kMp3},
      {"C:\\Music\\wav.txt", MusicFileKind::kOther},
      {"AV", MusicFileKind::kOther}};
  for (const auto& [path, kind] : cases) EXPECT_EQ(MusicFileKindOf(path), kind) << path;
}

}  // namespace
}  // namespace mirokan
