// Both programs on two monitors side by side (the harness's two-monitor screen under Wine):
// each monitor flies through its own part of the desktop, one run ends from either monitor
// and leaves no picture behind; the tunnel window covers the monitors, not the work area.
#include <gtest/gtest.h>

#include "bitmap_fixture.h"
#include "common/snapshot_path.h"
#include "e2e_support.h"
#include "tunnel_tints.h"

namespace mirokan::e2e {
namespace {

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
