#include "saver/music/bgm_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fake_media_service.h"
#include "fake_sound_player.h"

namespace mirokan {
namespace {

using namespace std::chrono_literals;
using Sent = FakeMediaService::SentCommand;

constexpr std::int32_t kUntouched = 12345;
const Sent kOpenCd{"open cdaudio", 0};
const Sent kSetTmsf{"set cdaudio time format tmsf", 0};
const Sent kPlayCd{"play cdaudio", 512};
const Sent kMp3Mode{"status MP3Play mode", 30};
const Sent kMp3Stop{"stop MP3Play", 0};
const Sent kMp3Restart{"play MP3Play from 0", 0};

// The three status queries every healthy CD watch tick sends, then whatever follows them.
std::vector<Sent> Queries(std::initializer_list<Sent> then = {}) {
  std::vector<Sent> sent{{"status cdaudio current track", 512},
                         {"status cdaudio number of tracks", 512},
                         {"status cdaudio mode", 255}};
  sent.insert(sent.end(), then);
  return sent;
}

std::vector<Sent> Replay(int track, const std::string& start) {
  return Queries({{"status cdaudio position track " + std::to_string(track), 512},
                  {"play cdaudio from " + start, 512}});
}

std::string ErrorText(FakeMediaService& media, std::int32_t code) {
  char text[BgmPlayer::kErrorCapacity];
  return media.GetErrorText(code, text) ? std::string(text) : std::string();
}

class BgmPlayerTest : public ::testing::Test {
 protected:
  BgmPlayer Player(std::int16_t repeat, std::string file = {}) {
    return BgmPlayer(media, sound, last_api_result, {repeat, std::move(file)});
  }

  BgmPlayer StartCd(std::int16_t repeat, const std::vector<std::chrono::seconds>& tracks) {
    media.InsertDisc(tracks);
    BgmPlayer player = Player(repeat);
    player.OpenCD();
    EXPECT_EQ(media.TakeSent(), (std::vector<Sent>{kOpenCd, kSetTmsf}));
    return player;
  }

  // One tick of the CD watch timer, 200 ms after the last.
  std::vector<Sent> TickCd(BgmPlayer& player) {
    media.Advance(200ms);
    player.WatchCD();
    return media.TakeSent();
  }

  std::vector<Sent> TickMp3(BgmPlayer& player) {
    media.Advance(1000ms);
    player.RepeatMP3();
    return media.TakeSent();
  }

  // The session's end: the CD is stopped only while its watch timer still runs.
  void EndCdSession(BgmPlayer& player) {
    if (player.CDWatching()) player.StopCD();
  }

  FakeMediaService media;
  FakeSoundPlayer sound;
  std::int32_t last_api_result = kUntouched;
};

TEST_F(BgmPlayerTest, CdWatchSwitchesOffAfterOneFailedQueryWithoutDisc) {
  struct Case {
    const char* name;
    bool drive;
    std::int32_t after_open;  // result of the second command
    std::int32_t query_error;
  };
  for (const Case& c :
       {Case{"no drive", false, mci_error::kCannotLoadDriver, mci_error::kCannotLoadDriver},
        Case{"empty drive", true, 0, mci_error::kDeviceNotReady}}) {
    SCOPED_TRACE(c.name);
    media = FakeMediaService();
    if (!c.drive) media.RemoveCdDrive();
    BgmPlayer player = Player(0);
    player.OpenCD();
    // The time format is set even after a failed open.
    EXPECT_EQ(media.TakeSent(), (std::vector<Sent>{kOpenCd, kSetTmsf}));
    EXPECT_EQ(last_api_result, c.after_open);

    EXPECT_EQ(TickCd(player), (std::vector<Sent>{{"status cdaudio current track", 512}}));
    EXPECT_FALSE(player.CDWatching());
    EXPECT_EQ(last_api_result, c.query_error);
    EXPECT_EQ(player.MciReply(), ErrorText(media, c.query_error));

    EndCdSession(player);
    EXPECT_TRUE(media.TakeSent().empty());
    EXPECT_EQ(media.CdOpen(), c.drive);  // left for the process end to release
  }
}

TEST_F(BgmPlayerTest, WholeDiscPlaysOnAndStartsAgainWhenItStops) {
  BgmPlayer player = StartCd(0, {3s, 2s, 4s});
  EXPECT_EQ(TickCd(player), Queries({kPlayCd}));
  EXPECT_EQ(media.CdTrackPlaying(), 1);

  for (int tick = 1; tick < 45; ++tick) ASSERT_EQ(TickCd(player), Queries()) << "tick " << tick;
  EXPECT_EQ(media.CdTrackPlaying(), 3);
  // The 9 s disc has run out: the watch finds it stopped and plays it again.
  EXPECT_EQ(TickCd(player), Queries({kPlayCd}));
  EXPECT_EQ(media.CdTrackPlaying(), 1);
  EXPECT_TRUE(player.CDWatching());

  EndCdSession(player);
  EXPECT_EQ(media.TakeSent(), (std::vector<Sent>{{"stop cdaudio", 0}, {"close cdaudio", 0}}));
  EXPECT_EQ(last_api_result, 0);
  EXPECT_EQ(media.CdTrackPlaying(), 0);
  EXPECT_FALSE(media.CdOpen());
}

TEST_F(BgmPlayerTest, ChosenTrackStartsAgainWhenItIsOver) {
  struct Case {
    const char* name;
    std::int16_t repeat;
    std::vector<std::chrono::seconds> tracks;
    int quiet_ticks;  // while the chosen track plays
    const char* start;
  };
  const Case cases[] = {
      {"the next track begins", 5, {2s, 2s, 2s, 2s, 2s, 2s, 2s, 2s}, 9, "05:00:00:00"},
      {"the last track ends the disc", 3, {2s, 2s, 3s}, 14, "03:00:00:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    media = FakeMediaService();
    BgmPlayer player = StartCd(c.repeat, c.tracks);
    EXPECT_EQ(TickCd(player), Replay(c.repeat, c.start));
    EXPECT_EQ(media.CdTrackPlaying(), c.repeat);
    for (int tick = 0; tick < c.quiet_ticks; ++tick) ASSERT_EQ(TickCd(player), Queries()) << tick;
    EXPECT_EQ(TickCd(player), Replay(c.repeat, c.start));
    EXPECT_EQ(media.CdTrackPlaying(), c.repeat);
    EXPECT_EQ(TickCd(player), Queries());
    EXPECT_TRUE(player.CDWatching());
  }
}

TEST_F(BgmPlayerTest, TrackTheDiscLacksFailsSilentlyOnEveryTick) {
  struct Case {
    std::int16_t repeat;
    std::int32_t error;
  };
  for (const Case& c : {Case{-1, mci_error::kBadInteger}, Case{9, mci_error::kOutOfRange}}) {
    SCOPED_TRACE(c.repeat);
    media = FakeMediaService();
    BgmPlayer player = StartCd(c.repeat, {2s, 2s, 2s});
    const std::string status_error = "Error:" + std::to_string(c.error);
    for (int tick = 0; tick < 3; ++tick) {
      // The play command carries the position query's error text and fails in turn.
      ASSERT_EQ(TickCd(player), Replay(c.repeat, status_error));
      EXPECT_EQ(last_api_result, mci_error::kBadInteger);
      EXPECT_EQ(player.MciReply(), ErrorText(media, mci_error::kBadInteger));
      EXPECT_TRUE(player.CDWatching());
      EXPECT_EQ(media.CdTrackPlaying(), 0);
    }
  }
}

TEST_F(BgmPlayerTest, CurrentTrackReplyThatIsNoNumber) {
  struct Case {
    const char* reply;
    std::int16_t repeat;
    bool disc_playing;
    std::size_t sent;  // commands of the tick
    bool watching;
  };
  for (const Case& c : {
           Case{"five", 5, false, 3, false},  // read even though the disc has stopped
           Case{"five", 5, true, 3, false},
           Case{"five", 0, false, 4, true},  // never read as a number without a repeat track
           Case{" 5 ", 5, true, 3, true},    // blanks around a number are fine
           Case{"err", 0, true, 1, false},   // an error word in any case ends the watch
       }) {
    SCOPED_TRACE(std::string(c.reply) + " repeat " + std::to_string(c.repeat));
    media = FakeMediaService();
    BgmPlayer player = StartCd(c.repeat, {20s, 20s, 20s, 20s, 20s});
    if (c.disc_playing) {
      media.SendCommand("play cdaudio from 5", {});
      media.TakeSent();
    }
    media.ScriptNextReply("status cdaudio current track", 0, c.reply);
    EXPECT_EQ(TickCd(player).size(), c.sent);
    EXPECT_EQ(player.CDWatching(), c.watching);
  }
}

TEST_F(BgmPlayerTest, StaleTailOfALongerReplyDoesNotCountAsAMode) {
  BgmPlayer player = StartCd(0, {20s});
  EXPECT_EQ(TickCd(player), Queries({kPlayCd}));
  media.SendCommand("stop cdaudio", {});
  media.TakeSent();
  // "stop" lands on "stopped": the buffer reads "stop\0ed", which is not "stopped".
  media.ScriptNextReply("status cdaudio mode", 0, "stop");
  EXPECT_EQ(TickCd(player), Queries());
  EXPECT_EQ(TickCd(player), Queries({kPlayCd}));

  media.AddFile("C:\\a.mp3", 10s);
  BgmPlayer mp3 = Player(0, "C:\\a.mp3");
  mp3.PlayMP3();
  media.TakeSent();
  EXPECT_EQ(TickMp3(mp3), (std::vector<Sent>{kMp3Mode}));
  // "play" lands on "playing": "play\0ng" is not "playing".
  media.ScriptNextReply("status MP3Play mode", 0, "play");
  EXPECT_EQ(TickMp3(mp3), (std::vector<Sent>{kMp3Mode, kMp3Stop, kMp3Restart}));
  // Paused is not playing either.
  media.SendCommand("pause MP3Play", {});
  media.TakeSent();
  EXPECT_EQ(TickMp3(mp3), (std::vector<Sent>{kMp3Mode, kMp3Stop, kMp3Restart}));
  EXPECT_TRUE(media.FilePlaying());
}

TEST_F(BgmPlayerTest, MciSendAndMciStatusReplies) {
  BgmPlayer player = Player(0);
  std::string reply = "old";
  EXPECT_EQ(player.MciSend("", reply), -1);
  EXPECT_EQ(reply, "コマンド文字列が指定されていません");
  EXPECT_TRUE(media.Sent().empty());
  EXPECT_EQ(last_api_result, kUntouched);

  EXPECT_EQ(player.MciStatus(""), "Error:-1");
  EXPECT_EQ(last_api_result, -1);
  EXPECT_TRUE(media.Sent().empty());

  EXPECT_EQ(player.MciStatus("status MP3Play mode"), "Error:263");
  EXPECT_EQ(player.MciReply(), ErrorText(media, mci_error::kInvalidDeviceName));
  EXPECT_EQ(last_api_result, 263);

  // A code the platform has no text for.
  media.ScriptNextReply("status cdaudio mode", 0x10105, "");
  EXPECT_EQ(player.MciSend("status cdaudio mode", reply), 0x10105);
  EXPECT_EQ(reply, "Error (文字列が取れません)");
  EXPECT_EQ(last_api_result, 0x10105);

  // A reply too long for the 512-character buffer is refused, as the platform does.
  media.ScriptNextReply("status cdaudio mode", 0, std::string(512, 'x'));
  EXPECT_EQ(player.MciStatus("status cdaudio mode"), "Error:268");

  media.InsertDisc({5s, 5s});
  player.OpenCD();
  EXPECT_EQ(player.MciStatus("status cdaudio number of tracks"), "2");
  EXPECT_EQ(player.MciStatus("status cdaudio position track 2"), "02:00:00:00");
  EXPECT_EQ(player.MciReply(), "02:00:00:00");
  EXPECT_EQ(last_api_result, 0);
  EXPECT_EQ(media.Sent().back(), (Sent{"status cdaudio position track 2", 512}));
}

TEST_F(BgmPlayerTest, MciPlayBuildsEveryFromAndToCombination) {
  struct Case {
    const char* from;
    const char* to;
    const char* command;
    std::int32_t code;
    int track_playing;
  };
  const Case cases[] = {
      {"", "", "play cdaudio", 0, 1},
      {"A", "", "play cdaudio from A", mci_error::kBadInteger, 0},
      {"", "B", "play cdaudio to B", mci_error::kBadInteger, 0},
      {"A", "B", "play cdaudio from A to B", mci_error::kBadInteger, 0},
      {"2", "", "play cdaudio from 2", 0, 2},
      {"", "3", "play cdaudio to 3", 0, 1},
      {"2", "3", "play cdaudio from 2 to 3", 0, 2},
      {"3", "2", "play cdaudio from 3 to 2", mci_error::kOutOfRange, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    media = FakeMediaService();
    BgmPlayer player = StartCd(0, {5s, 5s, 5s});
    EXPECT_EQ(player.MciPlay("cdaudio", c.from, c.to), c.code);
    EXPECT_EQ(media.TakeSent(), (std::vector<Sent>{{c.command, 512}}));
    EXPECT_EQ(last_api_result, c.code);
    EXPECT_EQ(media.CdTrackPlaying(), c.track_playing);
  }
}

TEST_F(BgmPlayerTest, Mp3PathWithBlanksPlaysAndRepeatsFromTheStart) {
  const std::string path = "C:\\My Music\\night drive.mp3";
  media.AddFile(path, 2500ms);
  BgmPlayer player = Player(0, path);
  player.PlayMP3();
  EXPECT_EQ(media.TakeSent(),
            (std::vector<Sent>{{"open \"" + path + "\" type MPEGVideo Alias MP3Play", 0},
                               {"play MP3Play", 0}}));
  EXPECT_TRUE(media.FilePlaying());

  EXPECT_EQ(TickMp3(player), (std::vector<Sent>{kMp3Mode}));
  EXPECT_EQ(TickMp3(player), (std::vector<Sent>{kMp3Mode}));
  EXPECT_EQ(TickMp3(player), (std::vector<Sent>{kMp3Mode, kMp3Stop, kMp3Restart}));
  EXPECT_TRUE(media.FilePlaying());

  player.StopMP3();
  EXPECT_EQ(media.TakeSent(), (std::vector<Sent>{kMp3Stop, {"close MP3Play", 0}}));
  EXPECT_FALSE(media.FileOpen());
  EXPECT_EQ(last_api_result, kUntouched);  // MP3 results are not kept
}

TEST_F(BgmPlayerTest, Mp3ThatFailedToOpenIsStillWatchedEverySecond) {
  BgmPlayer player = Player(0, "C:\\missing.mp3");
  player.PlayMP3();
  EXPECT_EQ(media.TakeSent(),
            (std::vector<Sent>{{"open \"C:\\missing.mp3\" type MPEGVideo Alias MP3Play", 0}}));
  for (int tick = 0; tick < 3; ++tick) {
    ASSERT_EQ(TickMp3(player), (std::vector<Sent>{kMp3Mode, kMp3Stop, kMp3Restart}));
    EXPECT_FALSE(media.FileOpen());
  }
  EXPECT_EQ(last_api_result, kUntouched);
}

TEST_F(BgmPlayerTest, WavLoopsOnlyWithAnOutputDevice) {
  struct Case {
    std::int32_t devices;
    bool known;
    std::vector<std::string> calls;
    std::optional<std::string> playing;
    std::int32_t result;
  };
  const std::string path = "C:\\Sounds\\loop.wav";
  const Case cases[] = {
      {0, true, {"count"}, std::nullopt, kUntouched},
      {1, true, {"count", "play " + path}, path, 1},
      // The name is resolved by the platform, which falls back to its default sound.
      {2, false, {"count", "play " + path}, std::string(FakeSoundPlayer::kDefaultSound), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.devices);
    sound = FakeSoundPlayer(c.devices);
    if (c.known) sound.AddSound(path);
    last_api_result = kUntouched;
    BgmPlayer player = Player(0, path);
    player.PlayWAV();
    EXPECT_EQ(sound.Calls(), c.calls);
    EXPECT_EQ(sound.Playing(), c.playing);
    EXPECT_EQ(last_api_result, c.result);

    player.StopWAV();
    EXPECT_EQ(sound.Calls().back(), "stop");
    EXPECT_EQ(sound.Playing(), std::nullopt);
    EXPECT_EQ(last_api_result, 1);
    EXPECT_TRUE(media.Sent().empty());
  }
}

TEST(MusicFileKindOf, FoldsTheLastThreeCharactersToUpperCase) {
  const std::pair<const char*, MusicFileKind> cases[] = {
      {"C:\\Music\\a.wav", MusicFileKind::kWav},
      {"C:\\Music\\a.WaV", MusicFileKind::kWav},
      {"C:\\音楽\\曲.Mp3", MusicFileKind::kMp3},
      {"mp3", MusicFileKind::kMp3},
      {"C:\\Music\\a.mid", MusicFileKind::kOther},
      {"C:\\Music\\wav.txt", MusicFileKind::kOther},
      {"C:\\Music\\a.ｗａｖ", MusicFileKind::kOther},
      {"AV", MusicFileKind::kOther},
      {"", MusicFileKind::kOther},
  };
  for (const auto& [path, kind] : cases) EXPECT_EQ(MusicFileKindOf(path), kind) << path;
}

}  // namespace
}  // namespace mirokan
