// The snapshot path on Windows: the user's temporary folder, as GetTempPathW reports it.
#include <windows.h>

#include "common/snapshot_path.h"
#include "common/win32_file.h"

namespace mirokan {

std::wstring SnapshotPath() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) {
    // A relative fallback would name two places, the programs having different working
    // folders; their shared folder is absolute and the same for both.
    return SnapshotPathIn(win32::ProgramFolder());
  }
  return SnapshotPathIn(std::wstring(buffer, length));
}

}  // namespace mirokan
