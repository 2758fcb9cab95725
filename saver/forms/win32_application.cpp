// The program's services on plain Win32. The message loop lives as long as a form is loaded.
#include "saver/forms/win32_application.h"

#include <algorithm>

#include "common/win32_gdi.h"
#include "common/win32_handler_scope.h"
#include "saver/forms/win32_forms.h"

namespace mirokan::win32 {
std::wstring CommandLineText() {
  const wchar_t* text = GetCommandLineW();
  if (!text) return {};
  // Skip the program's own name, quoted or not, then the blanks after it.
  if (*text == L'"') {
    ++text;
    while (*text && *text != L'"') ++text;
    if (*text == L'"') ++text;
  } else {
    while (*text && *text != L' ' && *text != L'\t') ++text;
  }
  while (*text == L' ' || *text == L'\t') ++text;
  std::wstring arguments(text);
  while (!arguments.empty() && (arguments.back() == L' ' || arguments.back() == L'\t')) {
    arguments.pop_back();
  }
  return arguments;
}

int TwipsPerPixelX() {
  return std::max(1, 1440 / ScreenDpi(ScreenAxis::kHorizontal));
}
int TwipsPerPixelY() {
  return std::max(1, 1440 / ScreenDpi(ScreenAxis::kVertical));
}

void ShowMessage(const std::wstring& text, const std::wstring& caption) {
  RunHandler([&] { MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK); });
}

void EndAtOnce(UINT exit_code) {
  ExitProcess(exit_code);
}

int RunMessageLoop() {
  MSG message;
  while (Form::LoadedForms() > 0) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

void RunHandler(const std::function<void()>& handler) {
  HandlerScope scope;
  handler();
}

// The screen-wide pointer is state that the windows' WM_SETCURSOR handling consults; a
// change shows at once, not only at the next mouse move.
namespace {
MousePointer g_pointer = MousePointer::kDefault;
}  // namespace

MousePointer ScreenMousePointer() {
  return g_pointer;
}

bool ApplyScreenMousePointer() {
  if (g_pointer != MousePointer::kHourglass) return false;
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
