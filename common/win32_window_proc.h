// The one way a window of ours holds its object. The object comes in through the last
// argument of CreateWindowExW, is attached at WM_NCCREATE and let go at WM_NCDESTROY (the
// window's last message), and every message in between goes to its HandleMessage. No
// exception gets out into the system's message dispatch, which cannot unwind one.
#pragma once

#include <windows.h>

#include "common/win32_trace.h"

namespace mirokan::win32 {

// Owner has `void Attach(HWND)` (called at WM_NCCREATE, before it sees that message) and
// `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`. WM_NCDESTROY still reaches HandleMessage,
// after the window has let go of the object.
template <typename Owner>
LRESULT CALLBACK WindowProcOf(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  Owner* owner = nullptr;
  if (message == WM_NCCREATE) {
    owner = static_cast<Owner*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    if (owner) {
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
      owner->Attach(window);
    }
  } else {
    owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (!owner) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  try {
    return owner->HandleMessage(message, wparam, lparam);
  } catch (...) {
    // Out of memory in a handler, say: the message is left to the system instead.
    TraceStop(L"a window's message handler");
    return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace mirokan::win32
