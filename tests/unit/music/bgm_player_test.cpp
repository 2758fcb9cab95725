#include "saver/music/bgm_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fake_media_service.h"
#include "fake_sound_player.h"

namespace mirokan {
namespace {

using namespace std::chrono_literals;
using Tracks = std::vector<std::chrono::seconds>;

constexpr std::int32_t kUntouched = 12345;

class BgmPlayerTest : public ::testing::Test {
 protected:
  BgmPlayer Player(std::int16_t repeat, std::string file = {}) {
    return BgmPlayer(media, sound, last_api_result, {repeat, std::move(file)});
  }
  BgmPlayer StartCd(std::int16_t repeat, const Tracks& tracks) {
    media = FakeMediaService();
    media.InsertDisc(tracks);
    BgmPlayer player = Player(repeat);
    player.OpenCD();
    EXPECT_EQ(media.Asked("set cdaudio time format tmsf"), 1);
    return player;
  }
  // One tick of a watch timer: every 200 ms for the CD, every second for the MP3.
  void Tick(BgmPlayer& player, bool cd = true) {
    media.Advance(cd ? 200ms : 1000ms);
    cd ? player.WatchCD() : player.RepeatMP3();
  }

  FakeMediaService media;
  FakeSoundPlayer sound;
  std::int32_t last_api_result = kUntouched;
};

TEST_F(BgmPlayerTest, WithoutADiscOneFailedQueryEndsTheWatch) {
  BgmPlayer player = StartCd(0, {});
  Tick(player);
  EXPECT_FALSE(player.CDWatching());
  EXPECT_EQ(last_api_result, mci_error::kDeviceNotReady);
  EXPECT_EQ(player.MciReply(), "The device is not ready.");
  EXPECT_EQ(player.MciStatus("status cdaudio current track"), "Error:276");
}

// Each case twice: the tick that (re)starts the music, then quiet ticks while it plays on.
TEST_F(BgmPlayerTest, WatchStartsTheMusicAgainWhenItIsOver) {
  const std::tuple<std::int16_t, Tracks, int, int, std::int32_t> cases[] = {
      {0, {3s, 2s, 4s}, 44, 1, 0},
      {5, Tracks(8, 2s), 9, 5, 0},                 // until track 6 begins
      {3, {2s, 2s, 3s}, 14, 3, 0},                 // the last track ends the disc
      {-1, {2s, 2s}, 0, 0, mci_error::kBadInteger},  // no such track: fails silently
  };
  for (const auto& [repeat, tracks, quiet_ticks, track, result] : cases) {
    SCOPED_TRACE(repeat);
    BgmPlayer player = StartCd(repeat, tracks);
    for (int round = 0; round < 2; ++round) {
      Tick(player);
      EXPECT_EQ(media.Asked("play cdaudio"), 1);
      EXPECT_EQ(media.CdTrackPlaying(), track);
      EXPECT_EQ(last_api_result, result);
      EXPECT_TRUE(player.CDWatching());
      for (int tick = 0; tick < quiet_ticks; ++tick) Tick(player);
      ASSERT_EQ(media.Asked("play"), 0);
    }
    player.StopCD();
    EXPECT_EQ(media.CdTrackPlaying(), 0);
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
    SCOPED_TRACE(std::string(reply) + " repeat " + std::to_string(repeat));
    BgmPlayer player = StartCd(repeat, {20s, 20s});
    media.ScriptNextReply(std::string("status cdaudio ") + query, reply);
    Tick(player);
    EXPECT_EQ(player.CDWatching(), watching);
    EXPECT_EQ(media.CdTrackPlaying(), watching ? 1 : 0);
  }
}

// Replies share a buffer never cleared: only seven characters count, NUL included, so
// "stop" over "stopped" ("stop\0ed") is no mode while a longer wording still reads as stopped.
TEST_F(BgmPlayerTest, ModesAreTheFirstSevenCharactersOfTheBuffer) {
  BgmPlayer player = StartCd(0, {20s});
  Tick(player);
  media.SendCommand("stop cdaudio", {});
  media.ScriptNextReply("status cdaudio mode", "stop");
  Tick(player);
  EXPECT_EQ(media.CdTrackPlaying(), 0);
  Tick(player);
  EXPECT_EQ(media.CdTrackPlaying(), 1);
  media.SendCommand("stop cdaudio", {});
  media.ScriptNextReply("status cdaudio mode", "stopped now");
  Tick(player);
  EXPECT_EQ(media.CdTrackPlaying(), 1);
}

TEST_F(BgmPlayerTest, EmptyCommandIsRefusedWithoutReachingTheDevice) {
  BgmPlayer player = Player(0);
  EXPECT_EQ(player.MciStatus(""), "Error:-1");
  EXPECT_EQ(player.MciReply(), "コマンド文字列が指定されていません");
  EXPECT_EQ(media.Asked(""), 0);
}

TEST_F(BgmPlayerTest, Mp3PathWithBlanksPlaysAndRepeatsFromTheStart) {
  const std::string path = "C:\\My Music\\night drive.mp3";
  media.AddFile(path, 2500ms);
  BgmPlayer player = Player(0, path);
  player.PlayMP3();
  EXPECT_TRUE(media.FilePlaying());
  Tick(player, false);
  EXPECT_EQ(media.Asked("play MP3Play from 0"), 0);
  media.ScriptNextReply("status MP3Play mode", "play");  // "play\0ng": not playing
  Tick(player, false);
  EXPECT_EQ(media.Asked("play MP3Play from 0"), 1);
  for (int tick = 0; tick < 3; ++tick) Tick(player, false);
  EXPECT_EQ(media.Asked("play MP3Play from 0"), 1);  // the 2.5 s file ended on the third
  EXPECT_TRUE(media.FilePlaying());
  player.StopMP3();
  EXPECT_EQ(media.Asked("stop MP3Play"), 1);
  EXPECT_FALSE(media.FilePlaying());
  EXPECT_EQ(last_api_result, kUntouched);  // MP3 results are not kept

  BgmPlayer missing = Player(0, "C:\\missing.mp3");
  missing.PlayMP3();
  EXPECT_EQ(media.Asked("play"), 0);
  // A file that failed to open is still watched every second.
  for (int tick = 0; tick < 3; ++tick) Tick(missing, false);
  EXPECT_EQ(media.Asked("play MP3Play from 0"), 3);
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
