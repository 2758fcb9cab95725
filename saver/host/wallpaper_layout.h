// How the user's wallpaper lies on each monitor, as the system lays it out for each of its
// styles: where the picture goes, at what size, and whether it repeats.
#pragma once

#include <string_view>

#include "common/desktop_picture.h"

namespace mirokan {

enum class WallpaperStyle { kCentre, kTile, kStretch, kFit, kFill, kSpan };

// From the user's "WallpaperStyle" and "TileWallpaper" texts. A value the system does not
// know is taken as it takes it, centred.
WallpaperStyle WallpaperStyleFrom(std::wstring_view style, std::wstring_view tile);

struct WallpaperPlacement {
  // The whole picture, scaled, where it lies on the desktop; the monitor shows the part of it
  // that falls on the monitor, and shows the desktop colour where it falls on nothing.
  ScreenRect picture;
  // Repeated right and down from `picture`'s corner (which is then the monitor's).
  bool tiled = false;
};

// A picture of `width` x `height` on `monitor`, all monitors together spanning `desktop`.
WallpaperPlacement PlaceWallpaper(WallpaperStyle style, int width, int height,
                                  const ScreenRect& monitor, const ScreenRect& desktop);

}  // namespace mirokan
