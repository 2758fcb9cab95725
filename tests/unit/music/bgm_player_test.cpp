#include "saver/music/bgm_player.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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
    return BgmPlayer(media, sound, last_api_result, {repeat, std::move(file)});
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
  std::int32_t last_api_result = kUntouched;
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
  EXPECT_EQ(last_api_result, kNotReady);
  EXPECT_EQ(player.MciReply(), "The device is not ready.");
  EXPECT_EQ(player.MciStatus("status cdaudio current track"), "Error:276");
  player.StopCD();
  EXPECT_EQ(Actions(), (Commands{"stop cdaudio", "close cdaudio"}));
}

// One tick of the CD watch: what it plays, for the track and mode the disc reports.
TEST_F(BgmPlayerTest, WatchStartsTheMusicAgainWhenItIsOver) {
  const std::tuple<std::int16_t, const char*, const char*, Commands, std::int32_t> cases[] = {
      {0, "1", "playing", {}, 0},
      {0, "3", "stopped", {"play cdaudio"}, 0},
      {5, "5", "playing", {}, 0},
      {5, "6", "playing", {"play cdaudio from 05:00:00:00"}, 0},  // the next track began
      {5, "5", "stopped", {"play cdaudio from 05:00:00:00"}, 0},  // the disc ended
      {-1, "1", "stopped", {"play cdaudio from Error:270"}, kBadInteger},  // fails silently
  };
  Reply("status cdaudio number of tracks", "8");
  Reply("status cdaudio position track 5", "05:00:00:00");
  Reply("status cdaudio position track -1", "", kBadInteger);
  Reply("play cdaudio from Error:270", "", kBadInteger);
  for (const auto& [repeat, track, mode, actions, result] : cases) {
    Reply("status cdaudio current track", track);
    Reply("status cdaudio mode", mode);
    BgmPlayer player = Player(repeat);
    player.WatchCD();
    EXPECT_EQ(Actions(), actions) << repeat << ", track " << track << ", " << mode;
    EXPECT_TRUE(player.CDWatching());
    EXPECT_EQ(last_api_result, result);
  }
}

TEST_F(BgmPlayerTest, StatusRepliesThatAreNoNumber) {
  const std::tuple<const char*, const char*, std::int16_t, bool> cases[] = {
      {"current track", "five", 5, false},  // read even though the disc has stopped
      {"current track", "five", 0, true},   // never read as a number without a repeat track
      {"current track", "err", 0, false},   // an error word in any case ends the watch
      {"number of tracks", "ERROR", 0, false},
  };
  for (const auto& [query, reply, repeat, watching] : cases) {
    Reply("status cdaudio current track", "1");
    Reply("status cdaudio number of tracks", "2");
    Reply("status cdaudio mode", "stopped");
    Reply(std::string("status cdaudio ") + query, reply);
    BgmPlayer player = Player(repeat);
    player.WatchCD();
    EXPECT_EQ(player.CDWatching(), watching) << reply << " repeat " << repeat;
    EXPECT_EQ(Actions().size(), watching ? 1u : 0u) << reply << " repeat " << repeat;
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
  EXPECT_EQ(last_api_result, kUntouched);  // MP3 results are not kept

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
    last_api_result = kUntouched;
    BgmPlayer player = Player(0, "a.wav");
    player.PlayWAV();
    EXPECT_EQ(sound.Playing().value_or("-"), devices > 0 ? "a.wav" : "-") << devices;
    EXPECT_EQ(last_api_result, devices > 0 ? 1 : kUntouched);
    player.StopWAV();
    EXPECT_FALSE(sound.Playing().has_value());
  }
}

TEST(MusicFileKindOf, FoldsTheLastThreeCharactersToUpperCase) {
  const std::pair<const char*, MusicFileKind> cases[] = {{"C:\\Music\\a.WaV", MusicFileKind::kWav},
                                                         {"C:\\音楽\\曲.Mp3", MusicFileKind::kMp3},
                                                         {"C:\\Music\\wav.txt", MusicFileKind::kOther},
                                                         {"AV", MusicFileKind::kOther}};
  for (const auto& [path, kind] : cases) EXPECT_EQ(MusicFileKindOf(path), kind) << path;
}

}  // namespace
}  // namespace mirokan
