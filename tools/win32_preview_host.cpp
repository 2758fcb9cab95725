// A stand-in for the Display control panel: a small window holding a 152 x 112 "monitor"
// child, whose handle goes to the preview as the system hands it over. Closes after the
// given seconds, and the preview goes with it.
//   preview_host [SECONDS] [--here]
// Without --here it starts Mirokan.scr /p HANDLE beside it. With --here it shows the preview
// form in its own process: Wine gives a child window of another process no drawing surface,
// so there only this way shows what the preview draws.
#include <windows.h>

#include <algorithm>
#include <string>

#include "saver/host/win32_preview_form.h"

namespace {

constexpr int kMonitorWidth = 152;
constexpr int kMonitorHeight = 112;
constexpr int kMargin = 12;

void StartSaverPreview(HWND monitor, PROCESS_INFORMATION& info) {
  wchar_t folder[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, folder, MAX_PATH);
  std::wstring saver(folder);
  saver = saver.substr(0, saver.find_last_of(L'\\')) + L"\\Mirokan.scr";
  std::wstring command =
      L"\"" + saver + L"\" /p " +
      std::to_wstring(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(monitor)));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (CreateProcessW(saver.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  const std::wstring text = arguments ? arguments : L"";
  const int seconds = text.empty() ? 10 : std::max(1, _wtoi(text.c_str()));
  const bool here = text.find(L"--here") != std::wstring::npos;

  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = L"MirokanPreviewHost";
  RegisterClassW(&window_class);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  window_class.lpszClassName = L"MirokanPreviewMonitor";
  RegisterClassW(&window_class);

  RECT frame{0, 0, kMonitorWidth + 2 * kMargin, kMonitorHeight + 2 * kMargin};
  AdjustWindowRect(&frame, WS_OVERLAPPED | WS_CAPTION, FALSE);
  HWND host = CreateWindowW(L"MirokanPreviewHost", L"Preview host", WS_OVERLAPPED | WS_CAPTION, 200,
                            200, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                            nullptr, instance, nullptr);
  HWND monitor =
      CreateWindowW(L"MirokanPreviewMonitor", L"", WS_CHILD | WS_VISIBLE, kMargin, kMargin,
                    kMonitorWidth, kMonitorHeight, host, nullptr, instance, nullptr);
  ShowWindow(host, SW_SHOW);
  UpdateWindow(host);

  PROCESS_INFORMATION info{};
  if (here) {
    mirokan::win32::PreviewForm::Instance().ShowIn(monitor);
  } else {
    StartSaverPreview(monitor, info);
  }

  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
  MSG message;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != WM_QUIT) DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  DestroyWindow(host);  // the preview goes with it, and its program ends
  if (info.hProcess) {
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
  }
  return 0;
}
