#include "common/snapshot_path.h"

namespace mirokan {

std::wstring SnapshotPathIn(const std::wstring& folder) {
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  return path + kSnapshotFileName;
}

}  // namespace mirokan
