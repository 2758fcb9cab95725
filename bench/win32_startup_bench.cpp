// Start-up benchmark, run under Wine by `scripts/bench startup` on one virtual screen size:
// the time from starting `Mirokan.scr /s` to the first tunnel frame on the screen (pixels
// read back), and the same road cut into its steps, each run on its own with the programs'
// own code and set against a floor measured in the same run.
//
//   startup_bench [--idle] FOLDER [RUNS [BEFORE]]
//                                         FOLDER holds the Mirokan.scr and Mirokan.data to
//                                         measure; the whole road of an older build in
//                                         BEFORE runs in turn with them, so that both meet
//                                         the same moments of a busy machine. --idle starts
//                                         the saver as the system does after the idle
//                                         timeout, on the desktop "Screen-saver", with
//                                         FOLDER's watcher holding its picture
//   startup_bench --bare                  exits at once (the bare process start of the floor)
//
// Prints one CSV row a measure: build,width,height,measure,median_ms,floor,floor_ms,ratio,
// the build being "this" alone, else "after" and "before".
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/snapshot_path.h"
#include "tools/win32_process.h"
#include "common/win32_desktop_picture.h"
#include "common/win32_handles.h"
#include "renderer/bitmap_reader.h"
#include "renderer/texture_upload.h"
#include "renderer/tunnel_scene.h"
#include "texture_ways.h"
#include "renderer/win32_bmp.h"
#include "renderer/win32_render_window.h"
#include "saver/forms/win32_forms.h"

namespace {

using mirokan::win32::BackingImage;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

int ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

// ---- The desktop the saver photographs ----------------------------------------------------

// Bright everywhere (no channel sum below 300), so the tunnel's dark far end and a blank
// window both read as "not the desktop".
COLORREF DesktopColour(int x, int y, int width, int height) {
  const int r = 120 + 135 * x / std::max(1, width);
  const int g = 120 + 135 * y / std::max(1, height);
  const int b = ((x / 64 + y / 64) % 2) ? 240 : 140;
  return RGB(r, g, b);
}

LRESULT CALLBACK DesktopProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    const int width = ScreenWidth();
    const int height = ScreenHeight();
    // Tiles of 64 pixels, each one colour: a few thousand fills, not millions of pixels.
    for (int y = 0; y < height; y += 64) {
      for (int x = 0; x < width; x += 64) {
        SetDCBrushColor(dc, DesktopColour(x, y, width, height));
        RECT tile{x, y, x + 64, y + 64};
        FillRect(dc, &tile, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      }
    }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND ShowDesktop() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DesktopProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"MirokanBenchDesktop";
  RegisterClassW(&window_class);
  const HWND window = CreateWindowExW(0, window_class.lpszClassName, L"bench desktop", WS_POPUP, 0,
                                      0, ScreenWidth(), ScreenHeight(), nullptr, nullptr,
                                      window_class.hInstance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return window;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// ---- Reading the screen ---------------------------------------------------------------------

// One screen row through the middle, read into a small DIB in one copy.
class ScreenRow {
 public:
  ScreenRow() { row_.Resize(ScreenWidth(), 1); }
  // The tunnel's first frame: most of the row is neither the desktop nor dark (a window
  // that has not drawn yet shows black).
  bool ShowsTunnel() {
    const mirokan::win32::WindowDc screen(nullptr);
    const int y = ScreenHeight() / 2;
    BitBlt(row_.Dc(), 0, 0, row_.Width(), 1, screen.Get(), 0, y, SRCCOPY);
    GdiFlush();
    constexpr int kSamples = 64;
    int changed = 0;
    int lit = 0;
    for (int i = 0; i < kSamples; ++i) {
      const int x = (2 * i + 1) * row_.Width() / (2 * kSamples);
      const std::uint8_t* p = row_.Row(0) + static_cast<std::size_t>(x) * 3;
      const COLORREF desk = DesktopColour(x, y, row_.Width(), ScreenHeight());
      const int difference =
          std::max({std::abs(p[0] - GetBValue(desk)), std::abs(p[1] - GetGValue(desk)),
                    std::abs(p[2] - GetRValue(desk))});
      if (difference > 24) ++changed;
      if (p[0] + p[1] + p[2] > 60) ++lit;
    }
    return changed > kSamples / 2 && lit > kSamples / 2;
  }

 private:
  BackingImage row_;
};

// ---- Processes --------------------------------------------------------------------------------

using mirokan::tools::Process;

HWND RendererWindow() {
  return FindWindowW(L"OpenGL", L"Tunnel_Velkan");
}

// ---- The whole road, from outside -------------------------------------------------------------

struct RoadTimes {
  double snapshot_ready = -1;  // the snapshot file is in place
  double window_shown = -1;    // the renderer's window is visible
  double first_frame = -1;     // the tunnel is on the screen
};

// The watcher's picture, taken since the last input, of the screen as it is.
bool FreshPicture() {
  const mirokan::win32::DesktopPictureView picture;
  return picture.IsFresh(mirokan::win32::LastInputTick(), mirokan::win32::VirtualScreen());
}

// Where the saver starts: on this desktop, as by hand, or as the system starts it after the
// idle timeout.
enum class StartOn { kUsersDesktop, kScreenSaverDesktop };

RoadTimes RunSaverOnce(const std::wstring& folder, StartOn start_on) {
  const std::wstring snapshot = mirokan::SnapshotPath();
  DeleteFileW(snapshot.c_str());
  const POINT rest{ScreenWidth() / 2, ScreenHeight() / 2};
  SetCursorPos(rest.x, rest.y);
  ScreenRow screen;
  RoadTimes times;
  // A tunnel on another desktop leaves its last frame on the screen under Wine until this
  // one's desktop is drawn again.
  RedrawWindow(FindWindowW(L"MirokanBenchDesktop", nullptr), nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW);
  for (int i = 0; i < 250 && screen.ShowsTunnel(); ++i) {
    PumpMessages();
    Sleep(20);
  }
  if (start_on == StartOn::kScreenSaverDesktop) {
    // Under Wine the last tunnel's window, mapped under the pointer, counted as input: a
    // nudge now, and the watcher takes its picture of this desktop anew a second later.
    INPUT nudge{.type = INPUT_MOUSE};
    nudge.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &nudge, sizeof(nudge));
    for (int i = 0; i < 500 && !FreshPicture(); ++i) {
      PumpMessages();
      Sleep(20);
    }
  }

  const Clock::time_point start = Clock::now();
  const bool idle = start_on == StartOn::kScreenSaverDesktop;
  Process saver = Process::Start(folder + L"\\Mirokan.scr", L"/s", folder,
                                 idle ? L"WinSta0\\Screen-saver" : nullptr);
  while (MsSince(start) < 30000) {
    const double now = MsSince(start);
    if (times.snapshot_ready < 0 &&
        GetFileAttributesW(snapshot.c_str()) != INVALID_FILE_ATTRIBUTES) {
      times.snapshot_ready = now;
    }
    if (times.window_shown < 0) {
      const HWND window = RendererWindow();
      if (window && IsWindowVisible(window)) times.window_shown = now;
    }
    // A window on another desktop is not found from this one.
    if ((times.window_shown >= 0 || idle) && screen.ShowsTunnel()) {
      times.first_frame = MsSince(start);
      break;
    }
    if (!saver.Running()) break;
    PumpMessages();
  }

  // The mouse ends both programs; then the pointer goes back for the next run.
  SetCursorPos(rest.x + 200, rest.y + 200);
  if (!saver.WaitExit(std::chrono::seconds(10))) saver.Kill();
  for (int i = 0; i < 500 && !mirokan::tools::ProcessesNamed(L"Mirokan.data").empty(); ++i)
    Sleep(10);
  SetCursorPos(rest.x, rest.y);
  PumpMessages();
  return times;
}

// ---- The steps, one at a time -----------------------------------------------------------------

struct Step {
  std::string name;
  const char* floor_name;
  std::vector<double> step;
  std::vector<double> floor;
};

double Time(const std::function<void()>& work) {
  const Clock::time_point start = Clock::now();
  work();
  return MsSince(start);
}

// A texture made, filled by `fill` and finished by the driver, then deleted.
double TimeTexture(const std::function<void()>& fill) {
  GLuint texture = 0;
  const double ms = Time([&] {
    mirokan::BindTunnelTexture(texture);
    fill();
    glFinish();
  });
  glDeleteTextures(1, &texture);
  return ms;
}

// A hidden window with a current rendering context, as the renderer makes one.
class GlWindow {
 public:
  GlWindow() {
    window_ = CreateWindowExW(0, L"STATIC", L"bench gl", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    dc_.emplace(window_);
    const PIXELFORMATDESCRIPTOR format = mirokan::win32::TunnelPixelFormat();
    SetPixelFormat(dc_->Get(), ChoosePixelFormat(dc_->Get(), &format), &format);
    context_ = wglCreateContext(dc_->Get());
    wglMakeCurrent(dc_->Get(), context_);
  }
  ~GlWindow() {
    wglMakeCurrent(nullptr, nullptr);
    if (context_) wglDeleteContext(context_);
    dc_.reset();
    DestroyWindow(window_);
  }

 private:
  HWND window_ = nullptr;
  std::optional<mirokan::win32::WindowDc> dc_;
  HGLRC context_ = nullptr;
};

std::vector<Step> RunSteps(const std::wstring& folder, int runs, const std::wstring& self) {
  const int width = ScreenWidth();
  const int height = ScreenHeight();
  const std::wstring snapshot = mirokan::SnapshotPathIn(folder) + L".bench";
  const std::wstring plain = snapshot + L".plain";
  std::vector<Step> steps = {
      {"desktop copy", "one copy into a ready image", {}, {}},
      {"snapshot write", "plain write of the same bytes", {}, {}},
      {"renderer start to its window", "bare process start", {}, {}},
      {"snapshot read", "plain read of the same bytes", {}, {}},
      {"texture on the window's thread", "GLU's build there (old way)", {}, {}},
  };
  // Each way of building the texture: the part the read thread does before the rendering
  // context exists, and the part on the window's thread, which delays the first frame.
  for (const mirokan::bench::TextureWay& way : mirokan::bench::kTextureWays) {
    steps.push_back({std::string(way.name) + " (read thread)", "-", {}, {}});
    steps.push_back({std::string(way.name) + " (window thread)", "-", {}, {}});
  }
  BackingImage ready;
  ready.Resize(width, height);
  GlWindow gl;

  for (int run = 0; run < runs; ++run) {
    const mirokan::win32::WindowDc screen_dc(nullptr);
    const HDC screen = screen_dc.Get();
    // The session's way: a fresh screen-sized image, then the desktop copied into it.
    BackingImage image;
    steps[0].step.push_back(Time([&] {
      image.Resize(width, height);
      image.CopyFromScreen(screen, 0, 0);
      GdiFlush();
    }));
    steps[0].floor.push_back(Time([&] {
      BitBlt(ready.Dc(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
      GdiFlush();
    }));

    DeleteFileW(snapshot.c_str());
    steps[1].step.push_back(Time([&] { image.SaveAsBitmap(snapshot); }));
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExW(snapshot.c_str(), GetFileExInfoStandard, &attributes);
    const DWORD file_size = attributes.nFileSizeLow;
    std::vector<char> bytes(file_size, 'x');
    DeleteFileW(plain.c_str());
    steps[1].floor.push_back(Time([&] {
      const HANDLE file = CreateFileW(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
      DWORD written = 0;
      WriteFile(file, bytes.data(), file_size, &written, nullptr);
      CloseHandle(file);
    }));

    // The renderer is started with no snapshot in its place, so it stops at its first message
    // box once its window is up; only the start matters here.
    DeleteFileW(mirokan::SnapshotPath().c_str());
    steps[2].step.push_back(Time([&] {
      Process renderer = Process::Start(folder + L"\\Mirokan.data", L"", folder);
      while (!RendererWindow() && renderer.Running()) Sleep(0);
      renderer.Kill();
    }));
    steps[2].floor.push_back(Time([&] {
      Process bare = Process::Start(self, L"--bare", folder);
      bare.WaitExit(std::chrono::seconds(10));
    }));

    mirokan::BitmapReadResult picture;
    steps[3].step.push_back(Time([&] { picture = mirokan::win32::ReadBitmapFile(snapshot); }));
    steps[3].floor.push_back(Time([&] {
      const HANDLE file = CreateFileW(plain.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
      DWORD got = 0;
      ReadFile(file, bytes.data(), file_size, &got, nullptr);
      CloseHandle(file);
    }));

    if (picture.pixels) {
      const mirokan::RgbView view{{picture.width, picture.height},
                                  static_cast<std::size_t>(mirokan::PaddedRowLength(picture.width)),
                                  picture.pixels->data()};
      // Each run starts with another way, as memory the driver has just let go is cheaper to
      // take again than fresh memory.
      constexpr std::size_t kWays = std::size(mirokan::bench::kTextureWays);
      for (std::size_t i = 0; i < kWays; ++i) {
        const std::size_t way = (static_cast<std::size_t>(run) + i) % kWays;
        const mirokan::bench::TextureWay& texture_way = mirokan::bench::kTextureWays[way];
        std::vector<mirokan::TextureLevel> prepared;
        steps[5 + 2 * way].step.push_back(Time([&] { prepared = texture_way.prepare(view); }));
        steps[6 + 2 * way].step.push_back(TimeTexture([&] { texture_way.upload(view, prepared); }));
      }
      steps[4].step.push_back(steps[6 + 2 * 2].step.back());  // own levels
      steps[4].floor.push_back(steps[6].step.back());         // GLU from the picture
    }
  }
  DeleteFileW(snapshot.c_str());
  DeleteFileW(plain.c_str());
  return steps;
}

void PrintRow(const char* build, const char* measure, double median, const char* floor_name,
              double floor) {
  std::printf("%s,%d,%d,%s,%.1f,%s,", build, ScreenWidth(), ScreenHeight(), measure, median,
              floor_name);
  if (floor > 0) {
    std::printf("%.1f,%.2f\n", floor, median / floor);
  } else {
    std::printf(",\n");
  }
}

std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

}  // namespace

struct Road {
  std::wstring folder;
  const char* build;
  std::vector<double> snapshot_ready, window_shown, first_frame;
  int missed = 0;
};

// The system's idle start: its desktop for savers, a short timeout with this build's saver
// selected, and the watcher holding its picture of the bench's desktop. Settings come back
// and the watcher ends with the object.
class IdleStart {
 public:
  explicit IdleStart(const std::wstring& folder)
      : desktop_(CreateDesktopW(L"Screen-saver", nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {
    Set(L"ScreenSaveActive", L"1");
    Set(L"ScreenSaveTimeOut", L"2");
    Set(L"SCRNSAVE.EXE", folder + L"\\Mirokan.scr");
    watcher_ = Process::Start(folder + L"\\MirokanWatch.exe", L"", folder);
  }
  ~IdleStart() {
    watcher_.Kill();
    for (const auto& [name, old] : saved_) Write(name.c_str(), old);
    if (desktop_) CloseDesktop(desktop_);
  }

 private:
  static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
  static void Write(const wchar_t* name, const std::wstring& value) {
    if (value.empty()) {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, name);
    } else {
      RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
  }
  void Set(const wchar_t* name, const std::wstring& value) {
    wchar_t old[MAX_PATH] = {};
    DWORD size = sizeof(old) - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, old, &size);
    saved_.emplace_back(name, old);
    Write(name, value);
  }
  HDESK desktop_;
  Process watcher_;
  std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

int wmain(int argc, wchar_t** argv) {
  if (argc >= 2 && std::wstring(argv[1]) == L"--bare") return 0;
  const StartOn start_on = argc >= 2 && std::wstring(argv[1]) == L"--idle"
                               ? StartOn::kScreenSaverDesktop
                               : StartOn::kUsersDesktop;
  if (start_on == StartOn::kScreenSaverDesktop) {
    --argc;
    ++argv;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_bench FOLDER [RUNS [BEFORE]]\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  const int runs = argc >= 3 ? std::max(1, _wtoi(argv[2])) : 6;
  std::vector<Road> roads;
  if (argc >= 4) roads.push_back({argv[3], "before"});
  roads.push_back({folder, roads.empty() ? "this" : "after"});
  SetProcessDPIAware();

  const HWND desktop = ShowDesktop();
  for (int i = 0; i < 20; ++i) {
    PumpMessages();
    Sleep(10);
  }
  std::optional<IdleStart> idle;
  if (start_on == StartOn::kScreenSaverDesktop) {
    idle.emplace(folder);
    const Clock::time_point since = Clock::now();
    while (!FreshPicture() && MsSince(since) < 30000) {
      PumpMessages();
      Sleep(20);
    }
    if (!FreshPicture()) {
      std::fprintf(stderr, "the watcher took no picture within 30 s\n");
      return 1;
    }
  }
  // The first start also loads Wine's libraries: not counted.
  for (const Road& road : roads) RunSaverOnce(road.folder, start_on);
  for (int run = 0; run < runs; ++run) {
    for (Road& road : roads) {
      const RoadTimes times = RunSaverOnce(road.folder, start_on);
      if (times.first_frame < 0) {
        ++road.missed;
        continue;
      }
      road.snapshot_ready.push_back(times.snapshot_ready);
      road.window_shown.push_back(times.window_shown);
      road.first_frame.push_back(times.first_frame);
    }
  }
  DestroyWindow(desktop);
  PumpMessages();

  const std::vector<Step> steps = RunSteps(folder, runs, OwnPath());
  int status = 0;
  for (const Road& road : roads) {
    PrintRow(road.build, "first frame", Median(road.first_frame), "-", 0);
    PrintRow(road.build, "snapshot in place", Median(road.snapshot_ready), "-", 0);
    PrintRow(road.build, "renderer window shown", Median(road.window_shown), "-", 0);
    if (road.missed > 0) {
      std::fprintf(stderr, "%s: %d of %d runs showed no tunnel within 30 s\n", road.build,
                   road.missed, runs);
    }
    if (road.missed == runs) status = 1;
  }
  for (const Step& step : steps) {
    PrintRow(roads.back().build, step.name.c_str(), Median(step.step), step.floor_name,
             Median(step.floor));
  }
  return status;
}
