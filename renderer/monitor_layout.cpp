#include "renderer/monitor_layout.h"

#include <algorithm>
#include <limits>

namespace mirokan {
namespace {

// A window cannot be wider or taller than an int holds, whatever a driver reports.
bool Usable(const ScreenRect& rect) {
  constexpr std::int64_t kMaxExtent = std::numeric_limits<std::int32_t>::max();
  const std::int64_t width = std::int64_t{rect.right} - rect.left;
  const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
  return width > 0 && height > 0 && width <= kMaxExtent && height <= kMaxExtent;
}

bool Inside(const ScreenRect& inner, const ScreenRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool HoldsOrigin(const ScreenRect& rect) {
  return rect.left <= 0 && rect.top <= 0 && rect.right > 0 && rect.bottom > 0;
}

}  // namespace

std::vector<ScreenRect> CoverRects(std::span<const Monitor> monitors) {
  auto primary = std::ranges::find_if(monitors, &Monitor::primary);
  if (primary == monitors.end()) {
    primary = std::ranges::find_if(monitors, [](const Monitor& m) { return HoldsOrigin(m.rect); });
  }
  std::vector<ScreenRect> covers;
  if (primary == monitors.end()) return covers;
  // The primary lies inside itself, so the loop passes it over too.
  for (const Monitor& monitor : monitors) {
    const ScreenRect& rect = monitor.rect;
    if (!Usable(rect) || Inside(rect, primary->rect)) continue;
    if (std::ranges::any_of(covers, [&](const ScreenRect& c) { return Inside(rect, c); })) continue;
    covers.push_back(rect);
  }
  return covers;
}

}  // namespace mirokan
