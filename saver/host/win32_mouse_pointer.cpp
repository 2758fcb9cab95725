// The screen-wide pointer is program state that the windows' WM_SETCURSOR handling consults;
// a change shows at once, not only at the next mouse move.
#include "saver/host/win32_mouse_pointer.h"

#include <windows.h>

namespace mirokan::win32 {
namespace {

MousePointer g_pointer = MousePointer::Default;

}  // namespace

MousePointer ScreenMousePointer() {
  return g_pointer;
}

bool ApplyScreenMousePointer() {
  if (g_pointer != MousePointer::Hourglass) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

void SetScreenMousePointer(MousePointer pointer) {
  g_pointer = pointer;
  if (ApplyScreenMousePointer()) return;
  // Back to the default: let the window under the pointer choose its own again, if it is ours.
  POINT at{};
  if (!GetCursorPos(&at)) return;
  HWND window = WindowFromPoint(at);
  if (!window || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
  const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
               MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

}  // namespace mirokan::win32
