// Entry point of MirokanWatch.exe.
#include <windows.h>

#include "watcher/win32_watcher.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return mirokan::win32::WatcherMain(GetCommandLineW());
}
