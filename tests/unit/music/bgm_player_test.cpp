#include "saver/music/bgm_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fake_media_service.h"
#include "fake_sound_player.h"

namespace mirokan {
namespace {

using namespace std::chrono_literals;
using Sent = FakeMediaService::SentCommand;
using Commands = std::vector<Sent>;
using Tracks = std::vector<std::chrono::seconds>;

constexpr std::int32_t kUntouched = 12345;
const Sent kPlayCd{"play cdaudio", 512};
const Sent kMp3Mode{"status MP3Play mode", 30};
const Commands kMp3Restart{kMp3Mode, {"stop MP3Play", 0}, {"play MP3Play from 0", 0}};

// The three status queries every healthy CD watch tick sends, then whatever follows them.
Commands Queries(std::initializer_list<Sent> then = {}) {
  Commands sent{{"status cdaudio current track", 512},
                {"status cdaudio number of tracks", 512},
                {"status cdaudio mode", 255}};
  sent.insert(sent.end(), then);
  return sent;
}

Commands Replay(int track, const std::string& start) {
  return Queries({{"status cdaudio position track " + std::to_string(track), 512},
                  {"play cdaudio from " + start, 512}});
}

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
    EXPECT_EQ(media.TakeSent(),
              (Commands{{"open cdaudio", 0}, {"set cdaudio time format tmsf", 0}}));
    return player;
  }

  // One tick of a watch timer: every 200 ms for the CD, every second for the MP3.
  Commands Tick(BgmPlayer& player, bool cd = true) {
    media.Advance(cd ? 200ms : 1000ms);
    cd ? player.WatchCD() : player.RepeatMP3();
    return media.TakeSent();
  }

  FakeMediaService media;
  FakeSoundPlayer sound;
  std::int32_t last_api_result = kUntouched;
};

TEST_F(BgmPlayerTest, WithoutADiscOneFailedQueryEndsTheWatch) {
  BgmPlayer player = StartCd(0, {});
  EXPECT_EQ(Tick(player), (Commands{{"status cdaudio current track", 512}}));
  EXPECT_FALSE(player.CDWatching());
  EXPECT_EQ(last_api_result, mci_error::kDeviceNotReady);
  EXPECT_EQ(player.MciReply(), "The device is not ready.");
}

// Each case twice: the tick that (re)starts the music, then quiet ticks while it plays.
TEST_F(BgmPlayerTest, WatchStartsTheMusicAgainWhenItIsOver) {
  // The play command after a failed position query carries its error text and fails silently.
  const std::tuple<std::int16_t, Tracks, Commands, int, int, std::int32_t> cases[] = {
      {0, {3s, 2s, 4s}, Queries({kPlayCd}), 44, 1, 0},
      {5, Tracks(8, 2s), Replay(5, "05:00:00:00"), 9, 5, 0},  // until track 6 begins
      {3, {2s, 2s, 3s}, Replay(3, "03:00:00:00"), 14, 3, 0},  // the last track ends the disc
      {-1, {2s, 2s}, Replay(-1, "Error:270"), 0, 0, mci_error::kBadInteger},
  };
  for (const auto& [repeat, tracks, restart, quiet_ticks, track, result] : cases) {
    SCOPED_TRACE(repeat);
    BgmPlayer player = StartCd(repeat, tracks);
    for (int round = 0; round < 2; ++round) {
      ASSERT_EQ(Tick(player), restart);
      EXPECT_EQ(media.CdTrackPlaying(), track);
      EXPECT_EQ(last_api_result, result);
      EXPECT_TRUE(player.CDWatching());
      for (int tick = 0; tick < quiet_ticks; ++tick) ASSERT_EQ(Tick(player), Queries()) << tick;
    }
    player.StopCD();
    EXPECT_EQ(media.TakeSent(), (Commands{{"stop cdaudio", 0}, {"close cdaudio", 0}}));
  }
}

TEST_F(BgmPlayerTest, StatusRepliesThatAreNoNumber) {
  const std::tuple<const char*, const char*, std::int16_t, std::size_t, bool> cases[] = {
      {"current track", "five", 5, 3, false},  // read even though the disc has stopped
      {"current track", "five", 0, 4, true},   // never read as a number without a repeat track
      {"current track", "err", 0, 1, false},   // an error word in any case ends the watch
      {"number of tracks", "ERROR", 0, 2, false},
  };
  for (const auto& [query, reply, repeat, sent, watching] : cases) {
    SCOPED_TRACE(std::string(reply) + " repeat " + std::to_string(repeat));
    BgmPlayer player = StartCd(repeat, {20s, 20s});
    media.ScriptNextReply(std::string("status cdaudio ") + query, 0, reply);
    EXPECT_EQ(Tick(player).size(), sent);
    EXPECT_EQ(player.CDWatching(), watching);
  }
}

// A short reply leaves an older one's tail behind its NUL: "stop\0ed" is not "stopped".
TEST_F(BgmPlayerTest, StaleTailOfALongerReplyDoesNotCountAsAMode) {
  BgmPlayer player = StartCd(0, {20s});
  EXPECT_EQ(Tick(player), Queries({kPlayCd}));
  media.SendCommand("stop cdaudio", {});
  media.TakeSent();
  media.ScriptNextReply("status cdaudio mode", 0, "stop");
  EXPECT_EQ(Tick(player), Queries());
  EXPECT_EQ(Tick(player), Queries({kPlayCd}));
  // Only seven characters count: a driver's longer wording still reads as stopped.
  media.ScriptNextReply("status cdaudio mode", 0, "stopped now");
  EXPECT_EQ(Tick(player), Queries({kPlayCd}));
}

TEST_F(BgmPlayerTest, EmptyCommandIsRefusedWithoutReachingTheDevice) {
  BgmPlayer player = Player(0);
  EXPECT_EQ(player.MciStatus(""), "Error:-1");
  EXPECT_EQ(player.MciReply(), "コマンド文字列が指定されていません");
  EXPECT_EQ(media.TakeSent(), Commands{});
}

TEST_F(BgmPlayerTest, Mp3PathWithBlanksPlaysAndRepeatsFromTheStart) {
  const std::string path = "C:\\My Music\\night drive.mp3";
  media.AddFile(path, 2500ms);
  BgmPlayer player = Player(0, path);
  player.PlayMP3();
  EXPECT_EQ(media.TakeSent(), (Commands{{"open \"" + path + "\" type MPEGVideo Alias MP3Play", 0},
                                        {"play MP3Play", 0}}));
  EXPECT_EQ(Tick(player, false), Commands{kMp3Mode});
  // A stale tail again: "play" over "playing" reads "play\0ng".
  media.ScriptNextReply("status MP3Play mode", 0, "play");
  EXPECT_EQ(Tick(player, false), kMp3Restart);
  EXPECT_EQ(Tick(player, false), Commands{kMp3Mode});
  EXPECT_EQ(Tick(player, false), Commands{kMp3Mode});
  EXPECT_EQ(Tick(player, false), kMp3Restart);  // the 2.5 s file is over
  EXPECT_TRUE(media.FilePlaying());
  player.StopMP3();
  EXPECT_EQ(media.TakeSent(), (Commands{{"stop MP3Play", 0}, {"close MP3Play", 0}}));
  EXPECT_EQ(last_api_result, kUntouched);  // MP3 results are not kept

  BgmPlayer missing = Player(0, "C:\\missing.mp3");
  missing.PlayMP3();
  EXPECT_EQ(media.TakeSent(),
            (Commands{{"open \"C:\\missing.mp3\" type MPEGVideo Alias MP3Play", 0}}));
  // A file that failed to open is still watched every second.
  for (int tick = 0; tick < 3; ++tick) ASSERT_EQ(Tick(missing, false), kMp3Restart) << tick;
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
  EXPECT_EQ(media.TakeSent(), Commands{});
}

TEST(MusicFileKindOf, FoldsTheLastThreeCharactersToUpperCase) {
  EXPECT_EQ(MusicFileKindOf("C:\\Music\\a.WaV"), MusicFileKind::kWav);
  EXPECT_EQ(MusicFileKindOf("C:\\音楽\\曲.Mp3"), MusicFileKind::kMp3);
  EXPECT_EQ(MusicFileKindOf("C:\\Music\\wav.txt"), MusicFileKind::kOther);
  EXPECT_EQ(MusicFileKindOf("AV"), MusicFileKind::kOther);
}

}  // namespace
}  // namespace mirokan
