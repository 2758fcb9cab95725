// Mirokan.data under Wine: the screen-covering tunnel window, its exits (Escape, even a
// quick tap, the mouse, WM_CLOSE) and the snapshot's failure messages. The snapshot goes
// where the program looks for it: this test runs under the same Wine prefix, so
// GetTempPathW agrees.
#include <GL/gl.h>

#include <string>
#include <vector>

#include "bitmap_fixture.h"
#include "common/snapshot_path.h"
#include "e2e_checks.h"
#include "renderer/win32_bmp.h"

namespace mirokan::e2e {
namespace {

// GL_MAX_TEXTURE_SIZE of the driver the renderer gets, read through a context of our own.
GLint MaxTextureSize() {
  TestWindow window(L"", WS_POPUP, {0, 0}, {16, 16});
  HDC dc = GetDC(window.Get());
  PIXELFORMATDESCRIPTOR format{.nSize = sizeof(format),
                               .nVersion = 1,
                               .dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL,
                               .cColorBits = 32};
  SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format);
  HGLRC context = wglCreateContext(dc);
  GLint size = 0;
  if (context && wglMakeCurrent(dc, context)) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  wglMakeCurrent(nullptr, nullptr);
  if (context) wglDeleteContext(context);
  ReleaseDC(window.Get(), dc);
  return size;
}

// Memory running out on the read thread is an unreadable snapshot: no picture, so the loader
// says "Unable to load" and ends with exit code 1 (the messages' own test is below).
TEST(SnapshotRead, OutOfMemoryOnTheReadThreadGivesNoPicture) {
  win32::SnapshotRead read(L"C:\\Zarvo.bmp", [](const std::wstring&) -> win32::SnapshotPicture {
    throw std::bad_alloc();
  });
  EXPECT_FALSE(read.Take().read.pixels);
}

class RendererTest : public testing::Test {
 protected:
  void SetUp() override { DeleteFileW(snapshot_.c_str()); }
  void TearDown() override {
    renderer_.Kill();
    DeleteFileW(snapshot_.c_str());
  }

  // With this snapshot (none when empty); the tunnel window once it shows frames.
  HWND Start(const std::string& snapshot = test::MakeBitmapFile({.width = 256, .height = 256}),
             bool expect_tunnel = true) {
    EXPECT_TRUE(snapshot.empty() || WriteFileBytes(snapshot_, snapshot));
    MoveCursorTo(400, 300);
    renderer_ = Process::Start(InFolder(L"Mirokan.data"));
    if (!expect_tunnel) return nullptr;
    HWND window = TunnelWindow(renderer_.Id());
    EXPECT_NE(window, nullptr) << "no tunnel window";
    EXPECT_TRUE(window && WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_TRUE(ScreenChanges()) << "the tunnel does not move";
    return window;
  }

  const std::wstring snapshot_ = SnapshotPath();
  Process renderer_;
};

// The tunnel covers the screen, keeps its title and runs on through other keys, Up and Down
// among them, and a cursor far on one axis only; a cursor far on both axes ends it with exit
// code 0 and shows the cursor again. (Escape and WM_CLOSE end the runs of the next test.)
TEST_F(RendererTest, TunnelCoversTheScreenAndEndsByTheMouseRule) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_TRUE(rect.left <= 0 && rect.top <= 0 && rect.right >= GetSystemMetrics(SM_CXSCREEN) &&
              rect.bottom >= GetSystemMetrics(SM_CYSCREEN));
  // GetCursorInfo reports the cursor of the foreground window's thread.
  EXPECT_TRUE(WaitUntil([] { return !CursorShowing(); }, 5s)) << "the cursor is not hidden";
  // The title is put back every second.
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"renamed"));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(window) == L"Tunnel_Velkan"; }, 2500ms));
  const WPARAM keys[] = {'A', VK_SPACE, VK_RETURN, VK_UP, VK_DOWN};
  for (const WPARAM key : keys) PostMessageW(window, WM_KEYDOWN, key, 0);
  MoveCursorTo(900, 300);
  // Two new frames: the loop has seen the keys and compared this position at least once.
  EXPECT_TRUE(ScreenChanges() && ScreenChanges());
  EXPECT_TRUE(renderer_.Running());
  for (const WPARAM key : keys) PostMessageW(window, WM_KEYUP, key, 0);
  MoveCursorTo(900, 800);
  EXPECT_EQ(renderer_.ExitCode(), 0u);
  EXPECT_TRUE(WaitUntil([] { return CursorShowing(); }, 5s)) << "the cursor stays hidden";
}

// Escape pressed and released between two frames, so that the key is up again when the loop
// looks, still ends the renderer: the renderer's thread is held while both messages arrive.
TEST_F(RendererTest, AQuickTapOfEscapeBetweenTwoFramesEndsIt) {
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  const HANDLE thread =
      OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr));
  ASSERT_NE(thread, nullptr);
  ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0);
  ResumeThread(thread);
  CloseHandle(thread);
  EXPECT_EQ(renderer_.ExitCode(), 0u) << "the tap was lost";
}

// Snapshots missing, cut short, empty or pictures GL cannot take as they are: the reader's
// messages, then either a tunnel that runs or the loader's message and exit code 1; never a crash
// or a hang.
TEST_F(RendererTest, BadSnapshotsGiveTheirMessagesThenATunnelThatEndsOnEscapeOrExitCodeOne) {
  const std::string picture = test::MakeBitmapFile({.width = 256, .height = 256});
  const GLint max_side = MaxTextureSize();
  ASSERT_GT(max_side, 0);
  const std::wstring data = L"Error reading bitmap data";
  struct Case {
    const char* name;
    std::string file;  // none when empty
    std::vector<std::wstring> reader_messages;
    bool tunnel_runs;
    UINT ending = WM_KEYDOWN;  // Escape, or WM_CLOSE
  };
  const Case cases[] = {
      {"missing", "", {L"Error opening \"" + snapshot_}, false},
      {"cut in its pixels", picture.substr(0, 54 + (picture.size() - 54) / 2), {data}, true},
      {"0 x 0", test::MakeBitmapFile({.width = 0, .height = 0}), {data}, false},
      {"1 x 1", test::MakeBitmapFile({.width = 1, .height = 1}), {}, true, WM_CLOSE},
      {"wider than the largest texture",
       test::MakeBitmapFile({.width = max_side + 1, .height = 8}),
       {},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileW(snapshot_.c_str());
    Start(c.file, false);
    for (const std::wstring& text : c.reader_messages) {
      EXPECT_TRUE(MessageBoxShown(renderer_.Id(), L"BMP Unit", text));
    }
    if (c.tunnel_runs) {
      HWND window = TunnelWindow(renderer_.Id());
      ASSERT_NE(window, nullptr);
      EXPECT_TRUE(WaitUntil([&] { return !CursorShowing(); })) << "the loop never began";
      EXPECT_TRUE(TopWindows(renderer_.Id(), L"#32770", nullptr, true).empty());
      PostMessageW(window, c.ending, c.ending == WM_KEYDOWN ? VK_ESCAPE : 0, 0);
      EXPECT_EQ(renderer_.ExitCode(), 0u);
    } else {
      EXPECT_TRUE(
          MessageBoxShown(renderer_.Id(), L"Loading Textures", L"Unable to load " + snapshot_));
      EXPECT_EQ(renderer_.ExitCode(15s), 1u);
    }
    renderer_.Kill();
  }
}

// The session deletes the snapshot at its end whatever the renderer is doing; a reader that
// did not share deletion would make that delete fail and leave the desktop's picture on
// disk. The same sharing rule shows from the other side: with a handle open that may delete
// the file, as the session's delete takes one, the renderer still opens it.
TEST_F(RendererTest, ReadsTheSnapshotSharedForDeletion) {
  ASSERT_TRUE(WriteFileBytes(snapshot_, test::MakeBitmapFile({.width = 256, .height = 256})));
  const HANDLE deleter = CreateFileW(snapshot_.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(deleter, INVALID_HANDLE_VALUE);
  Start("");
  EXPECT_NE(TunnelWindow(), nullptr);
  EXPECT_TRUE(TopWindows(renderer_.Id(), L"#32770", nullptr, true).empty()) << "a message";
  CloseHandle(deleter);
}

}  // namespace
}  // namespace mirokan::e2e
