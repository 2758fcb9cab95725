// Entry point of Mirokan.data, the tunnel renderer that the screen saver starts. The command
// line names the snapshot to read; a failed snapshot read ends the process with code 1 inside
// the set-up.
#include <windows.h>

#include "renderer/win32_render_window.h"
#include "renderer/win32_system_gl.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Without the system's OpenGL nothing can be drawn: a failed window set-up, silent.
  mirokan::win32::RunRenderer(mirokan::win32::LoadSystemGl);
  return 0;
}
