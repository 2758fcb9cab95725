// Starts a program on a desktop of the given name, made if need be, as the system starts a
// saver after the idle timeout on a desktop of its own, and waits for it to end.
//
//   start_on_desktop NAME PROGRAM [ARGUMENTS]
//
// Wine's virtual desktop (explorer /desktop=NAME,WxH) shows the system's flat screen, but
// maps its window under the pointer, which Wine takes for input: the picture the watcher
// took just before would be stale, as it never is when Windows switches desktops.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/win32_process.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: start_on_desktop NAME PROGRAM [ARGUMENTS]\n");
    return 2;
  }
  const HDESK desktop = CreateDesktopW(argv[1], nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  if (!desktop) {
    std::fprintf(stderr, "start_on_desktop: no desktop (error %lu)\n", GetLastError());
    return 1;
  }
  std::wstring arguments;
  for (int i = 3; i < argc; ++i) arguments += (i > 3 ? L" " : L"") + std::wstring(argv[i]);
  const std::wstring name = std::wstring(L"WinSta0\\") + argv[1];
  mirokan::tools::Process program =
      mirokan::tools::Process::Start(argv[2], arguments, L"", name.c_str());
  DWORD code = 1;
  if (!program.Started() || !program.WaitExit(std::chrono::hours(24), &code)) code = 1;
  CloseDesktop(desktop);
  return static_cast<int>(code);
}
