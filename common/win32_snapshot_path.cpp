// The snapshot's places on Windows and the clean-up that keeps a picture of the user's
// desktop from outliving its session.
#include <windows.h>

#include "common/snapshot_path.h"
#include "common/win32_file.h"

namespace mirokan {

std::vector<std::wstring> SnapshotPlaces() {
  std::vector<std::wstring> places;
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length != 0 && length <= MAX_PATH) places.push_back(SnapshotPathIn({buffer, length}));
  // Never a relative path: the two programs have different working folders.
  places.push_back(SnapshotPathIn(win32::ProgramFolder()));
  return places;
}

std::wstring SnapshotPath() {
  return SnapshotPlaces().front();
}

void RemoveSnapshots() {
  for (const std::wstring& place : SnapshotPlaces()) {
    std::vector<std::wstring> files{place};
    for (const wchar_t* suffix : kSnapshotCompanionSuffixes) files.push_back(place + suffix);
    for (const std::wstring& file : files) {
      // A read-only file refuses deletion; a missing one is no error.
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(file.c_str());
    }
  }
}

}  // namespace mirokan
