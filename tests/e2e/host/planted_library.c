/* Stands in for a library planted beside the saver under the name of one that a system
   library imports. Loaded, it leaves a mark beside itself. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t mark[MAX_PATH + 16];
    const DWORD length = GetModuleFileNameW(self, mark, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcpyW(mark + length, L".loaded");
      CloseHandle(CreateFileW(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
  }
  return TRUE;
}
