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

Process StartTracedSaver(const std::wstring& arguments) {
  return StartTraced(InFolder(L"Mirokan.scr"), arguments, L"+mci");
}

class MusicSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunningUnderWine()) GTEST_SKIP() << "reads Wine's MCI trace";
  }
};

TEST_F(MusicSession, NoCdDriveSwitchesTheWatchOffAndTheEndSendsNothing) {
  win32::Win32ProfileStore store;
  SaveSettings(Settings{kBgmCd, 0, ""}, store, win32::WideToUtf8(TestFolder()));
  MoveCursorTo(200, 200);
  const WineTrace wine_trace;
  Process saver = StartTracedSaver(L"/s");
  ASSERT_TRUE(saver.Started());
  // The first CD watch tick comes 200 ms after the start; give it many more.
  ASSERT_TRUE(WaitUntil([&] {
    return wine_trace.Text().find("status cdaudio current track") != std::string::npos;
  })) << wine_trace.Text();
  // A few more ticks: a switched-off watch sends nothing more.
  EXPECT_FALSE(
      WaitUntil([&] { return Count(wine_trace.Text(), "status cdaudio current track") > 1; }, 1s));

  MoveCursorTo(400, 400);
  ASSERT_TRUE(saver.WaitExit(20s))
      << "cursor at " << CursorPos().x << "," << CursorPos().y << " session window "
      << (FindWindowW(nullptr, L"Zarvo_Main") != nullptr);
  KillProcessesNamed(L"Mirokan.data");

  const std::string trace = wine_trace.Text();
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
  win32::Win32ProfileStore store;
  SaveSettings(Settings{kBgmFile, 0, win32::WideToUtf8(music)}, store,
               win32::WideToUtf8(TestFolder()));
  MoveCursorTo(200, 200);
  const WineTrace wine_trace;
  Process saver = StartTracedSaver(L"/s");
  ASSERT_TRUE(saver.Started());
  ASSERT_TRUE(WaitUntil([&] {
    return wine_trace.Text().find("status MP3Play mode") != std::string::npos;
  })) << wine_trace.Text();
  MoveCursorTo(400, 400);
  ASSERT_TRUE(saver.WaitExit(20s));
  KillProcessesNamed(L"Mirokan.data");
  const std::string trace = wine_trace.Text();
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
  win32::Win32ProfileStore store;
  SaveSettings(Settings{kBgmFile, 0, win32::WideToUtf8(music)}, store,
               win32::WideToUtf8(TestFolder()));
  MoveCursorTo(200, 200);
  const WineTrace wine_trace;
  Process saver = StartTraced(InFolder(L"Mirokan.scr"), L"/s", L"+winmm");
  ASSERT_NE(WaitForWindow(saver.Id(), nullptr, L"Zarvo_Main"), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Count(wine_trace.Text(), "waveOutGetNumDevs") > 0; }));
  MoveCursorTo(400, 400);
  ASSERT_TRUE(saver.WaitExit(20s));
  KillProcessesNamed(L"Mirokan.data");
  EXPECT_EQ(Count(wine_trace.Text(), "PlaySound pszSound='0000000000000000'"), 1);
}

TEST_F(MusicSession, AnOtherEndingPlaysNothing) {
  const std::wstring music = InFolder(L"tune.ogg");
  ASSERT_TRUE(WriteFileBytes(music, "OggS"));
  win32::Win32ProfileStore store;
  SaveSettings(Settings{kBgmFile, 0, win32::WideToUtf8(music)}, store,
               win32::WideToUtf8(TestFolder()));
  MoveCursorTo(200, 200);
  const WineTrace wine_trace;
  Process saver = StartTracedSaver(L"/s");
  ASSERT_TRUE(saver.Started());
  ASSERT_NE(WaitForWindow(0, nullptr, L"Zarvo_Main"), nullptr);
  EXPECT_FALSE(
      WaitUntil([&] { return wine_trace.Text().find("MP3Play") != std::string::npos; }, 1500ms));
  MoveCursorTo(400, 400);
  ASSERT_TRUE(saver.WaitExit(20s));
  KillProcessesNamed(L"Mirokan.data");
  EXPECT_EQ(Count(wine_trace.Text(), "MP3Play"), 0);
}

}  // namespace
}  // namespace mirokan
