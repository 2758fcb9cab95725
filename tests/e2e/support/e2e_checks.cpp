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

}  // namespace mirokan::e2e
