#include "e2e_checks.h"

namespace mirokan::e2e {

testing::AssertionResult MessageBoxShown(DWORD pid, const std::wstring& caption,
                                         const std::wstring& text,
                                         std::chrono::milliseconds deadline) {
  const MessageBoxInfo box = WaitForMessageBox(pid, deadline);
  if (!box.window) return testing::AssertionFailure() << "no message " << win32::WideToUtf8(text);
  PostMessageW(box.window, WM_COMMAND, IDOK, 0);
  if (!WaitUntil([&] { return !IsWindow(box.window); })) {
    return testing::AssertionFailure() << "the message box stays";
  }
  if (box.caption != caption || box.text != text) {
    return testing::AssertionFailure()
           << "message \"" << win32::WideToUtf8(box.caption) << "\": \""
           << win32::WideToUtf8(box.text) << "\", expected \"" << win32::WideToUtf8(caption)
           << "\": \"" << win32::WideToUtf8(text) << '"';
  }
  return testing::AssertionSuccess();
}

RECT PlaceOf(const DesignRect& control) {
  const DesignRect r = ScaleRect(control, 1440 / ScreenDpi());
  return {r.left, r.top, r.left + r.width, r.top + r.height};
}

void ClickControl(HWND window, const DesignRect& control, bool right) {
  const RECT r = PlaceOf(control);
  ClickAt(window, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}, right);
}

}  // namespace mirokan::e2e
