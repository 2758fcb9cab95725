// Mirokan.data under Wine: the screen-covering tunnel window, its exits (Escape, the mouse,
// WM_CLOSE) and the snapshot's failure messages. The snapshot goes where the program looks
// for it: this test runs under the same Wine prefix, so GetTempPathW agrees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_fixture.h"
#include "common/snapshot_path.h"
#include "e2e_support.h"

namespace mirokan::e2e {
namespace {

constexpr auto kStartDeadline = std::chrono::seconds(30);
constexpr auto kExitDeadline = std::chrono::seconds(15);

std::string AsString(const std::vector<std::byte>& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A varied picture, so that the sliding walls change the screen from frame to frame.
std::vector<std::byte> Picture() {
  return test::MakeBitmap({.width = 256, .height = 256});
}

// Screen colours on a coarse grid.
std::vector<COLORREF> ScreenSamples() {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  std::vector<COLORREF> samples;
  HDC screen = GetDC(nullptr);
  for (int y = 1; y < 8; ++y) {
    for (int x = 1; x < 10; ++x)
      samples.push_back(GetPixel(screen, width * x / 10, height * y / 8));
  }
  ReleaseDC(nullptr, screen);
  return samples;
}

// True once the screen showed a new frame (so the loop is drawing and testing its exits).
bool ScreenChanges(std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
  const std::vector<COLORREF> before = ScreenSamples();
  return WaitUntil([&] { return ScreenSamples() != before; }, deadline);
}

bool CursorShowing() {
  CURSORINFO info{};
  info.cbSize = sizeof(info);
  return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
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

  void WriteSnapshot(const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(snapshot_, bytes)) << "cannot write the snapshot";
  }

  // Starts the renderer and waits until its tunnel window shows frames.
  HWND StartTunnel() {
    renderer_ = Process::Start(InFolder(L"Mirokan.data"));
    EXPECT_TRUE(renderer_.Started());
    HWND window = WaitForWindow(renderer_.Id(), L"OpenGL", L"Tunnel_Velkan", kStartDeadline);
    EXPECT_NE(window, nullptr) << "no tunnel window";
    EXPECT_TRUE(window && WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_TRUE(ScreenChanges()) << "the tunnel does not move";
    return window;
  }

  DWORD ExitCode() {
    DWORD code = 12345;
    EXPECT_TRUE(renderer_.WaitExit(kExitDeadline, &code)) << "the renderer did not end";
    return code;
  }

  std::wstring snapshot_;
  Process renderer_;
};

TEST_F(RendererTest, TunnelCoversTheScreenMovesAndEndsOnEscape) {
  WriteSnapshot(AsString(Picture()));
  MoveCursorTo(400, 300);
  HWND window = StartTunnel();
  ASSERT_NE(window, nullptr);

  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_LE(rect.left, 0);
  EXPECT_LE(rect.top, 0);
  EXPECT_GE(rect.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_GE(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));

  // Timer 1 puts the title back.
  SetWindowTextW(window, L"renamed");
  EXPECT_TRUE(WaitUntil([&] { return WindowText(window) == L"Tunnel_Velkan"; }, 5s));

  // Other keys, even out-of-range key codes, leave it running.
  PostMessageW(window, WM_KEYDOWN, 'A', 0);
  PostMessageW(window, WM_KEYDOWN, VK_UP, 0);
  PostMessageW(window, WM_KEYDOWN, 0x1234, 0);
  PostMessageW(window, WM_KEYUP, 0x1234, 0);
  EXPECT_TRUE(ScreenChanges());
  EXPECT_TRUE(renderer_.Running());

  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(RendererTest, OnlyACursorFarOnBothAxesEndsIt) {
  WriteSnapshot(AsString(Picture()));
  MoveCursorTo(400, 300);
  ASSERT_NE(StartTunnel(), nullptr);
  ASSERT_EQ(CursorPos().x, 400);

  struct Step {
    int x, y;
    const char* what;
  };
  const Step keep_running[] = {{900, 300, "500 px right, y unchanged"},
                               {400, 700, "400 px down, x unchanged"},
                               {430, 330, "exactly 30 px on both axes"},
                               {400, 300, "back at the start"}};
  for (const Step& step : keep_running) {
    SCOPED_TRACE(step.what);
    MoveCursorTo(step.x, step.y);
    // Two new frames: the loop has compared this position at least once.
    EXPECT_TRUE(ScreenChanges());
    EXPECT_TRUE(ScreenChanges());
    EXPECT_TRUE(renderer_.Running());
  }

  MoveCursorTo(431, 331);
  EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(RendererTest, CloseEndsItAndDestroysTheWindow) {
  WriteSnapshot(AsString(Picture()));
  MoveCursorTo(400, 300);
  HWND window = StartTunnel();
  ASSERT_NE(window, nullptr);

  // GetCursorInfo reports the cursor of the foreground window's thread: hidden while the
  // tunnel runs, shown again once it has ended.
  EXPECT_TRUE(WaitUntil([] { return !CursorShowing(); }, 5s)) << "the cursor is not hidden";

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(TopWindows(0, L"OpenGL", L"Tunnel_Velkan").empty());
  EXPECT_TRUE(WaitUntil([] { return CursorShowing(); }, 5s)) << "the cursor stays hidden";
}

TEST_F(RendererTest, MissingSnapshotShowsTwoMessagesAndExitsWithOne) {
  renderer_ = Process::Start(InFolder(L"Mirokan.data"));
  ASSERT_TRUE(renderer_.Started());

  const MessageBoxInfo opening = WaitForMessageBox(renderer_.Id(), kStartDeadline);
  ASSERT_NE(opening.window, nullptr);
  EXPECT_EQ(opening.caption, L"BMP Unit");
  EXPECT_EQ(opening.text, L"Error opening \"" + snapshot_);
  EXPECT_FALSE(TopWindows(renderer_.Id(), L"OpenGL", L"Tunnel_Velkan", true).empty())
      << "the window is on the screen behind the message";
  DismissMessageBox(opening.window);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(opening.window); }));

  const MessageBoxInfo loading = WaitForMessageBox(renderer_.Id(), kStartDeadline);
  ASSERT_NE(loading.window, nullptr);
  EXPECT_EQ(loading.caption, L"Loading Textures");
  EXPECT_EQ(loading.text, L"Unable to load " + snapshot_);
  DismissMessageBox(loading.window);

  EXPECT_EQ(ExitCode(), 1u);
}

TEST_F(RendererTest, SnapshotTruncatedInItsPixelsWarnsAndTheTunnelRunsOn) {
  const std::vector<std::byte> picture = Picture();
  WriteSnapshot(AsString(picture).substr(0, 54 + (picture.size() - 54) / 2));
  renderer_ = Process::Start(InFolder(L"Mirokan.data"));
  ASSERT_TRUE(renderer_.Started());

  const MessageBoxInfo box = WaitForMessageBox(renderer_.Id(), kStartDeadline);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, L"BMP Unit");
  EXPECT_EQ(box.text, L"Error reading bitmap data");
  DismissMessageBox(box.window);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }));

  EXPECT_TRUE(ScreenChanges()) << "the tunnel does not run";
  EXPECT_TRUE(TopWindows(renderer_.Id(), L"#32770", nullptr, true).empty())
      << "only the one message";
  HWND window = WaitForWindow(renderer_.Id(), L"OpenGL", L"Tunnel_Velkan");
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(ExitCode(), 0u);
}

}  // namespace
}  // namespace mirokan::e2e
