// The saver started as Windows 10 and 11 start it after the idle timeout: the watcher runs on
// the user's desktop, the timeout is a few seconds, nothing is touched, and the saver then
// starts on a desktop of its own named "Screen-saver", where none of the user's windows shows.
// Wine shows a desktop made without a size on the same screen as the user's, so each case
// takes the user's windows away before the start: a tunnel photographed from the screen would
// show neither test tint.
#include "bitmap_fixture.h"
#include "common/win32_text.h"
#include "tunnel_tints.h"

namespace mirokan::e2e {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr DWORD kTimeoutMs = 3000;

// Values of the user's desktop settings for one case; the earlier ones come back after it.
class DesktopValues {
 public:
  DesktopValues() = default;
  DesktopValues(const DesktopValues&) = delete;
  DesktopValues& operator=(const DesktopValues&) = delete;
  ~DesktopValues() {
    for (const auto& [name, old] : saved_) {
      if (old) {
        Write(name.c_str(), *old);
      } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, name.c_str());
      }
    }
  }
  void Set(const wchar_t* name, const std::wstring& value) {
    wchar_t old[MAX_PATH] = {};
    DWORD size = sizeof(old) - sizeof(wchar_t);
    const bool had = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, name, RRF_RT_REG_SZ, nullptr, old,
                                  &size) == ERROR_SUCCESS;
    saved_.emplace_back(name, had ? std::optional<std::wstring>(old) : std::nullopt);
    Write(name, value);
  }

 private:
  static void Write(const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved_;
};

// Windows' desktop for savers; the saver's session is started there as the system starts it.
class ScreenSaverDesktop {
 public:
  ScreenSaverDesktop()
      : desktop_(CreateDesktopW(L"Screen-saver", nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {}
  ~ScreenSaverDesktop() {
    if (desktop_) CloseDesktop(desktop_);
  }
  ScreenSaverDesktop(const ScreenSaverDesktop&) = delete;
  ScreenSaverDesktop& operator=(const ScreenSaverDesktop&) = delete;
  explicit operator bool() const { return desktop_ != nullptr; }
  Process StartSaver() const {
    return Process::Start(InFolder(L"Mirokan.scr"), L"/s", L"", L"WinSta0\\Screen-saver");
  }

 private:
  HDESK desktop_;
};

win32::UniqueKernelHandle OpenPicture() {
  return win32::UniqueKernelHandle(
      OpenFileMappingW(FILE_MAP_READ, FALSE, L"Local\\Mirokan.DesktopPicture"));
}
bool PictureHeld() {
  return OpenPicture().Valid();
}

// Input as the user gives it (a placed cursor is none): the idle time starts again.
void Touch() {
  INPUT nudge{.type = INPUT_MOUSE};
  nudge.mi.dwFlags = MOUSEEVENTF_MOVE;
  nudge.mi.dx = 2;
  SendInput(1, &nudge, sizeof(nudge));
}

std::uint32_t IdleMs() {
  LASTINPUTINFO input{.cbSize = sizeof(input)};
  GetLastInputInfo(&input);
  return GetTickCount() - input.dwTime;
}

// A wallpaper of green stripes, so that a tunnel made of it shows motion.
std::wstring GreenWallpaper() {
  const std::wstring path = InFolder(L"壁紙 Łódź.bmp");
  const auto stripes = [](int x, int, std::uint8_t rgb[3]) {
    const bool odd = x / 8 % 2 != 0;
    rgb[0] = odd ? 40 : 20;
    rgb[1] = odd ? 210 : 150;
    rgb[2] = odd ? 60 : 40;
  };
  WriteFileBytes(path, test::MakeBitmapFile({.width = 96, .height = 60, .paint = stripes}));
  return path;
}

struct IdleCase {
  const char* name;
  enum class Watcher { kRunning, kAbsent } watcher;
  const wchar_t* locks;  // ScreenSaverIsSecure
  const char* ini;       // Mirokan.ini, or none
  enum class Then { kNothing, kInput } then;
  bool shows_desktop;              // the user's windows, or else the wallpaper
  const wchar_t* saver = nullptr;  // the saver selected, when not Mirokan
};

void ExpectIdleStart(const IdleCase& c) {
  SCOPED_TRACE(c.name);
  if (!RunningUnderWine()) GTEST_SKIP() << "sets the user's screen-saver settings: Wine prefix only";
  EndAll();
  const std::vector<RECT> monitors = MonitorRects();
  ASSERT_FALSE(monitors.empty());
  DesktopValues values;
  values.Set(L"ScreenSaveActive", L"1");
  values.Set(L"ScreenSaveTimeOut", std::to_wstring(kTimeoutMs / 1000));
  values.Set(L"SCRNSAVE.EXE", c.saver ? c.saver : InFolder(L"Mirokan.scr"));
  values.Set(L"ScreenSaverIsSecure", c.locks);
  values.Set(L"Wallpaper", GreenWallpaper());
  values.Set(L"WallpaperStyle", L"10");
  values.Set(L"TileWallpaper", L"0");
  DeleteFileW(InFolder(L"Mirokan.ini").c_str());
  if (c.ini) WriteFileBytes(InFolder(L"Mirokan.ini"), c.ini);

  // The user's desktop: warm on the primary, cold on every other monitor.
  const win32::UniqueBrush warm = Tiles(RGB(230, 60, 40), RGB(250, 170, 30));
  const win32::UniqueBrush cold = Tiles(RGB(40, 70, 230), RGB(30, 190, 210));
  std::vector<std::unique_ptr<TestWindow>> desktops;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const RECT& m = monitors[i];
    desktops.push_back(std::make_unique<TestWindow>(
        L"", WS_POPUP | WS_VISIBLE, POINT{m.left, m.top}, SIZE{m.right - m.left, m.bottom - m.top},
        (i ? cold : warm).Get(), WS_EX_TOOLWINDOW));
  }
  ASSERT_TRUE(WaitUntil([&] {
    Pump();
    return ShowsOnly(monitors[0], Tint::kWarm);
  })) << "the test desktop does not show";
  MoveCursorTo(monitors[0].left + 400, monitors[0].top + 300);
  Touch();

  Process watcher;
  if (c.watcher == IdleCase::Watcher::kRunning) {
    watcher = Process::Start(InFolder(L"MirokanWatch.exe"));
    ASSERT_TRUE(watcher.Started());
  }
  // Past the moment the picture is due; with a picture wanted, until it is held.
  const bool wanted = c.watcher == IdleCase::Watcher::kRunning &&
                      (c.shows_desktop || c.then == IdleCase::Then::kInput);
  EXPECT_TRUE(WaitUntil([] { return IdleMs() > kTimeoutMs - 500; }));
  EXPECT_EQ(WaitUntil(PictureHeld, wanted ? 20s : 1s), wanted);
  win32::UniqueKernelHandle kept;
  if (c.then == IdleCase::Then::kInput) {
    // The picture kept as it is and the watcher gone, which would drop it and take another:
    // only the picture's input tick can tell the session that it is stale.
    kept = OpenPicture();
    KillProcessesNamed(L"MirokanWatch.exe");
    Touch();
  }
  desktops.clear();

  ScreenSaverDesktop screen_saver;
  ASSERT_TRUE(screen_saver);
  Process saver = screen_saver.StartSaver();
  ASSERT_TRUE(saver.Started());
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const Tint own = c.shows_desktop ? (i ? Tint::kCold : Tint::kWarm) : Tint::kGreen;
    EXPECT_TRUE(WaitUntil([&] { return ShowsOnly(monitors[i], own); }, 30s)) << "monitor " << i;
    ExpectOwnTunnel(monitors[i], own, i ? "second monitor" : "primary");
  }
  if (wanted && c.then == IdleCase::Then::kNothing) {
    Touch();
    EXPECT_TRUE(WaitUntil([] { return !PictureHeld(); }, 5s))
        << "the user is back, the picture stays";
  }
  EndAll();
  kept.Reset();
  if (c.watcher == IdleCase::Watcher::kRunning) {
    EXPECT_FALSE(WaitUntil(PictureHeld, 0ms)) << "a picture outlives the watcher";
  }
}

TEST(IdleStart, TheWatchersPictureOfEachMonitorLinesTheTunnelOnTheScreenSaverDesktop) {
  ExpectIdleStart(
      {"watcher", IdleCase::Watcher::kRunning, L"0", nullptr, IdleCase::Then::kNothing, true});
}

TEST(IdleStart, WithoutAFreshPictureOrWhenTheSaverLocksTheWallpaperLinesIt) {
  using enum IdleCase::Watcher;
  using enum IdleCase::Then;
  const IdleCase cases[] = {
      {"no watcher", kAbsent, L"0", nullptr, kNothing, false},
      {"input after the picture", kRunning, L"0", nullptr, kInput, false},
      {"the saver locks", kRunning, L"1", nullptr, kNothing, false},
      {"the saver locks, the desktop asked for", kRunning, L"1",
       "[Section]\r\nShowDesktopWhenLocked=1\r\n", kNothing, true},
      {"another saver selected", kRunning, L"0", nullptr, kNothing, false,
       L"C:\\windows\\system32\\other.scr"},
  };
  for (const IdleCase& c : cases) ExpectIdleStart(c);
}

}  // namespace
}  // namespace mirokan::e2e
