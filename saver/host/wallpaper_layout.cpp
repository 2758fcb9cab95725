#include "saver/host/wallpaper_layout.h"

#include <cstdint>

namespace mirokan {
namespace {

// `width` x `height` scaled to meet `area` on one axis and centred in it: the other axis
// falls inside it (fit) or over it (fill). Integer arithmetic, rounded to the nearest pixel.
ScreenRect ScaledInto(int width, int height, const ScreenRect& area, bool cover) {
  const std::int64_t across = static_cast<std::int64_t>(width) * area.height;
  const std::int64_t down = static_cast<std::int64_t>(height) * area.width;
  // The picture is wider than the area, in proportion, when across > down.
  const bool width_meets = (across > down) != cover;
  std::int64_t w = area.width, h = area.height;
  if (width_meets) {
    h = (static_cast<std::int64_t>(height) * area.width * 2 + width) / (2 * width);
  } else {
    w = (static_cast<std::int64_t>(width) * area.height * 2 + height) / (2 * height);
  }
  return {static_cast<std::int32_t>(area.left + (area.width - w) / 2),
          static_cast<std::int32_t>(area.top + (area.height - h) / 2), static_cast<std::int32_t>(w),
          static_cast<std::int32_t>(h)};
}

}  // namespace

WallpaperStyle WallpaperStyleFrom(std::wstring_view style, std::wstring_view tile) {
  if (style == L"2") return WallpaperStyle::kStretch;
  if (style == L"6") return WallpaperStyle::kFit;
  if (style == L"10") return WallpaperStyle::kFill;
  if (style == L"22") return WallpaperStyle::kSpan;
  return tile == L"1" ? WallpaperStyle::kTile : WallpaperStyle::kCentre;
}

WallpaperPlacement PlaceWallpaper(WallpaperStyle style, int width, int height,
                                  const ScreenRect& monitor, const ScreenRect& desktop) {
  switch (style) {
    case WallpaperStyle::kTile:
      return {{monitor.left, monitor.top, width, height}, true};
    case WallpaperStyle::kStretch:
      return {monitor, false};
    case WallpaperStyle::kFit:
      return {ScaledInto(width, height, monitor, false), false};
    case WallpaperStyle::kFill:
      return {ScaledInto(width, height, monitor, true), false};
    case WallpaperStyle::kSpan:
      return {ScaledInto(width, height, desktop, true), false};
    case WallpaperStyle::kCentre:
      break;
  }
  return {{monitor.left + (monitor.width - width) / 2, monitor.top + (monitor.height - height) / 2,
           width, height},
          false};
}

}  // namespace mirokan
