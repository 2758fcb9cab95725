// The user's wallpaper, laid out on every monitor as the system lays it out, for a session
// that cannot see the user's desktop.
#pragma once

#include "common/desktop_picture.h"
#include "saver/forms/win32_forms.h"

namespace mirokan::win32 {

// Fills `image`, which covers `screen`, with the desktop colour and the wallpaper over it:
// each monitor's own where the system keeps one per monitor, the user's style for all.
void PaintWallpaper(BackingImage& image, const ScreenRect& screen);

}  // namespace mirokan::win32
