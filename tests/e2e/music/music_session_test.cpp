// The music a real session sends, read from Wine's MCI trace: on this machine there is no
// CD drive, which is exactly the no-drive path.
#include <gtest/gtest.h>

#include "common/win32_text.h"
#include "e2e_support.h"
#include "saver/host/settings.h"
#include "saver/host/win32_profile_store.h"

namespace mirokan {
namespace {

using namespace e2e;

int Count(const std::string& text, const std::string& what) {
  int count = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// A saver session with these music settings (written through the real profile functions),
// traced on Wine's `channels`; the test ends it with EndSession.
class MusicSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunningUnderWine()) GTEST_SKIP() << "reads Wine's traces";
  }
  void StartSession(const Settings& settings, const wchar_t* channels = L"+mci") {
    win32::Win32ProfileStore store;
    SaveSettings(settings, store, win32::WideToUtf8(TestFolder()));
    MoveCursorTo(200, 200);
    trace_ = WineTrace();
    saver_ = StartTraced(InFolder(L"Mirokan.scr"), L"/s", channels);
    ASSERT_NE(WaitForWindow(saver_.Id(), nullptr, L"Zarvo_Main"), nullptr);
  }
  // Moves the mouse far enough; returns the whole trace of the session.
  std::string EndSession() {
    MoveCursorTo(400, 400);
    EXPECT_TRUE(saver_.WaitExit(20s)) << "the session did not end";
    KillProcessesNamed(L"Mirokan.data");
    return trace_.Text();
  }
  bool Traced(const std::string& what, std::chrono::milliseconds deadline = 20s) const {
    return WaitUntil([&] { return trace_.Text().find(what) != std::string::npos; }, deadline);
  }

  WineTrace trace_;
  Process saver_;
};

TEST_F(MusicSession, NoCdDriveSwitchesTheWatchOffAndTheEndSendsNothing) {
  StartSession(Settings{kBgmCd, 0, ""});
  // The first CD watch tick comes 200 ms after the start; give it many more.
  ASSERT_TRUE(Traced("status cdaudio current track"));
  // A few more ticks: a switched-off watch sends nothing more.
  EXPECT_FALSE(
      WaitUntil([&] { return Count(trace_.Text(), "status cdaudio current track") > 1; }, 1s));
  const std::string trace = EndSession();
  EXPECT_GE(Count(trace, "\"open cdaudio\""), 1) << trace;
  EXPECT_GE(Count(trace, "\"set cdaudio time format tmsf\""), 1) << trace;
  EXPECT_EQ(Count(trace, "status cdaudio number of tracks"), 0) << trace;
  EXPECT_EQ(Count(trace, "play cdaudio"), 0) << trace;
  EXPECT_EQ(Count(trace, "stop cdaudio"), 0) << "the end must not stop a watch that gave up";
  EXPECT_EQ(Count(trace, "close cdaudio"), 0) << trace;
}

// 90 kanji of folders (180 bytes in code page 932, 270 in UTF-8) are written and read back
// through the real profile functions; the session opens the file under its whole path,
// watches it every second and stops and closes it at the end. (Wine cannot play it: no
// sound device.)
TEST_F(MusicSession, AnMp3UnderALongJapanesePathPlaysAndStops) {
  std::wstring music = TestFolder();
  for (int folder = 0; folder < 3; ++folder) {
    music += L"\\" + std::wstring(30, L'曲');
    CreateDirectoryW(music.c_str(), nullptr);
  }
  music += L"\\tune.mp3";
  ASSERT_TRUE(WriteFileBytes(music, "ID3"));
  StartSession(Settings{kBgmFile, 0, win32::WideToUtf8(music)});
  ASSERT_TRUE(Traced("status MP3Play mode"));
  const std::string trace = EndSession();
  // The trace shortens the open command; that it was sent at all shows the whole path was
  // read back, since a cut one names no file and leaves the session without music.
  EXPECT_EQ(Count(trace, "(L\"open \\\""), 1) << trace;
  EXPECT_GE(Count(trace, "\"stop MP3Play\""), 1) << trace;
  EXPECT_EQ(Count(trace, "\"close MP3Play\""), 1) << trace;
}

// Without a sound device (as here) the start asks for one and plays nothing; the end stops
// the sound all the same.
TEST_F(MusicSession, AWavAsksForADeviceAndTheEndStopsTheSound) {
  const std::wstring music = InFolder(L"曲.WAV");
  ASSERT_TRUE(WriteFileBytes(music, "RIFF"));
  StartSession(Settings{kBgmFile, 0, win32::WideToUtf8(music)}, L"+winmm");
  EXPECT_TRUE(Traced("waveOutGetNumDevs"));
  EXPECT_EQ(Count(EndSession(), "PlaySound pszSound='0000000000000000'"), 1);
}

TEST_F(MusicSession, AnOtherEndingPlaysNothing) {
  const std::wstring music = InFolder(L"tune.ogg");
  ASSERT_TRUE(WriteFileBytes(music, "OggS"));
  StartSession(Settings{kBgmFile, 0, win32::WideToUtf8(music)});
  EXPECT_FALSE(Traced("MP3Play", 1500ms));
  EXPECT_EQ(Count(EndSession(), "MP3Play"), 0);
}

}  // namespace
}  // namespace mirokan
