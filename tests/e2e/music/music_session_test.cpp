// The music a real session sends, read from Wine's MCI trace: on this machine there is no
// CD drive, which is exactly the no-drive path.
#include <algorithm>

#include "e2e_checks.h"
#include "saver/state/settings.h"
#include "saver/state/win32_profile_store.h"

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
    win32::Win32PathForms forms;
    SaveSettings(settings, store, forms, win32::WideToUtf8(TestFolder()));
    MoveCursorTo(200, 200);
    trace_ = WineTrace();
    saver_ = StartTraced(InFolder(L"Mirokan.scr"), L"/s", channels);
    session_ = WaitForWindow(saver_.Id(), nullptr, L"Zarvo_Main");
    ASSERT_NE(session_, nullptr);
  }
  // Moves the mouse far enough, or ends the renderer with Escape; returns the whole trace of
  // the session.
  std::string EndSession(bool by_escape = false) {
    if (by_escape) {
      PostMessageW(TunnelWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
      MoveCursorTo(400, 400);
    }
    EXPECT_TRUE(saver_.WaitExit(20s)) << "the session did not end";
    KillProcessesNamed(L"Mirokan.data");
    return trace_.Text();
  }
  bool Traced(const std::string& what, std::chrono::milliseconds deadline = 20s) const {
    return WaitUntil([&] { return trace_.Text().find(what) != std::string::npos; }, deadline);
  }

  WineTrace trace_;
  Process saver_;
  HWND session_ = nullptr;
};

TEST_F(MusicSession, NoCdDriveSwitchesTheWatchOffAndTheEndSendsNothing) {
  StartSession(Settings{kBgmCd, 0, ""});
  // The first CD watch tick comes 200 ms after the start; give it many more.
  ASSERT_TRUE(Traced("status cdaudio current track"));
  // Sent by another thread than the session window's (Wine's trace lines begin with the
  // thread's id): a slow drive must not hold the mouse watch.
  const std::string text = trace_.Text();
  const std::size_t line = text.rfind('\n', text.find("status cdaudio current track")) + 1;
  EXPECT_NE(std::stoul(text.substr(line, text.find(':', line) - line), nullptr, 16),
            GetWindowThreadProcessId(session_, nullptr));
  // A few more ticks: a switched-off watch sends nothing more.
  EXPECT_FALSE(
      WaitUntil([&] { return Count(trace_.Text(), "status cdaudio current track") > 1; }, 1s));
  const std::string trace = EndSession();
  EXPECT_EQ(Count(trace, "play cdaudio"), 0) << trace;
  EXPECT_EQ(Count(trace, "stop cdaudio"), 0) << "the end must not stop a watch that gave up";
}

// A music file path of about 250 bytes in code page 932 (over 300 in UTF-8), all of which
// must survive the profile functions' 255-byte cut. It lies in a short folder of its own so
// that it does not grow with the folder the tests run in.
std::wstring LongJapanesePath() {
  wchar_t base[MAX_PATH] = {};
  std::wstring path = std::wstring(base, GetTempPathW(MAX_PATH, base)) + L"曲";
  // Folders of up to 30 kanji (2 bytes each), until "\tune.mp3" ends the path at 250 bytes.
  for (int bytes = static_cast<int>(win32::WideToAnsi(path).size());;) {
    CreateDirectoryW(path.c_str(), nullptr);
    const int kanji = std::min(30, (250 - 9 - 1 - bytes) / 2);
    if (kanji <= 0) return path + L"\\tune.mp3";
    path += L"\\" + std::wstring(kanji, L'曲');
    bytes += 1 + 2 * kanji;
  }
}

std::wstring UnicodeMusicPath() {
  CreateDirectoryW(InFolder(L"Łukasz 민수").c_str(), nullptr);
  return InFolder(L"Łukasz 민수\\曲 Łódź.mp3");
}

// What a session with a music file sends: an MP3 under a long Japanese path is opened under
// its whole path, watched, and closed once at the end (Wine cannot play it: no sound
// device); a WAV asks for a device, plays nothing, and the end (here by Escape in the
// renderer) stops the sound all the same; any other ending plays nothing.
TEST_F(MusicSession, MusicFilesPlayAndStopByTheirEnding) {
  struct Case {
    std::wstring file;
    const char* contents;  // null: no such file
    const wchar_t* channels;
    const char* started;  // traced once the music began; null: nothing to wait for
    std::vector<std::pair<const char*, int>> counts;  // in the whole trace
    bool by_escape = false;
  };
  const Case cases[] = {
      // The trace shortens the open command; that it was sent at all shows the whole path
      // was read back, since a cut one names no file and leaves the session without music.
      {LongJapanesePath(),
       "ID3",
       L"+mci",
       "status MP3Play mode",
       {{"(L\"open \\\"", 1}, {"\"close MP3Play\"", 1}}},
      // Outside code page 932: stored so that it comes back, and opened by its wide path.
      {UnicodeMusicPath(),
       "ID3",
       L"+mci",
       "status MP3Play mode",
       {{"(L\"open \\\"", 1}, {"\"close MP3Play\"", 1}}},
      {InFolder(L"曲.WAV"),
       "RIFF",
       L"+winmm",
       "waveOutGetNumDevs",
       {{"PlaySound pszSound='0000000000000000'", 1}},
       true},
      {InFolder(L"tune.ogg"), "OggS", L"+mci", nullptr, {{"MP3Play", 0}}},
      // Kept by the settings, given up by this session alone.
      {InFolder(L"absent.mp3"), nullptr, L"+mci", nullptr, {{"MP3Play", 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(win32::WideToUtf8(c.file));
    if (c.contents) {
      ASSERT_TRUE(WriteFileBytes(c.file, c.contents));
    }
    StartSession(Settings{kBgmFile, 0, win32::WideToUtf8(c.file)}, c.channels);
    if (c.started) {
      EXPECT_TRUE(Traced(c.started));
    } else {
      EXPECT_FALSE(Traced("MP3Play", 1500ms));
    }
    const std::string trace = EndSession(c.by_escape);
    for (const auto& [what, count] : c.counts) EXPECT_EQ(Count(trace, what), count) << what;
  }
}

}  // namespace
}  // namespace mirokan
