// Both programs on two monitors side by side (the harness's two-monitor screen under Wine):
// the monitor the tunnel does not fill is black while it runs and shows the desktop again
// after, the keys stay with the tunnel, and the mouse rule works on either monitor.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "bitmap_fixture.h"
#include "common/snapshot_path.h"
#include "common/win32_handles.h"
#include "e2e_support.h"
#include "renderer/win32_monitor_covers.h"

namespace mirokan::e2e {
namespace {

constexpr wchar_t kCoverClass[] = L"Tunnel_Cover";
constexpr auto kStartDeadline = std::chrono::seconds(30);

struct Monitors {
  int count = 0;
  RECT primary{};
  RECT second{};  // the first monitor that is not the primary
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& monitors = *reinterpret_cast<Monitors*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    monitors.primary = info.rcMonitor;
  } else if (IsRectEmpty(&monitors.second)) {
    monitors.second = info.rcMonitor;
  }
  ++monitors.count;
  return TRUE;
}

// A tiled "desktop" over every monitor, painted by a thread of its own so that it stays
// drawn while the test waits.
class Desktop {
 public:
  Desktop() : thread_([this] { Run(); }) {
    WaitUntil([this] { return window_.load() != nullptr; }, 10s);
  }
  ~Desktop() {
    WaitUntil([this] { return PostThreadMessageW(thread_id_.load(), WM_QUIT, 0, 0) != FALSE; });
    thread_.join();
  }
  HWND Window() const { return window_.load(); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wparam, lparam);
    static constexpr COLORREF kColours[] = {RGB(0x1D, 0x4E, 0x89), RGB(0xF2, 0xA5, 0x41),
                                            RGB(0xE0, 0x7A, 0x5F), RGB(0x81, 0xB2, 0x9A),
                                            RGB(0xF4, 0xF1, 0xDE), RGB(0x3D, 0x40, 0x5B)};
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    SelectObject(dc, GetStockObject(DC_BRUSH));
    for (int y = 0; y < client.bottom; y += 40) {
      for (int x = 0; x < client.right; x += 40) {
        SetDCBrushColor(dc, kColours[(x / 40 + 2 * (y / 40)) % 6]);
        const RECT tile{x, y, x + 40, y + 40};
        FillRect(dc, &tile, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      }
    }
    EndPaint(window, &paint);
    return 0;
  }

  void Run() {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts
    thread_id_ = GetCurrentThreadId();
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = Proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"MirokanTestDesktop";
    RegisterClassW(&window_class);
    const HWND window = CreateWindowExW(
        WS_EX_TOOLWINDOW, L"MirokanTestDesktop", L"", WS_POPUP, GetSystemMetrics(SM_XVIRTUALSCREEN),
        GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
        GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    window_ = window;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DestroyWindow(window);
  }

  std::atomic<HWND> window_{nullptr};
  std::atomic<DWORD> thread_id_{0};
  std::thread thread_;
};

// Screen colours on an 8 x 6 grid inside `area`.
std::vector<COLORREF> Samples(const RECT& area) {
  std::vector<COLORREF> colours;
  HDC screen = GetDC(nullptr);
  for (int j = 1; j <= 6; ++j) {
    for (int i = 1; i <= 8; ++i) {
      colours.push_back(GetPixel(screen, area.left + (area.right - area.left) * i / 9,
                                 area.top + (area.bottom - area.top) * j / 7));
    }
  }
  ReleaseDC(nullptr, screen);
  return colours;
}

constexpr bool IsBlack(COLORREF colour) {
  return colour == RGB(0, 0, 0);
}
bool AllBlack(const std::vector<COLORREF>& colours) {
  return std::ranges::all_of(colours, IsBlack);
}

// True once the colours inside `area` changed: the tunnel is drawing there.
bool Changes(const RECT& area) {
  const std::vector<COLORREF> before = Samples(area);
  return WaitUntil([&] { return Samples(area) != before; });
}

void Click() {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

// A key held down through real input until the object goes. The tunnel reads a key's state
// after a frame, so a press as short as one message could pass unseen.
class HeldKey {
 public:
  explicit HeldKey(WORD key) : key_(key) { Send(0); }
  ~HeldKey() { Send(KEYEVENTF_KEYUP); }

 private:
  void Send(DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key_;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
  }
  WORD key_;
};

class TwoMonitors : public testing::Test {
 protected:
  void SetUp() override {
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors_));
    if (monitors_.count < 2) {
      // Under Wine the harness provides the second monitor: its absence is a fault there.
      ASSERT_FALSE(RunningUnderWine()) << "the harness gave Wine one monitor";
      GTEST_SKIP() << "needs two monitors";
    }
    snapshot_ = SnapshotPath();
    DeleteFileW(snapshot_.c_str());
    ASSERT_NE(desktop_.Window(), nullptr);
    ASSERT_TRUE(WaitUntil([&] {
      desktop_on_second_ = Samples(monitors_.second);
      return std::ranges::none_of(desktop_on_second_, IsBlack);  // wholly painted
    })) << "the test desktop does not show";
    // Where the runs start: inside the second monitor.
    start_ = {monitors_.second.left + 320, monitors_.second.top + 300};
    MoveCursorTo(start_.x, start_.y);
  }
  void TearDown() override {
    renderer_.Kill();
    KillProcessesNamed(L"Mirokan.data");
    KillProcessesNamed(L"Mirokan.scr");
    DeleteFileW(snapshot_.c_str());
  }

  void StartRenderer(const std::string& snapshot) {  // none written when empty
    ASSERT_TRUE(snapshot.empty() || WriteFileBytes(snapshot_, snapshot));
    renderer_ = Process::Start(InFolder(L"Mirokan.data"));
    ASSERT_TRUE(renderer_.Started());
  }

  HWND Tunnel(DWORD pid) {
    HWND window = WaitForWindow(pid, L"OpenGL", L"Tunnel_Velkan", kStartDeadline);
    EXPECT_NE(window, nullptr) << "no tunnel window";
    return window;
  }

  // Exactly one cover (hidden ones count too), over the second monitor, and that monitor
  // black.
  void ExpectSecondMonitorCovered(DWORD pid) {
    ASSERT_TRUE(WaitUntil([&] { return !TopWindows(pid, kCoverClass, nullptr, true).empty(); }))
        << "no cover";
    const std::vector<HWND> covers = TopWindows(pid, kCoverClass, nullptr);
    ASSERT_EQ(covers.size(), 1u);
    RECT rect{};
    GetWindowRect(covers[0], &rect);
    EXPECT_TRUE(EqualRect(&rect, &monitors_.second))
        << rect.left << "," << rect.top << "-" << rect.right << "," << rect.bottom;
    EXPECT_TRUE(WaitUntil([&] { return AllBlack(Samples(monitors_.second)); }, 5s))
        << "the second monitor is not black";
  }

  bool DesktopBackOnSecond() {
    return WaitUntil([&] { return Samples(monitors_.second) == desktop_on_second_; }, 10s);
  }

  Monitors monitors_;
  Desktop desktop_;
  std::vector<COLORREF> desktop_on_second_;
  POINT start_{};
  std::wstring snapshot_;
  Process renderer_;
};

// The covers in this process, against layouts no test screen has: a monitor that goes
// takes its cover along.
TEST(MonitorCovers, EachLayoutGetsCoversOfItsOwnAndClearLeavesNone) {
  const auto covers_here = [] {
    std::vector<RECT> rects;
    for (const HWND cover : TopWindows(GetCurrentProcessId(), kCoverClass, nullptr)) {
      RECT rect{};
      GetWindowRect(cover, &rect);
      if (IsWindowVisible(cover))
        rects.push_back(rect);
      else
        rects.push_back({});  // a hidden cover is a leak
    }
    std::ranges::sort(rects, {}, &RECT::left);
    return rects;
  };
  const auto rects_equal = [](const std::vector<RECT>& got, const std::vector<RECT>& want) {
    return std::ranges::equal(got, want,
                              [](const RECT& a, const RECT& b) { return EqualRect(&a, &b); });
  };
  win32::MonitorCovers covers;
  const ScreenRect left{-1024, 0, 0, 768}, right{1280, 0, 2304, 768}, above{0, -600, 800, 0};
  covers.Place(std::vector{right, left});
  EXPECT_TRUE(rects_equal(covers_here(), {{-1024, 0, 0, 768}, {1280, 0, 2304, 768}}));
  covers.Place(std::vector{above});
  EXPECT_TRUE(rects_equal(covers_here(), {{0, -600, 800, 0}}));
  covers.Place(std::vector{left, right});
  covers.Clear();
  EXPECT_TRUE(covers_here().empty());
}

TEST_F(TwoMonitors, SaverBlacksOutTheSecondMonitorUntilAMoveThereEndsBothPrograms) {
  Process saver = Process::Start(InFolder(L"Mirokan.scr"), L"/s");
  ASSERT_TRUE(saver.Started());
  HWND tunnel = Tunnel(0);
  ASSERT_NE(tunnel, nullptr);
  DWORD renderer_id = 0;
  GetWindowThreadProcessId(tunnel, &renderer_id);
  win32::UniqueHandle<HANDLE, win32::KernelHandleTraits> renderer(
      OpenProcess(SYNCHRONIZE, FALSE, renderer_id));
  ASSERT_TRUE(renderer);
  ExpectSecondMonitorCovered(renderer_id);
  EXPECT_TRUE(Changes(monitors_.primary)) << "the tunnel does not move on the primary";
  EXPECT_TRUE(WaitUntil([] { return !CursorShowing(); }, 5s)) << "a pointer over the cover";

  // 500 pixels along x alone, onto the other monitor: both programs run on.
  MoveCursorTo(start_.x - 500, start_.y);
  EXPECT_TRUE(Changes(monitors_.primary) && Changes(monitors_.primary));
  EXPECT_TRUE(saver.Running());
  EXPECT_EQ(WaitForSingleObject(renderer.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  // A window of another program coming to the top stays under the cover.
  SetWindowPos(desktop_.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_FALSE(WaitUntil([&] { return !AllBlack(Samples(monitors_.second)); }, 1s))
      << "the desktop came up through the cover";

  MoveCursorTo(start_.x + 31, start_.y + 31);
  DWORD code = 99;
  EXPECT_TRUE(saver.WaitExit(20s, &code)) << "the session did not end";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(WaitForSingleObject(renderer.Get(), 20000), static_cast<DWORD>(WAIT_OBJECT_0))
      << "the renderer did not end";
  EXPECT_TRUE(DesktopBackOnSecond()) << "the desktop is not back on the second monitor";
}

TEST_F(TwoMonitors, AClickOnTheCoverLeavesTheKeysWithTheTunnel) {
  StartRenderer(test::MakeBitmapFile({.width = 256, .height = 256}));
  HWND tunnel = Tunnel(renderer_.Id());
  ASSERT_NE(tunnel, nullptr);
  ExpectSecondMonitorCovered(renderer_.Id());

  // A display change (nothing really changed here) lays the covers anew, not twice.
  PostMessageW(tunnel, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 800));
  EXPECT_TRUE(Changes(monitors_.primary) && Changes(monitors_.primary));
  ExpectSecondMonitorCovered(renderer_.Id());

  Click();  // where the pointer stands: no move
  EXPECT_TRUE(Changes(monitors_.primary) && Changes(monitors_.primary));
  ASSERT_TRUE(renderer_.Running()) << "a click ended the run";
  EXPECT_TRUE(AllBlack(Samples(monitors_.second)));
  EXPECT_EQ(GetForegroundWindow(), tunnel) << "the click took the focus";

  DWORD code = 99;
  {
    const HeldKey escape(VK_ESCAPE);
    EXPECT_TRUE(renderer_.WaitExit(15s, &code)) << "Escape did not reach the tunnel";
  }
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(DesktopBackOnSecond());
}

TEST_F(TwoMonitors, ACloseRequestToACoverEndsTheRendererLikeOneToTheTunnel) {
  StartRenderer(test::MakeBitmapFile({.width = 256, .height = 256}));
  ASSERT_NE(Tunnel(renderer_.Id()), nullptr);
  ExpectSecondMonitorCovered(renderer_.Id());
  const std::vector<HWND> covers = TopWindows(renderer_.Id(), kCoverClass, nullptr);
  ASSERT_FALSE(covers.empty());
  PostMessageW(covers[0], WM_CLOSE, 0, 0);
  DWORD code = 99;
  EXPECT_TRUE(renderer_.WaitExit(15s, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(DesktopBackOnSecond());
}

// Message boxes need not open on the primary: no cover may stand above them.
TEST_F(TwoMonitors, SnapshotMessagesShowWithNoCoverUp) {
  StartRenderer("");
  for (const wchar_t* caption : {L"BMP Unit", L"Loading Textures"}) {
    const MessageBoxInfo box = WaitForMessageBox(renderer_.Id(), kStartDeadline);
    ASSERT_NE(box.window, nullptr) << "no message";
    EXPECT_EQ(box.caption, caption);
    // The tunnel window already exists and hears display changes inside the box's loop.
    PostMessageW(Tunnel(renderer_.Id()), WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 800));
    EXPECT_FALSE(
        WaitUntil([&] { return !TopWindows(renderer_.Id(), kCoverClass, nullptr).empty(); }, 1s))
        << "a cover is up";
    EXPECT_EQ(Samples(monitors_.second), desktop_on_second_);
    DismissMessageBox(box.window);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }));
  }
  DWORD code = 99;
  EXPECT_TRUE(renderer_.WaitExit(15s, &code));
  EXPECT_EQ(code, 1u);
}

}  // namespace
}  // namespace mirokan::e2e
