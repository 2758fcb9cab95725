#include "saver/host/wallpaper_layout.h"

#include <cstdint>

namespace mirokan {
namespace {

ScreenRect Placed(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(left + width), static_cast<std::int32_t>(top + height)};
}

// `width` x `height` scaled to meet `area` on one axis and centred in it: the other axis
// falls inside it (fit) or over it (fill). Integer arithmetic, rounded to the nearest pixel.
enum class Scaling { kFit, kCover };

ScreenRect ScaledInto(int width, int height, const ScreenRect& area, Scaling scaling) {
  const std::int64_t across = static_cast<std::int64_t>(width) * area.Height();
  const std::int64_t down = static_cast<std::int64_t>(height) * area.Width();
  // The picture is wider than the area, in proportion, when across > down.
  const bool width_meets = (across > down) != (scaling == Scaling::kCover);
  std::int64_t w = area.Width(), h = area.Height();
  if (width_meets) {
    h = (static_cast<std::int64_t>(height) * area.Width() * 2 + width) / (2 * width);
  } else {
    w = (static_cast<std::int64_t>(width) * area.Height() * 2 + height) / (2 * height);
  }
  return Placed(area.left + (area.Width() - w) / 2, area.top + (area.Height() - h) / 2, w, h);
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
      return {Placed(monitor.left, monitor.top, width, height), true};
    case WallpaperStyle::kStretch:
      return {monitor, false};
    case WallpaperStyle::kFit:
      return {ScaledInto(width, height, monitor, Scaling::kFit), false};
    case WallpaperStyle::kFill:
      return {ScaledInto(width, height, monitor, Scaling::kCover), false};
    case WallpaperStyle::kSpan:
      return {ScaledInto(width, height, desktop, Scaling::kCover), false};
    case WallpaperStyle::kCentre:
      break;
  }
  return {Placed(monitor.left + (monitor.Width() - width) / 2,
                 monitor.top + (monitor.Height() - height) / 2, width, height),
          false};
}

}  // namespace mirokan
