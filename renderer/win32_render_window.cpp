// The tunnel renderer's window: a borderless pop-up over the screen with a double-buffered
// OpenGL context, a loop that draws whenever the message queue is empty, and the exit tests
// (Escape, the mouse moved away on both axes, WM_CLOSE or WM_QUIT). The other monitors are
// blacked out while it runs.
#include "renderer/win32_render_window.h"

#include <array>
#include <future>
#include <optional>
#include <system_error>
#include <vector>

#include "common/snapshot_path.h"
#include "common/win32_handles.h"
#include "common/cursor_exit.h"
#include "renderer/monitor_layout.h"
#include "renderer/tunnel_scene.h"
#include "renderer/win32_bmp.h"
#include "renderer/win32_monitor_covers.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kClassName[] = L"OpenGL";
constexpr wchar_t kTitle[] = L"Tunnel_Velkan";
constexpr UINT_PTR kTitleTimer = 1;
constexpr UINT kTitlePeriodMs = 1000;

struct GlContextTraits {
  static constexpr bool kCounted = false;
  static HGLRC Invalid() { return nullptr; }
  static void Close(HGLRC context) { wglDeleteContext(context); }
};
using UniqueGlContext = UniqueHandle<HGLRC, GlContextTraits>;

// Program-wide state of the renderer: one window for the whole run.
struct Renderer {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  std::future<void> gl_driver;  // loading while the window is made
  std::optional<WindowDc> dc;
  UniqueGlContext context;
  bool context_current = false;
  int WindowWidth = 0;
  int WindowHeight = 0;
  std::array<bool, 256> KeyDown{};
  POINT StartCursor{};
  TunnelScene scene;
  MonitorCovers covers;
  // Set once the scene is up: covers made earlier would stand above the snapshot's
  // message boxes, which need not open on the primary monitor.
  bool covering = false;
};

void CoverOtherMonitors(Renderer& renderer) {
  const std::vector<Monitor> layout = ReadMonitorLayout();
  renderer.covers.Place(CoverRects(layout));
}

Renderer& State() {
  static Renderer renderer;
  return renderer;
}

KeyState Key(const Renderer& renderer, int virtual_key) {
  return renderer.KeyDown[static_cast<std::size_t>(virtual_key)] ? KeyState::kPressed
                                                                 : KeyState::kReleased;
}


// Ties buffer swaps to the display's refresh where the driver offers it; the animation
// still advances per frame, and the loop itself never waits.
void RequestSwapInterval() {
  using SwapIntervalProc = BOOL(WINAPI*)(int);
  const PROC proc = wglGetProcAddress("wglSwapIntervalEXT");
  if (!proc) return;
  // Through void(*)() so the compiler accepts the cast between function types.
  const auto swap_interval = reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void (*)()>(proc));
  swap_interval(1);
}

bool Fail() {
  CloseRenderWindow();
  return false;
}

// The OpenGL driver loads and lists its pixel formats at the process's first pixel-format
// call, which took longer than anything else before the window shows. Asked from the start,
// on a thread of its own and with the screen's device context, the driver loads while the
// window is being made; the window's own call waits for it and finds the driver ready.
std::future<void> WarmUpGlDriver() {
  try {
    return std::async(std::launch::async, [] {
      const HDC screen = GetDC(nullptr);
      const PIXELFORMATDESCRIPTOR format = TunnelPixelFormat();
      if (screen) ChoosePixelFormat(screen, &format);
      ReleaseDC(nullptr, screen);
    });
  } catch (const std::system_error&) {
    return {};  // no thread to spare: the window's call loads the driver
  }
}

}  // namespace

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

bool OpenRenderWindow(SnapshotRead& snapshot) {
  Renderer& renderer = State();
  renderer.instance = GetModuleHandleW(nullptr);

  WNDCLASSW window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  window_class.lpfnWndProc = RenderWindowProc;
  window_class.hInstance = renderer.instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kClassName;
  if (RegisterClassW(&window_class) == 0) return false;

  renderer.WindowWidth = GetSystemMetrics(SM_CXMAXIMIZED);
  renderer.WindowHeight = GetSystemMetrics(SM_CYMAXIMIZED) + GetSystemMetrics(SM_CYCAPTION);

  renderer.window =
      CreateWindowExW(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, kClassName, kTitle,
                      WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, renderer.WindowWidth,
                      renderer.WindowHeight, nullptr, nullptr, renderer.instance, nullptr);
  if (!renderer.window) return Fail();

  renderer.dc.emplace(renderer.window);
  if (!*renderer.dc) return Fail();
  const HDC dc = renderer.dc->Get();

  const PIXELFORMATDESCRIPTOR format = TunnelPixelFormat();
  if (renderer.gl_driver.valid()) renderer.gl_driver.wait();
  const int format_index = ChoosePixelFormat(dc, &format);
  if (format_index == 0) return Fail();
  if (!SetPixelFormat(dc, format_index, &format)) return Fail();

  renderer.context.Reset(wglCreateContext(dc));
  if (!renderer.context) return Fail();
  if (!wglMakeCurrent(dc, renderer.context.Get())) return Fail();
  renderer.context_current = true;
  RequestSwapInterval();

  SetTimer(renderer.window, kTitleTimer, kTitlePeriodMs, nullptr);
  ShowWindow(renderer.window, SW_SHOW);
  SetForegroundWindow(renderer.window);
  SetFocus(renderer.window);
  TunnelScene::ResizeScene(renderer.WindowWidth, renderer.WindowHeight);
  renderer.scene.SetupScene(
      [&snapshot](GLuint& texture) { return LoadTunnelTexture(snapshot, texture); });
  CoverOtherMonitors(renderer);
  renderer.covering = true;
  return true;
}

void CloseRenderWindow() {
  Renderer& renderer = State();
  // The texture belongs to the context: delete it while the context is still current.
  if (renderer.context_current) renderer.scene.ReleaseTexture();
  wglMakeCurrent(renderer.dc && *renderer.dc ? renderer.dc->Get() : nullptr, nullptr);
  renderer.context_current = false;
  renderer.context.Reset();
  renderer.dc.reset();
  renderer.covering = false;
  renderer.covers.Clear();
  if (renderer.window) {
    DestroyWindow(renderer.window);
    renderer.window = nullptr;
  }
  UnregisterClassW(kClassName, renderer.instance);
}

void RunRenderer() {
  State().gl_driver = WarmUpGlDriver();
  SnapshotRead snapshot(SnapshotPath());
  if (!OpenRenderWindow(snapshot)) return;
  Renderer& renderer = State();
  GetCursorPos(&renderer.StartCursor);
  ShowCursor(FALSE);

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
    renderer.scene.DrawTunnelFrame();
    SwapBuffers(renderer.dc->Get());
    // Escape ends right after a frame reached the screen, before the speed or cursor test.
    if (renderer.KeyDown[VK_ESCAPE]) {
      finished = true;
      continue;
    }
    renderer.scene.UpdateSpeed(Key(renderer, VK_UP), Key(renderer, VK_DOWN));
    POINT cursor{};
    GetCursorPos(&cursor);
    finished =
        CursorFarFromStart(renderer.StartCursor.x, renderer.StartCursor.y, cursor.x, cursor.y);
  }

  ShowCursor(TRUE);
  CloseRenderWindow();
}

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Renderer& renderer = State();
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_SIZE:
      // Before the context is current (during creation) this changes nothing; the set-up
      // sizes the scene itself afterwards.
      if (renderer.context_current) TunnelScene::ResizeScene(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_CLOSE:
      // The loop ends on WM_QUIT and CloseRenderWindow destroys the window.
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (wparam < renderer.KeyDown.size()) renderer.KeyDown[wparam] = message == WM_KEYDOWN;
      return 0;
    case WM_TIMER:
      if (wparam == kTitleTimer) SetWindowTextW(window, kTitle);
      return 0;
    case WM_DISPLAYCHANGE:
      // A monitor came or went (a laptop docked): cover the layout as it is now.
      if (renderer.covering) CoverOtherMonitors(renderer);
      return DefWindowProcW(window, message, wparam, lparam);
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace mirokan::win32
