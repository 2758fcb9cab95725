// Both programs on two monitors side by side (the harness's two-monitor screen under Wine):
// each monitor flies through its own part of the desktop, one run ends from either monitor
// and leaves no picture behind; the tunnel window covers the monitors, not the work area.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "bitmap_fixture.h"
#include "common/snapshot_path.h"
#include "common/win32_handles.h"
#include "e2e_support.h"

namespace mirokan::e2e {
namespace {

// The monitors' rectangles, the primary's first.
std::vector<RECT> MonitorRects() {
  std::vector<RECT> rects;
  const auto add = [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
    MONITORINFO info{.cbSize = sizeof(info)};
    GetMonitorInfoW(monitor, &info);
    auto& rects = *reinterpret_cast<std::vector<RECT>*>(data);
    rects.insert((info.dwFlags & MONITORINFOF_PRIMARY) ? rects.begin() : rects.end(),
                 info.rcMonitor);
    return TRUE;
  };
  EnumDisplayMonitors(nullptr, nullptr, add, reinterpret_cast<LPARAM>(&rects));
  return rects;
}

RECT VirtualScreen() {
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// The primary's desktop is warm (red well above blue), every other monitor's cold.
enum class Tint { kWarm, kCold, kNeither };
Tint TintOf(COLORREF colour) {
  const int red = GetRValue(colour), blue = GetBValue(colour);
  if (red > blue + 40) return Tint::kWarm;
  if (blue > red + 40) return Tint::kCold;
  return Tint::kNeither;  // the tunnel's dark far end
}

// A brush of 40-pixel tiles in two colours, so that the tunnel made of it shows motion.
win32::UniqueBrush Tiles(COLORREF odd, COLORREF even) {
  win32::WindowDc screen(nullptr);
  win32::UniqueBitmap tiles(CreateCompatibleBitmap(screen.Get(), 80, 80));
  win32::UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
  win32::SelectGuard select(dc.Get(), tiles.Get());
  for (int i = 0; i < 4; ++i) {
    SetDCBrushColor(dc.Get(), i == 1 || i == 2 ? odd : even);
    const RECT tile{i % 2 * 40, i / 2 * 40, i % 2 * 40 + 40, i / 2 * 40 + 40};
    FillRect(dc.Get(), &tile, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }
  return win32::UniqueBrush(CreatePatternBrush(tiles.Get()));
}

// A desktop on `monitor` in its tiles, shown until the object goes.
TestWindow Desktop(const RECT& monitor, HBRUSH tiles) {
  return TestWindow(L"", WS_POPUP | WS_VISIBLE, {monitor.left, monitor.top},
                    {monitor.right - monitor.left, monitor.bottom - monitor.top}, tiles,
                    WS_EX_TOOLWINDOW);
}

// Screen colours on an 8 x 6 grid inside `area`, then the middles of its four edges.
std::vector<COLORREF> Samples(const RECT& area) {
  std::vector<COLORREF> colours = ScreenSamples(area, 8, 6);
  const int mid_x = (area.left + area.right) / 2, mid_y = (area.top + area.bottom) / 2;
  for (const POINT p : {POINT{mid_x, area.top + 2}, POINT{mid_x, area.bottom - 3},
                        POINT{area.left + 2, mid_y}, POINT{area.right - 3, mid_y}})
    colours.push_back(ScreenPixel(p.x, p.y));
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

void EndAll() {
  KillProcessesNamed(L"Mirokan.data");
  KillProcessesNamed(L"Mirokan.scr");
  DeleteFileW(SnapshotPath().c_str());
}

TEST(Monitors, EachFliesThroughItsOwnDesktopUntilAMoveOnTheSecondEndsBothPrograms) {
  const std::vector<RECT> monitors = MonitorRects();
  if (monitors.size() < 2) {
    // Under Wine the harness provides the second monitor: its absence is a fault there.
    ASSERT_FALSE(RunningUnderWine()) << "the harness gave Wine one monitor";
    GTEST_SKIP() << "needs two monitors";
  }
  const RECT& primary = monitors[0];
  const RECT& second = monitors[1];
  EndAll();
  const win32::UniqueBrush warm = Tiles(RGB(230, 60, 40), RGB(250, 170, 30));
  const win32::UniqueBrush cold = Tiles(RGB(40, 70, 230), RGB(30, 190, 210));
  const TestWindow warm_desktop = Desktop(primary, warm.Get());
  const TestWindow cold_desktop = Desktop(second, cold.Get());
  ASSERT_TRUE(WaitUntil([&] {
    Pump();
    return ShowsOnly(primary, Tint::kWarm) && ShowsOnly(second, Tint::kCold);
  })) << "the test desktop does not show";
  const POINT start{second.left + 320, second.top + 300};
  MoveCursorTo(start.x, start.y);

  Process saver = Process::Start(InFolder(L"Mirokan.scr"), L"/s");
  ASSERT_TRUE(saver.Started());
  Process renderer = TunnelProcess();
  const HWND tunnel = TunnelWindow(renderer.Id());
  ASSERT_NE(tunnel, nullptr);
  ExpectOwnTunnel(second, Tint::kCold, "second monitor");
  ExpectOwnTunnel(primary, Tint::kWarm, "primary");
  EXPECT_EQ(ProcessesNamed(L"Mirokan.data").size(), 1u);

  // A click on the second monitor leaves the keys with the tunnel; a display change lays
  // the same tunnels out again.
  ClickAt(tunnel, {start.x - VirtualScreen().left, start.y - VirtualScreen().top});
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
  const std::wstring snapshot = SnapshotPath();
  EXPECT_EQ(FilesIn(snapshot.substr(0, snapshot.rfind(L'\\')), L"Zarvo*"),
            std::vector<std::wstring>{})
      << "a picture, whole or half-written, is left behind";
  EndAll();
}

// The work area stands for a task bar 40 pixels high; the window must not follow it.
TEST(Monitors, TheTunnelWindowCoversTheMonitorsWholeWhateverTheWorkArea) {
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
  const HWND tunnel = TunnelWindow(renderer.Id());
  ASSERT_NE(tunnel, nullptr);
  // Laid out and raised above any task bar once its textures exist.
  EXPECT_TRUE(
      WaitUntil([&] { return (GetWindowLongW(tunnel, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
  RECT rect{};
  GetWindowRect(tunnel, &rect);
  const RECT all = VirtualScreen();
  EXPECT_TRUE(EqualRect(&rect, &all))
      << rect.left << "," << rect.top << "-" << rect.right << "," << rect.bottom;
  renderer.Kill();
  EndAll();
}

}  // namespace
}  // namespace mirokan::e2e
