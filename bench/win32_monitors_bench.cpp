// Frame-rate benchmark, run under Wine by `scripts/bench monitors` on the two-monitor screen:
// the renderer's scene drawn and swapped as fast as it goes, once in a window over the
// primary monitor alone (one tunnel) and once in the renderer's way over every monitor (one
// window, a viewport per monitor, one swap a frame), with the renderer's pixel format and
// swap interval. Prints one CSV row a case: case,monitors,pixels,frames,seconds,fps.
//
//   monitors_bench [SECONDS [ROUNDS]]   each case draws for SECONDS (5), ROUNDS times (5)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/win32_handles.h"
#include "renderer/bitmap_reader.h"
#include "renderer/monitor_layout.h"
#include "renderer/tunnel_scene.h"
#include "renderer/win32_render_window.h"

namespace {

using Clock = std::chrono::steady_clock;

// A picture of a monitor's size in stripes, as the texture build gets it.
std::vector<std::uint8_t> Stripes(std::int32_t width, std::int32_t height) {
  const auto stride = static_cast<std::size_t>(mirokan::PaddedRowLength(width));
  std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i / 97 * 37);
  return rows;
}

using SwapIntervalProc = BOOL(WINAPI*)(int);

// Frames a second of the tunnels in one window over `tunnels`.
double MeasureFrames(const std::vector<mirokan::Tunnel>& tunnels, double seconds, long& frames) {
  const mirokan::ScreenRect box = mirokan::BoundingRect(tunnels);
  const HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"frames", WS_POPUP | WS_VISIBLE,
                                      box.left, box.top, box.Width(), box.Height(), nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
  std::optional<mirokan::win32::WindowDc> window_dc(window);
  const HDC dc = window_dc->Get();
  const PIXELFORMATDESCRIPTOR format = mirokan::win32::TunnelPixelFormat();
  SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format);
  const HGLRC context = wglCreateContext(dc);
  wglMakeCurrent(dc, context);
  if (const PROC proc = wglGetProcAddress("wglSwapIntervalEXT")) {
    reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void (*)()>(proc))(1);
  }
  mirokan::TunnelScene scene;
  scene.SetupScene([](GLuint&) { return true; });
  std::vector<mirokan::GlTexture> textures;
  std::vector<mirokan::TunnelView> views;
  for (const mirokan::Tunnel& tunnel : tunnels) {
    GLuint name = 0;
    const std::vector<std::uint8_t> rows = Stripes(tunnel.screen.Width(), tunnel.screen.Height());
    mirokan::BuildTunnelTexture(tunnel.screen.Width(), tunnel.screen.Height(), rows.data(), name);
    textures.emplace_back(name);
    views.push_back({tunnel.screen.left - box.left, box.bottom - tunnel.screen.bottom,
                     tunnel.screen.Width(), tunnel.screen.Height(), name});
  }
  frames = 0;
  const Clock::time_point start = Clock::now();
  double elapsed = 0;
  while (elapsed < seconds) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    scene.DrawTunnelFrame(views, 0.5 * frames);
    SwapBuffers(dc);
    ++frames;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  }
  glFinish();
  textures.clear();
  scene.ReleaseTexture();
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
  window_dc.reset();
  DestroyWindow(window);
  return frames / elapsed;
}

void Report(const char* name, const std::vector<mirokan::Tunnel>& tunnels, double seconds) {
  long pixels = 0;
  for (const mirokan::Tunnel& tunnel : tunnels) {
    pixels += static_cast<long>(tunnel.screen.Width()) * tunnel.screen.Height();
  }
  long frames = 0;
  const double fps = MeasureFrames(tunnels, seconds, frames);
  std::printf("%s,%zu,%ld,%ld,%.1f,%.1f\n", name, tunnels.size(), pixels, frames, seconds, fps);
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc >= 2 ? std::max(1.0, _wtof(argv[1])) : 5.0;
  const int rounds = argc >= 3 ? std::max(1, _wtoi(argv[2])) : 5;
  SetProcessDPIAware();
  const std::vector<mirokan::Tunnel> all =
      mirokan::PlaceTunnels(mirokan::win32::ReadMonitorLayout(), {}, 0, 0);
  if (all.empty()) return 1;
  std::printf("case,monitors,pixels,frames,seconds,fps\n");
  // Alternated, so both meet the same moments of a busy machine.
  for (int round = 0; round < rounds; ++round) {
    Report("primary alone", {all.front()}, seconds);
    Report("every monitor", all, seconds);
  }
  return 0;
}
