#include "renderer/monitor_layout.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "renderer/bitmap_reader.h"

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

// The usable monitors, primary first, the others in their order.
std::vector<const Monitor*> Ordered(std::span<const Monitor> monitors) {
  std::vector<const Monitor*> usable;
  for (const Monitor& monitor : monitors) {
    if (Usable(monitor.rect)) usable.push_back(&monitor);
  }
  auto primary = std::ranges::find_if(usable, [](const Monitor* m) { return m->primary; });
  if (primary == usable.end()) {
    primary = std::ranges::find_if(usable, [](const Monitor* m) { return HoldsOrigin(m->rect); });
  }
  if (primary != usable.end()) std::rotate(usable.begin(), primary, primary + 1);
  return usable;
}

// Null when the picture is not of these monitors.
std::optional<ScreenRect> PicturedBox(std::span<const Monitor* const> pictured, std::int32_t width,
                                      std::int32_t height) {
  if (pictured.empty()) return std::nullopt;
  std::int64_t left = pictured[0]->rect.left, top = pictured[0]->rect.top;
  std::int64_t right = pictured[0]->rect.right, bottom = pictured[0]->rect.bottom;
  for (const Monitor* monitor : pictured) {
    left = std::min<std::int64_t>(left, monitor->rect.left);
    top = std::min<std::int64_t>(top, monitor->rect.top);
    right = std::max<std::int64_t>(right, monitor->rect.right);
    bottom = std::max<std::int64_t>(bottom, monitor->rect.bottom);
  }
  if (right - left != width || bottom - top != height) return std::nullopt;
  return ScreenRect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                    static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
}

ScreenRect Offset(const ScreenRect& rect, const ScreenRect& box) {
  return {rect.left - box.left, rect.top - box.top, rect.right - box.left, rect.bottom - box.top};
}

}  // namespace

std::vector<ScreenRect> PictureParts(std::span<const Monitor> pictured, std::int32_t width,
                                     std::int32_t height) {
  const std::vector<const Monitor*> monitors = Ordered(pictured);
  const std::optional<ScreenRect> box = PicturedBox(monitors, width, height);
  if (!box) return {ScreenRect{0, 0, width, height}};
  std::vector<ScreenRect> parts;
  for (const Monitor* monitor : monitors) {
    const ScreenRect part = Offset(monitor->rect, *box);
    if (std::ranges::find(parts, part) == parts.end()) parts.push_back(part);
  }
  return parts;
}

std::vector<Tunnel> PlaceTunnels(std::span<const Monitor> monitors,
                                 std::span<const Monitor> pictured, std::int32_t width,
                                 std::int32_t height) {
  const std::vector<const Monitor*> now = Ordered(monitors);
  const std::vector<const Monitor*> then = Ordered(pictured);
  const std::optional<ScreenRect> box = PicturedBox(then, width, height);
  std::vector<Tunnel> tunnels;
  bool whole_given = false;
  for (std::size_t i = 0; i < now.size(); ++i) {
    const ScreenRect& rect = now[i]->rect;
    bool shown_by_another = false;
    for (std::size_t k = 0; k < now.size(); ++k) {
      shown_by_another |=
          k != i && Inside(rect, now[k]->rect) && (k < i || !Inside(now[k]->rect, rect));
    }
    if (shown_by_another) continue;
    Tunnel tunnel{rect, std::nullopt};
    if (!box) {
      // The whole picture goes to the tunnel over the primary, as on a single monitor.
      if (!whole_given && Inside(now.front()->rect, rect)) {
        tunnel.picture = ScreenRect{0, 0, width, height};
        whole_given = true;
      }
    } else {
      const auto same =
          std::ranges::find_if(then, [&](const Monitor* m) { return m->device == now[i]->device; });
      if (same != then.end()) tunnel.picture = Offset((*same)->rect, *box);
    }
    tunnels.push_back(tunnel);
  }
  return tunnels;
}

ScreenRect BoundingRect(std::span<const Tunnel> tunnels) {
  if (tunnels.empty()) return {};
  ScreenRect box = tunnels.front().screen;
  for (const Tunnel& tunnel : tunnels) {
    box.left = std::min(box.left, tunnel.screen.left);
    box.top = std::min(box.top, tunnel.screen.top);
    box.right = std::max(box.right, tunnel.screen.right);
    box.bottom = std::max(box.bottom, tunnel.screen.bottom);
  }
  return box;
}

std::size_t PartOffset(std::int32_t width, std::int32_t height, const ScreenRect& part) {
  assert(part.left >= 0 && part.top >= 0 && part.right <= width && part.bottom <= height &&
         Usable(part) && "the part lies inside the picture");
  // Bottom row first: the part's lowest row is the picture's row `height - part.bottom`.
  return static_cast<std::size_t>(height - part.bottom) *
             static_cast<std::size_t>(PaddedRowLength(width)) +
         static_cast<std::size_t>(part.left) * 3;
}

}  // namespace mirokan

namespace mirokan {

ScreenRect HeldPart(const ScreenRect& part, std::int32_t scale, std::int32_t width,
                    std::int32_t height) {
  const auto up = [scale](std::int32_t length) { return (length + scale - 1) / scale; };
  return {part.left / scale, part.top / scale, std::min(width, up(part.right)),
          std::min(height, up(part.bottom))};
}

}  // namespace mirokan
