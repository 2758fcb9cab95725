// Entry point of Mirokan.scr: Main decides and loads one form; the program then runs its
// message loop for as long as a form stays loaded.
#include <windows.h>

#include "saver/host/win32_forms.h"
#include "saver/host/win32_startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  mirokan::win32::Main();
  return mirokan::win32::RunMessageLoop();
}
