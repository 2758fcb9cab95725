#include "common/win32_memory.h"

#include <windows.h>

#include <algorithm>

namespace mirokan::win32 {

void BringInPages(void* data, std::size_t size) {
  // Locking a range brings all its pages in at once; unlocked again at once, they stay. A
  // screen-sized picture came in ten times as fast as page by page under Wine, where every
  // fault is a trip through the host. Small pieces stay within the locked-memory limits of a
  // process (a Linux lock limit, a Windows working set).
  constexpr std::size_t kPiece = 64 * 1024;
  auto* const bytes = static_cast<char*>(data);
  for (std::size_t done = 0; done < size; done += kPiece) {
    const std::size_t piece = std::min(kPiece, size - done);
    if (!VirtualLock(bytes + done, piece)) return;
    VirtualUnlock(bytes + done, piece);
  }
}

}  // namespace mirokan::win32
