// Checks of what the tunnel shows on each monitor, by the tint of the desktop it was made of,
// shared by the end-to-end programs that fly on several monitors.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/snapshot_path.h"
#include "common/win32_handles.h"
#include "e2e_support.h"

namespace mirokan::e2e {

// The monitors' rectangles, the primary's first.
inline std::vector<RECT> MonitorRects() {
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

inline RECT VirtualScreen() {
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Test desktops are warm (red well above blue) or cold, and wallpapers green.
enum class Tint { kWarm, kCold, kGreen, kNeither };
inline Tint TintOf(COLORREF colour) {
  const int red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
  if (red > blue + 40) return Tint::kWarm;
  if (blue > red + 40) return Tint::kCold;
  if (green > red + 40 && green > blue + 40) return Tint::kGreen;
  return Tint::kNeither;  // the tunnel's dark far end
}

// A brush of 40-pixel tiles in two colours, so that the tunnel made of it shows motion.
inline win32::UniqueBrush Tiles(COLORREF odd, COLORREF even) {
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
inline TestWindow Desktop(const RECT& monitor, HBRUSH tiles) {
  return TestWindow(L"", WS_POPUP | WS_VISIBLE, {monitor.left, monitor.top},
                    {monitor.right - monitor.left, monitor.bottom - monitor.top}, tiles,
                    WS_EX_TOOLWINDOW);
}

// Screen colours on an 8 x 6 grid inside `area`, then the middles of its four edges.
inline std::vector<COLORREF> Samples(const RECT& area) {
  std::vector<COLORREF> colours = ScreenSamples(area, 8, 6);
  const int mid_x = (area.left + area.right) / 2, mid_y = (area.top + area.bottom) / 2;
  for (const POINT p : {POINT{mid_x, area.top + 2}, POINT{mid_x, area.bottom - 3},
                        POINT{area.left + 2, mid_y}, POINT{area.right - 3, mid_y}})
    colours.push_back(ScreenPixel(p.x, p.y));
  return colours;
}

// `area` shows `own` and never the other monitor's tint: in most of the grid and at every
// edge, where the tunnel's mouth fills the screen (a misplaced viewport leaves black there).
inline bool ShowsOnly(const RECT& area, Tint own) {
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
inline void ExpectOwnTunnel(const RECT& area, Tint own, const char* name) {
  const std::vector<COLORREF> before = Samples(area);
  EXPECT_TRUE(WaitUntil([&] { return Samples(area) != before; })) << name << ": nothing moves";
  for (int look = 0; look < 3; ++look)
    EXPECT_TRUE(ShowsOnly(area, own)) << name << ", look " << look;
}

inline void EndAll() {
  KillProcessesNamed(L"Mirokan.data");
  KillProcessesNamed(L"Mirokan.scr");
  KillProcessesNamed(L"MirokanWatch.exe");
  DeleteFileW(SnapshotPath().c_str());
}

}  // namespace mirokan::e2e
