// The renderer's screen-covering window, its OpenGL context and the draw-when-idle loop.
#pragma once

#include <windows.h>

#include <vector>

#include "renderer/monitor_layout.h"

namespace mirokan::win32 {

// The program's body: returns after a normal end or a failed set-up (exit code 0).
// `load_gl` readies the system's OpenGL (false when it cannot), before any pixel-format call
// and any GL call; it runs on the thread that loads the driver while the window is made.
void RunRenderer(bool (*load_gl)());

class SnapshotRead;

// The window, its context, its scene and the loop's input, for one run. RunRenderer owns it;
// the window reaches it through its creation parameter (common/win32_window_proc.h).
struct Renderer;

// The monitors as the system reports them now (their whole rectangles, device names, the
// primary flagged); without any, the screen at the origin.
std::vector<Monitor> ReadMonitorLayout();

// Double-buffered RGBA with a 16-bit depth buffer, drawn to a window.
PIXELFORMATDESCRIPTOR TunnelPixelFormat();

// Window, pixel format, current context and scene, whose texture comes from `snapshot`; false
// (with everything released) on failure.
bool OpenRenderWindow(Renderer& renderer, SnapshotRead& snapshot);

// Releases what OpenRenderWindow made; safe on a half-made window, and again.
void CloseRenderWindow(Renderer& renderer);

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace mirokan::win32
