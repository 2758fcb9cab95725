// Mirokan.data under Wine: the screen-covering tunnel window, its exits (Escape, the mouse,
// WM_CLOSE) and the snapshot's failure messages. The snapshot goes where the program looks
// for it: this test runs under the same Wine prefix, so GetTempPathW agrees.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "bitmap_fixture.h"
#include "common/snapshot_path.h"
#include "e2e_support.h"

namespace mirokan::e2e {
namespace {

constexpr auto kStartDeadline = std::chrono::seconds(30);

// GL_MAX_TEXTURE_SIZE of the driver the renderer gets, read through a context of our own.
GLint MaxTextureSize() {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                nullptr, nullptr);
  HDC dc = GetDC(window);
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
  ReleaseDC(window, dc);
  DestroyWindow(window);
  return size;
}

class RendererTest : public testing::Test {
 protected:
  void SetUp() override {
    snapshot_ = SnapshotPath();
    DeleteFileW(snapshot_.c_str());
  }
  void TearDown() override {
    renderer_.Kill();
    DeleteFileW(snapshot_.c_str());
  }

  void Start(const std::string& snapshot) {  // none written when empty
    ASSERT_TRUE(snapshot.empty() || WriteFileBytes(snapshot_, snapshot));
    MoveCursorTo(400, 300);
    renderer_ = Process::Start(InFolder(L"Mirokan.data"));
    ASSERT_TRUE(renderer_.Started());
  }

  // The tunnel window, once it shows frames.
  HWND TunnelWindow() {
    HWND window = WaitForWindow(renderer_.Id(), L"OpenGL", L"Tunnel_Velkan", kStartDeadline);
    EXPECT_NE(window, nullptr) << "no tunnel window";
    EXPECT_TRUE(window && WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_TRUE(ScreenChanges()) << "the tunnel does not move";
    return window;
  }

  // Waits for a message box, checks it and presses OK.
  void ExpectMessageBox(const std::wstring& caption, const std::wstring& text) {
    const MessageBoxInfo box = WaitForMessageBox(renderer_.Id(), kStartDeadline);
    ASSERT_NE(box.window, nullptr) << "no message " << testing::PrintToString(text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    DismissMessageBox(box.window);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }));
  }

  DWORD ExitCode() {
    DWORD code = 12345;
    EXPECT_TRUE(renderer_.WaitExit(15s, &code)) << "the renderer did not end";
    return code;
  }

  std::wstring snapshot_;
  Process renderer_;
};

TEST_F(RendererTest, TunnelCoversTheScreenKeepsItsTitleAndEndsOnEscapeAlone) {
  Start(test::MakeBitmapFile({.width = 256, .height = 256}));
  HWND window = TunnelWindow();
  ASSERT_NE(window, nullptr);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_LE(rect.left, 0);
  EXPECT_LE(rect.top, 0);
  EXPECT_GE(rect.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_GE(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  // The title is put back every second.
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"renamed"));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(window) == L"Tunnel_Velkan"; }, 2500ms));
  // Other keys held, Up and Down among them, keep it running.
  const WPARAM keys[] = {'A', VK_SPACE, VK_RETURN, VK_UP, VK_DOWN};
  for (const WPARAM key : keys) PostMessageW(window, WM_KEYDOWN, key, 0);
  EXPECT_TRUE(ScreenChanges() && ScreenChanges());
  EXPECT_TRUE(renderer_.Running());
  for (const WPARAM key : keys) PostMessageW(window, WM_KEYUP, key, 0);
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(RendererTest, OnlyACursorFarOnBothAxesEndsIt) {
  Start(test::MakeBitmapFile({.width = 256, .height = 256}));
  ASSERT_NE(TunnelWindow(), nullptr);
  for (const POINT keep_running : {POINT{900, 300}, POINT{430, 330}}) {  // 500 px right; 30 px
    MoveCursorTo(keep_running.x, keep_running.y);
    // Two new frames: the loop has compared this position at least once.
    EXPECT_TRUE(ScreenChanges() && ScreenChanges());
    EXPECT_TRUE(renderer_.Running()) << keep_running.x;
  }
  MoveCursorTo(431, 331);
  EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(RendererTest, CloseEndsItAndShowsTheCursorAgain) {
  Start(test::MakeBitmapFile({.width = 256, .height = 256}));
  HWND window = TunnelWindow();
  ASSERT_NE(window, nullptr);
  // GetCursorInfo reports the cursor of the foreground window's thread.
  EXPECT_TRUE(WaitUntil([] { return !CursorShowing(); }, 5s)) << "the cursor is not hidden";
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(WaitUntil([] { return CursorShowing(); }, 5s)) << "the cursor stays hidden";
}

TEST_F(RendererTest, MissingSnapshotShowsTwoMessagesAndExitsWithOne) {
  Start("");
  ExpectMessageBox(L"BMP Unit", L"Error opening \"" + snapshot_);
  ExpectMessageBox(L"Loading Textures", L"Unable to load " + snapshot_);
  EXPECT_EQ(ExitCode(), 1u);
}

TEST_F(RendererTest, SnapshotTruncatedInItsPixelsWarnsAndTheTunnelRunsOn) {
  const std::string picture = test::MakeBitmapFile({.width = 256, .height = 256});
  Start(picture.substr(0, 54 + (picture.size() - 54) / 2));
  ExpectMessageBox(L"BMP Unit", L"Error reading bitmap data");
  HWND window = TunnelWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(TopWindows(renderer_.Id(), L"#32770", nullptr, true).empty()) << "a second message";
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(ExitCode(), 0u);
}

// Headers that lie and pictures GL cannot take as they are: a message that says what went
// wrong and exit code 1, or a tunnel that runs; never a crash or a hang.
TEST_F(RendererTest, HostileSnapshotsGiveAMessageOrARunningTunnel) {
  const auto patched = [](test::BitmapFixture fixture, std::size_t offset, std::uint32_t value) {
    std::string file = test::MakeBitmapFile(fixture);
    for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<char>(value >> (8 * i));
    return file;
  };
  const GLint max_side = MaxTextureSize();
  ASSERT_GT(max_side, 0);
  const std::wstring data = L"Error reading bitmap data";
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::wstring> reader_messages;
    bool tunnel_runs;
  };
  const Case cases[] = {
      {"biSizeImage far beyond the file",
       patched({.width = 64, .height = 64}, 34, 0xFFFFFFF0u),
       {data},
       true},
      {"0 x 0", test::MakeBitmapFile({.width = 0, .height = 0}), {data}, false},
      {"1 x 1", test::MakeBitmapFile({.width = 1, .height = 1}), {}, true},
      {"wider than the largest texture",
       test::MakeBitmapFile({.width = max_side + 1, .height = 8}),
       {},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.file);
    for (const std::wstring& text : c.reader_messages) ExpectMessageBox(L"BMP Unit", text);
    if (c.tunnel_runs) {
      HWND window = WaitForWindow(renderer_.Id(), L"OpenGL", L"Tunnel_Velkan", kStartDeadline);
      ASSERT_NE(window, nullptr);
      EXPECT_TRUE(WaitUntil([&] { return !CursorShowing(); })) << "the loop never began";
      EXPECT_TRUE(TopWindows(renderer_.Id(), L"#32770", nullptr, true).empty());
      PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
      EXPECT_EQ(ExitCode(), 0u);
    } else {
      ExpectMessageBox(L"Loading Textures", L"Unable to load " + snapshot_);
      EXPECT_EQ(ExitCode(), 1u);
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
