// A stand-in for the Display control panel's preview monitor: a small window whose handle
// is handed to Mirokan.scr with /p, as the system does. Closes after the given seconds.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  const int seconds = arguments && *arguments ? _wtoi(arguments) : 10;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  window_class.lpszClassName = L"MirokanPreviewHost";
  RegisterClassW(&window_class);
  RECT frame{0, 0, 152, 112};
  AdjustWindowRect(&frame, WS_OVERLAPPED | WS_CAPTION, FALSE);
  HWND host = CreateWindowW(L"MirokanPreviewHost", L"Preview host", WS_OVERLAPPED | WS_CAPTION, 200,
                            200, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                            nullptr, instance, nullptr);
  ShowWindow(host, SW_SHOW);

  wchar_t folder[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, folder, MAX_PATH);
  std::wstring saver(folder);
  saver = saver.substr(0, saver.find_last_of(L'\\')) + L"\\Mirokan.scr";
  std::wstring command = L"\"" + saver + L"\" /p " +
                         std::to_wstring(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(host)));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (CreateProcessW(saver.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
  }

  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
  MSG message;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  DestroyWindow(host);  // the preview goes with it, and its program ends
  if (info.hProcess) {
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
  }
  return 0;
}
