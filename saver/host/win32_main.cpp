// Entry point of Mirokan.scr: Main decides and loads one form; the program then runs its
// message loop for as long as a form stays loaded.
#include <windows.h>

#include "saver/state/saver_state.h"
#include "saver/forms/win32_application.h"
#include "saver/host/win32_startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Static so that it outlives the forms Main leaves loaded, which are static too.
  static mirokan::SaverState state;
  mirokan::win32::Main(state);
  return mirokan::win32::RunMessageLoop();
}
