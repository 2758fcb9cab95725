#include "common/win32_handles.h"

namespace mirokan::win32 {

std::atomic<long>& detail::GdiCounter() {
  static std::atomic<long> counter{0};
  return counter;
}

long LiveGdiObjects() {
  return detail::GdiCounter().load();
}

}  // namespace mirokan::win32
