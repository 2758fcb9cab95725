// The snapshot path on Windows: the user's temporary folder, as GetTempPathW reports it.
#include <windows.h>

#include "common/snapshot_path.h"

namespace mirokan {

std::wstring SnapshotPath() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return SnapshotPathIn(L".");
  return SnapshotPathIn(std::wstring(buffer, length));
}

}  // namespace mirokan
