// The tunnel renderer's window: a borderless pop-up over every monitor with a double-buffered
// OpenGL context, a tunnel per monitor in a viewport of its own, a loop that draws when the
// message queue is empty and the next frame is due (paced to the refresh, nothing while the
// display is off), and the exit tests (Escape, the mouse moved away on both axes, WM_CLOSE
// or WM_QUIT).
#include "renderer/win32_render_window.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <future>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "common/cursor_exit.h"
#include "common/snapshot_path.h"
#include "common/win32_handles.h"
#include "common/win32_trace.h"
#include "common/win32_window_proc.h"
#include "renderer/frame_pacing.h"
#include "renderer/monitor_layout.h"
#include "renderer/texture_upload.h"
#include "renderer/tunnel_flight.h"
#include "renderer/tunnel_scene.h"
#include "renderer/win32_bmp.h"
#include "renderer/win32_frame_wait.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kClassName[] = L"OpenGL";
constexpr wchar_t kTitle[] = L"Tunnel_Velkan";
constexpr UINT_PTR kTitleTimer = 1;
constexpr UINT kTitlePeriodMs = 1000;
// Set (to anything) for the benchmark's unpaced runs only: frames as fast as they go.
constexpr wchar_t kUnpacedVariable[] = L"MIROKAN_UNPACED";
// GUID_CONSOLE_DISPLAY_STATE, spelled out: the SDK's is defined only with initguid.h.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

struct GlContextTraits {
  static constexpr bool kCounted = false;
  static HGLRC Invalid() { return nullptr; }
  static void Close(HGLRC context) { wglDeleteContext(context); }
};
using UniqueGlContext = UniqueHandle<HGLRC, GlContextTraits>;

struct PowerNotifyTraits {
  static constexpr bool kCounted = false;
  static HPOWERNOTIFY Invalid() { return nullptr; }
  static void Close(HPOWERNOTIFY notification) { UnregisterPowerSettingNotification(notification); }
};
using UniquePowerNotify = UniqueHandle<HPOWERNOTIFY, PowerNotifyTraits>;

// A wall texture and the part of the desktop picture it was made from.
struct PartTexture {
  ScreenRect part;
  GlTexture texture;
};

// What the thread started first has done: the system's OpenGL loaded, and the pixel format
// the screen's device context chose (0 when it found none).
struct EarlyGl {
  bool loaded = false;
  int pixel_format = 0;
};

}  // namespace

// One window for the whole run.
struct Renderer {
  // The window's procedure (WindowProcOf) hands every message of the window here.
  void Attach(HWND attached) { window = attached; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE instance = nullptr;
  HWND window = nullptr;  // null again once the window is gone, whoever destroyed it
  bool (*load_gl)() = nullptr;
  std::future<EarlyGl> early_gl;  // loaded and chosen while the window is made
  std::optional<WindowDc> dc;
  UniqueGlContext context;
  bool context_current = false;
  int WindowWidth = 0;
  int WindowHeight = 0;
  std::array<bool, 256> KeyDown{};
  // Escape seen going down: the loop ends after the next swap, even if the key is up again
  // by then (a tap between two frames).
  bool EscapePressed = false;
  POINT StartCursor{};
  TunnelScene scene;
  PerformanceClock clock;
  TunnelFlight flight{clock};
  std::optional<FramePacer> pacer;  // made with the context, once the swap interval is known
  UniquePowerNotify display_notification;
  // The monitors as they stood when the renderer started, which the saver photographed a
  // moment before.
  std::vector<Monitor> pictured;
  std::int32_t picture_width = 0;
  std::int32_t picture_height = 0;
  std::vector<PartTexture> textures;
  std::vector<TunnelView> views;
  // Set once the textures exist: a display change before that lays nothing out.
  bool laid_out = false;
};

namespace {

KeyState Key(const Renderer& renderer, int virtual_key) {
  return renderer.KeyDown[static_cast<std::size_t>(virtual_key)] ? KeyState::kPressed
                                                                 : KeyState::kReleased;
}

GLuint TextureOf(const Renderer& renderer, const std::optional<ScreenRect>& part) {
  if (!part) return 0;
  for (const PartTexture& texture : renderer.textures) {
    if (texture.part == *part) return texture.texture.Get();
  }
  return 0;
}

// One wall texture per monitor the picture shows, all made at the start (their levels were
// built beside the window's creation), so a later layout only chooses among them.
bool LoadTunnelTextures(SnapshotRead& snapshot, Renderer& renderer) {
  const SnapshotPicture picture = LoadSnapshotPicture(snapshot);
  renderer.pictured = picture.pictured;
  renderer.picture_width = picture.read.file_width;
  renderer.picture_height = picture.read.file_height;
  for (const PartLevels& part : picture.parts) {
    GLuint name = 0;
    BindTunnelTexture(name);
    UploadTextureLevels(part.levels);
    renderer.textures.push_back({part.part, GlTexture(name)});
  }
  return true;
}

// Puts the window over every monitor's tunnel, above the task bar and every other window,
// with a viewport per tunnel. Topmost only once the textures exist: the snapshot's message
// boxes, which may open on any monitor, have been answered by then.
void LayOutTunnels(Renderer& renderer) {
  const std::vector<Tunnel> tunnels = PlaceTunnels(ReadMonitorLayout(), renderer.pictured,
                                                   renderer.picture_width, renderer.picture_height);
  const ScreenRect box = BoundingRect(tunnels);
  renderer.views.clear();
  for (const Tunnel& tunnel : tunnels) {
    renderer.views.push_back({tunnel.screen.left - box.left, box.bottom - tunnel.screen.bottom,
                              tunnel.screen.Width(), tunnel.screen.Height(),
                              TextureOf(renderer, tunnel.picture)});
  }
  renderer.WindowWidth = box.Width();
  renderer.WindowHeight = box.Height();
  Traced(SetWindowPos(renderer.window, HWND_TOPMOST, box.left, box.top, box.Width(), box.Height(),
                      SWP_NOACTIVATE),
         L"SetWindowPos");
  renderer.laid_out = true;
}

// Some drivers answer a function they lack with one of these instead of null.
bool UsableProcAddress(PROC proc) {
  const auto value = reinterpret_cast<std::intptr_t>(proc);
  return value != 0 && value != 1 && value != 2 && value != 3 && value != -1;
}

// Ties buffer swaps to the display's refresh where the driver offers it (0: swaps as soon
// as drawn, for the unpaced runs). One window, one swap: a frame waits for the refresh once,
// however many monitors it covers. Whether the swap really waits, the pacer finds out.
SwapInterval RequestSwapInterval(int interval) {
  using SwapIntervalProc = BOOL(WINAPI*)(int);
  const PROC proc = wglGetProcAddress("wglSwapIntervalEXT");
  if (!UsableProcAddress(proc)) return SwapInterval::kRefused;
  // Through void(*)() so the compiler accepts the cast between function types.
  const auto swap_interval = reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void (*)()>(proc));
  return swap_interval(interval) && interval == 1 ? SwapInterval::kGranted : SwapInterval::kRefused;
}

Pacing PacingAsked() {
  return GetEnvironmentVariableW(kUnpacedVariable, nullptr, 0) > 0 ? Pacing::kNone
                                                                   : Pacing::kToRefresh;
}

// The refresh of every monitor now (0 or 1 where the hardware's default applies).
std::vector<int> RefreshRates() {
  std::vector<int> rates;
  for (const Monitor& monitor : ReadMonitorLayout()) {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if (Traced(EnumDisplaySettingsW(monitor.device.empty() ? nullptr : monitor.device.c_str(),
                                    ENUM_CURRENT_SETTINGS, &mode),
               L"EnumDisplaySettingsW")) {
      rates.push_back(static_cast<int>(mode.dmDisplayFrequency));
    }
  }
  return rates;
}

bool Fail(Renderer& renderer) {
  CloseRenderWindow(renderer);
  return false;
}

// The OpenGL driver loads and lists its pixel formats at the process's first pixel-format
// call, which took longer than anything else before the window shows. Asked from the start,
// on a thread of its own and with the screen's device context, the driver loads while the
// window is being made and shown. Pixel formats are numbered per display device, so the
// screen's answer serves the window too (0 when the thread found none). The system's OpenGL is
// loaded on that thread first, so that the driver's own load finds that copy.
std::future<EarlyGl> StartGlEarly(bool (*load_gl)()) {
  try {
    return std::async(std::launch::async, [load_gl] {
      EarlyGl early{.loaded = load_gl()};
      if (!early.loaded) return early;
      // Without the screen's answer the window's own device context chooses.
      const WindowDc screen(nullptr);
      if (!screen) {
        TraceFailure(L"GetDC");
        return early;
      }
      const PIXELFORMATDESCRIPTOR format = TunnelPixelFormat();
      early.pixel_format = Traced(ChoosePixelFormat(screen.Get(), &format), L"ChoosePixelFormat");
      return early;
    });
  } catch (const std::system_error&) {
    return {};  // no thread to spare: the window's thread loads it all
  }
}

// The early choice, where it is one the window can take: drawn to a window, OpenGL, double
// buffered, RGBA. Else the window's own device context chooses.
// 0 when the system's OpenGL could not be loaded.
int WindowPixelFormat(std::future<EarlyGl>& early, bool (*load_gl)(), HDC dc,
                      const PIXELFORMATDESCRIPTOR& format) {
  const EarlyGl got = early.valid() ? early.get() : EarlyGl{.loaded = load_gl()};
  if (!got.loaded) return 0;
  const int chosen = got.pixel_format;
  PIXELFORMATDESCRIPTOR described{};
  if (chosen > 0 &&
      Traced(DescribePixelFormat(dc, chosen, sizeof(described), &described),
             L"DescribePixelFormat") != 0 &&
      (described.dwFlags & format.dwFlags) == format.dwFlags &&
      described.iPixelType == format.iPixelType) {
    return chosen;
  }
  return Traced(ChoosePixelFormat(dc, &format), L"ChoosePixelFormat");
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(data);
  MONITORINFOEXW info{};
  info.cbSize = sizeof(info);
  if (Traced(GetMonitorInfoW(monitor, &info), L"GetMonitorInfoW")) {
    const RECT& r = info.rcMonitor;
    monitors.push_back({{r.left, r.top, r.right, r.bottom},
                        (info.dwFlags & MONITORINFOF_PRIMARY) != 0,
                        info.szDevice});
  }
  return TRUE;
}

}  // namespace

std::vector<Monitor> ReadMonitorLayout() {
  std::vector<Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    monitors.push_back(
        {{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, true, L""});
  }
  return monitors;
}

PIXELFORMATDESCRIPTOR TunnelPixelFormat() {
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(PIXELFORMATDESCRIPTOR);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 32;
  format.cDepthBits = 16;
  format.iLayerType = PFD_MAIN_PLANE;
  return format;
}

bool OpenRenderWindow(Renderer& renderer, SnapshotRead& snapshot) {
  renderer.instance = GetModuleHandleW(nullptr);

  WNDCLASSW window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  window_class.lpfnWndProc = RenderWindowProc;
  window_class.hInstance = renderer.instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kClassName;
  if (Traced(RegisterClassW(&window_class), L"RegisterClassW") == 0) return false;

  // Over each monitor's whole rectangle, not its work area: a window short of the monitor
  // leaves the task bar drawn over it. Which pictures line the tunnels is known once the
  // snapshot is read, with the monitors as they stood then.
  const std::vector<Tunnel> tunnels = PlaceTunnels(ReadMonitorLayout(), {}, 0, 0);
  const ScreenRect box = BoundingRect(tunnels);
  renderer.WindowWidth = box.Width();
  renderer.WindowHeight = box.Height();

  // The window's procedure has the renderer from its first message on.
  renderer.window = Traced(CreateWindowExW(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, kClassName, kTitle,
                                           WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, box.left,
                                           box.top, renderer.WindowWidth, renderer.WindowHeight,
                                           nullptr, nullptr, renderer.instance, &renderer),
                           L"CreateWindowExW");
  if (!renderer.window) return Fail(renderer);

  renderer.dc.emplace(renderer.window);
  if (!*renderer.dc) {
    TraceFailure(L"GetDC");
    return Fail(renderer);
  }
  const HDC dc = renderer.dc->Get();

  // Shown while the driver loads: the window's first frame then waits for the driver alone.
  ShowWindow(renderer.window, SW_SHOW);
  SetForegroundWindow(renderer.window);
  SetFocus(renderer.window);

  const PIXELFORMATDESCRIPTOR format = TunnelPixelFormat();
  const int format_index = WindowPixelFormat(renderer.early_gl, renderer.load_gl, dc, format);
  if (format_index == 0) return Fail(renderer);
  if (!Traced(SetPixelFormat(dc, format_index, &format), L"SetPixelFormat")) return Fail(renderer);

  renderer.context.Reset(Traced(wglCreateContext(dc), L"wglCreateContext"));
  if (!renderer.context) return Fail(renderer);
  if (!Traced(wglMakeCurrent(dc, renderer.context.Get()), L"wglMakeCurrent")) {
    return Fail(renderer);
  }
  renderer.context_current = true;
  const Pacing pacing = PacingAsked();
  renderer.pacer.emplace(renderer.clock, PacingRate(RefreshRates()),
                         RequestSwapInterval(pacing == Pacing::kNone ? 0 : 1), pacing);
  // The current state comes at once, then every change: nothing is drawn while the display
  // is off or dimmed. (Nothing asks the display to stay on.)
  renderer.display_notification.Reset(
      Traced(RegisterPowerSettingNotification(renderer.window, &kConsoleDisplayState,
                                              DEVICE_NOTIFY_WINDOW_HANDLE),
             L"RegisterPowerSettingNotification"));

  Traced(SetTimer(renderer.window, kTitleTimer, kTitlePeriodMs, nullptr), L"SetTimer");
  TunnelScene::ResizeScene(renderer.WindowWidth, renderer.WindowHeight);
  // A first clear, left to the driver's own threads while the textures go up, brings the
  // window's buffers into memory before the first frame needs them.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glFlush();
  // The walls' textures are one per monitor and belong to the window, not the scene.
  renderer.scene.SetupScene([&](GLuint&) { return LoadTunnelTextures(snapshot, renderer); });
  LayOutTunnels(renderer);
  return true;
}

void CloseRenderWindow(Renderer& renderer) {
  // The textures belong to the context: delete them while the context is still current.
  if (renderer.context_current) {
    renderer.scene.ReleaseTexture();
    renderer.textures.clear();
  }
  renderer.display_notification.Reset();
  renderer.pacer.reset();
  // Only a context can be current, and without the system's OpenGL there is no wglMakeCurrent.
  if (renderer.context) {
    wglMakeCurrent(renderer.dc && *renderer.dc ? renderer.dc->Get() : nullptr, nullptr);
  }
  renderer.context_current = false;
  renderer.context.Reset();
  renderer.dc.reset();
  renderer.laid_out = false;
  renderer.views.clear();
  if (renderer.window) {
    DestroyWindow(renderer.window);
    renderer.window = nullptr;
  }
  UnregisterClassW(kClassName, renderer.instance);
}

void RunRenderer(bool (*load_gl)()) {
  Renderer renderer;
  renderer.load_gl = load_gl;
  renderer.early_gl = StartGlEarly(load_gl);
  // The file its session wrote; by hand, without one, the usual place.
  std::wstring path = SnapshotArgument(GetCommandLineW());
  SnapshotRead snapshot(path.empty() ? SnapshotPath() : std::move(path));
  if (!OpenRenderWindow(renderer, snapshot)) return;
  GetCursorPos(&renderer.StartCursor);
  ShowCursor(FALSE);
  FramePacer& pacer = *renderer.pacer;
  const FrameWait wait(renderer.clock);

  bool finished = false;
  while (!finished) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        finished = true;
      } else {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      continue;
    }
    // Until the next frame is due, or while the display is off, sleep; a message wakes the
    // loop at once. Escape is shown its frame without waiting.
    const std::optional<std::int64_t> before_frame = pacer.WaitBeforeFrame();
    const bool frame_due = before_frame && *before_frame == 0;
    if (!frame_due && !renderer.EscapePressed) {
      wait.ForFrameOrMessage(before_frame);
      continue;
    }
    renderer.scene.DrawTunnelFrame(
        renderer.views, renderer.flight.FramePhase(Key(renderer, VK_UP), Key(renderer, VK_DOWN)));
    SwapBuffers(renderer.dc->Get());
    pacer.FrameSwapped();
    // Escape ends right after a frame reached the screen, before the cursor test.
    if (renderer.EscapePressed) {
      finished = true;
      continue;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    finished =
        CursorFarFromStart(renderer.StartCursor.x, renderer.StartCursor.y, cursor.x, cursor.y);
  }

  ShowCursor(TRUE);
  CloseRenderWindow(renderer);
}

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return WindowProcOf<Renderer>(window, message, wparam, lparam);
}

LRESULT Renderer::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_SIZE:
      // Before the context is current (during creation) this changes nothing; the set-up
      // sizes the scene itself afterwards. Each frame sets its tunnels' viewports anew.
      if (context_current) TunnelScene::ResizeScene(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_CLOSE:
      // The loop ends on WM_QUIT and CloseRenderWindow destroys the window.
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (wparam < KeyDown.size()) KeyDown[wparam] = message == WM_KEYDOWN;
      if (message == WM_KEYDOWN && wparam == VK_ESCAPE) EscapePressed = true;
      return 0;
    case WM_TIMER:
      if (wparam == kTitleTimer) SetWindowTextW(window, kTitle);
      return 0;
    case WM_DISPLAYCHANGE:
      // A monitor came, went or changed (a laptop docked): the tunnels follow the new layout,
      // the frames the fastest refresh now.
      if (laid_out) LayOutTunnels(*this);
      if (pacer) pacer->SetPacingRate(PacingRate(RefreshRates()));
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_POWERBROADCAST:
      if (wparam == PBT_POWERSETTINGCHANGE && lparam != 0) {
        const auto& setting = *reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam);
        if (IsEqualGUID(setting.PowerSetting, kConsoleDisplayState) &&
            setting.DataLength >= sizeof(DWORD) && pacer) {
          DWORD state = 0;
          std::memcpy(&state, setting.Data, sizeof(state));
          pacer->SetDisplayPower(DisplayPowerOf(state));
        }
        return TRUE;
      }
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_NCDESTROY:
      // The window's last message: the renderer holds no handle of a window that is gone.
      return DefWindowProcW(std::exchange(window, nullptr), message, wparam, lparam);
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace mirokan::win32
