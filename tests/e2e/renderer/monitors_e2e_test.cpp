// Both programs on two monitors side by side (the harness's two-monitor screen under Wine):
// each monitor flies through its own part of the desktop, one run ends from either monitor
// and leaves no picture behind; the tunnel window covers the monitors, not the work area.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "bitmap_fixture.h"
#include "common/snapshot_path.h"
#include "e2e_support.h"

namespace mirokan::e2e {
namespace {

constexpr auto kStartDeadline = std::chrono::seconds(30);

struct Monitors {
  std::vector<RECT> rects;  // the primary first
  RECT all{};               // their bounding box
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& monitors = *reinterpret_cast<Monitors*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const auto at =
      (info.dwFlags & MONITORINFOF_PRIMARY) ? monitors.rects.begin() : monitors.rects.end();
  monitors.rects.insert(at, info.rcMonitor);
  UnionRect(&monitors.all, &monitors.all, &info.rcMonitor);
  return TRUE;
}

Monitors ReadMonitors() {
  Monitors monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

// The primary's desktop is warm (red well above blue), every other monitor's cold.
enum class Tint { kWarm, kCold, kNeither };
Tint TintOf(COLORREF colour) {
  const int red = GetRValue(colour), blue = GetBValue(colour);
  if (red > blue + 40) return Tint::kWarm;
  if (blue > red + 40) return Tint::kCold;
  return Tint::kNeither;  // the tunnel's dark far end
}

// Dispatches what is queued for this thread's windows.
void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// A desktop over every monitor in 40-pixel tiles of two colours, warm on the primary and
// cold elsewhere. Painted once, while the test pumps, before anything covers it.
LRESULT CALLBACK PaintDesktop(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wparam, lparam);
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  const RECT primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT client;
  GetClientRect(window, &client);
  for (int y = 0; y < client.bottom; y += 40) {
    for (int x = 0; x < client.right; x += 40) {
      POINT at{x, y};
      ClientToScreen(window, &at);
      const bool odd = (x / 40 + y / 40) % 2;
      SetDCBrushColor(dc, PtInRect(&primary, at) ? (odd ? RGB(230, 60, 40) : RGB(250, 170, 30))
                                                 : (odd ? RGB(40, 70, 230) : RGB(30, 190, 210)));
      const RECT tile{x, y, x + 40, y + 40};
      FillRect(dc, &tile, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
  }
  EndPaint(window, &paint);
  return 0;
}

struct Desktop {
  Desktop() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = PaintDesktop;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"MirokanTestDesktop";
    RegisterClassW(&window_class);
    window =
        CreateWindowExW(WS_EX_TOOLWINDOW, window_class.lpszClassName, L"", WS_POPUP | WS_VISIBLE,
                        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                        nullptr, nullptr, window_class.hInstance, nullptr);
  }
  ~Desktop() { DestroyWindow(window); }
  HWND window;
};

// Screen colours on an 8 x 6 grid inside `area`, then the middles of its four edges.
std::vector<COLORREF> Samples(const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  std::vector<POINT> points;
  for (int j = 1; j <= 6; ++j) {
    for (int i = 1; i <= 8; ++i)
      points.push_back({area.left + width * i / 9, area.top + height * j / 7});
  }
  const int mid_x = area.left + width / 2, mid_y = area.top + height / 2;
  points.insert(points.end(), {{mid_x, area.top + 2},
                               {mid_x, area.bottom - 3},
                               {area.left + 2, mid_y},
                               {area.right - 3, mid_y}});
  std::vector<COLORREF> colours;
  const HDC screen = GetDC(nullptr);
  for (const POINT& p : points) colours.push_back(GetPixel(screen, p.x, p.y));
  ReleaseDC(nullptr, screen);
  return colours;
}

// `area` shows `own` and never the other monitor's tint: in most of the grid and at every
// edge, where the tunnel's mouth fills the screen (a misplaced viewport leaves black there).
bool ShowsOnly(const RECT& area, Tint own) {
  const std::vector<COLORREF> colours = Samples(area);
  const auto own_count =
      std::ranges::count_if(colours, [&](COLORREF c) { return TintOf(c) == own; });
  const bool foreign = std::ranges::any_of(
      colours, [&](COLORREF c) { return TintOf(c) != own && TintOf(c) != Tint::kNeither; });
  const bool edges =
      std::all_of(colours.end() - 4, colours.end(), [&](COLORREF c) { return TintOf(c) == own; });
  return !foreign && edges && own_count >= static_cast<long>(colours.size()) / 2;
}

// Its own picture, moving: the colours change, and three looks in a row show its own tint only.
void ExpectOwnTunnel(const RECT& area, Tint own, const char* name) {
  const std::vector<COLORREF> before = Samples(area);
  EXPECT_TRUE(WaitUntil([&] { return Samples(area) != before; })) << name << ": nothing moves";
  for (int look = 0; look < 3; ++look)
    EXPECT_TRUE(ShowsOnly(area, own)) << name << ", look " << look;
}

// The folder's files of the snapshot's name, whatever follows it.
std::vector<std::wstring> PicturesLeft() {
  const std::wstring snapshot = SnapshotPath();
  const std::wstring pattern = snapshot.substr(0, snapshot.size() - 4) + L"*";
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void EndAll() {
  KillProcessesNamed(L"Mirokan.data");
  KillProcessesNamed(L"Mirokan.scr");
  DeleteFileW(SnapshotPath().c_str());
}

TEST(Monitors, EachFliesThroughItsOwnDesktopUntilAMoveOnTheSecondEndsBothPrograms) {
  const Monitors monitors = ReadMonitors();
  if (monitors.rects.size() < 2) {
    // Under Wine the harness provides the second monitor: its absence is a fault there.
    ASSERT_FALSE(RunningUnderWine()) << "the harness gave Wine one monitor";
    GTEST_SKIP() << "needs two monitors";
  }
  const RECT& primary = monitors.rects[0];
  const RECT& second = monitors.rects[1];
  EndAll();
  const Desktop desktop;
  ASSERT_TRUE(WaitUntil([&] {
    Pump();
    return ShowsOnly(primary, Tint::kWarm) && ShowsOnly(second, Tint::kCold);
  })) << "the test desktop does not show";
  const POINT start{second.left + 320, second.top + 300};
  MoveCursorTo(start.x, start.y);

  Process saver = Process::Start(InFolder(L"Mirokan.scr"), L"/s");
  ASSERT_TRUE(saver.Started());
  const HWND tunnel = WaitForWindow(0, L"OpenGL", L"Tunnel_Velkan", kStartDeadline);
  ASSERT_NE(tunnel, nullptr);
  DWORD renderer_id = 0;
  GetWindowThreadProcessId(tunnel, &renderer_id);
  Process renderer = Process::Attach(renderer_id);
  ExpectOwnTunnel(second, Tint::kCold, "second monitor");
  ExpectOwnTunnel(primary, Tint::kWarm, "primary");
  EXPECT_EQ(ProcessesNamed(L"Mirokan.data").size(), 1u);

  // A click on the second monitor leaves the keys with the tunnel; a display change lays
  // the same tunnels out again.
  ClickAt(tunnel, {start.x - monitors.all.left, start.y - monitors.all.top});
  PostMessageW(tunnel, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 800));
  ExpectOwnTunnel(second, Tint::kCold, "second monitor after a click and a display change");
  EXPECT_EQ(GetForegroundWindow(), tunnel) << "the click took the focus";
  ASSERT_TRUE(renderer.Running());

  MoveCursorTo(start.x + 31, start.y + 31);
  DWORD code = 99;
  EXPECT_TRUE(saver.WaitExit(20s, &code)) << "the session did not end";
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(renderer.WaitExit(20s, &code)) << "the renderer did not end";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(PicturesLeft(), std::vector<std::wstring>{});
  EndAll();
}

// The work area stands for a task bar 40 pixels high; the window must not follow it.
TEST(Monitors, TheTunnelWindowCoversTheMonitorsWholeWhateverTheWorkArea) {
  const Monitors monitors = ReadMonitors();
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  RECT shrunk = work;
  shrunk.bottom -= 40;
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &shrunk, 0));
  struct Restore {
    RECT work;
    ~Restore() { SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0); }
  } restore{work};
  EndAll();
  ASSERT_TRUE(WriteFileBytes(SnapshotPath(), test::MakeBitmapFile({.width = 256, .height = 256})));
  Process renderer = Process::Start(InFolder(L"Mirokan.data"));
  const HWND tunnel = WaitForWindow(renderer.Id(), L"OpenGL", L"Tunnel_Velkan", kStartDeadline);
  ASSERT_NE(tunnel, nullptr);
  // Laid out and raised above any task bar once its textures exist.
  EXPECT_TRUE(
      WaitUntil([&] { return (GetWindowLongW(tunnel, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
  RECT rect{};
  GetWindowRect(tunnel, &rect);
  EXPECT_TRUE(EqualRect(&rect, &monitors.all))
      << rect.left << "," << rect.top << "-" << rect.right << "," << rect.bottom;
  renderer.Kill();
  EndAll();
}

}  // namespace
}  // namespace mirokan::e2e
