// The one way each GDI object of ours is made: the screen's dots per inch (the one source of
// every font size and twips figure), fonts, DIB sections, and a DIB section from an RgbImage.
#pragma once

#include <windows.h>

#include <string>

#include "common/rgb_image.h"
#include "common/win32_handles.h"

namespace mirokan::win32 {

enum class ScreenAxis { kHorizontal, kVertical };
// The screen's logical dots per inch along `axis` (96 at 100 %; 96 when it cannot be read).
int ScreenDpi(ScreenAxis axis = ScreenAxis::kVertical);

struct FontSpec {
  std::wstring name;
  double points = 8.25;
  LONG weight = FW_NORMAL;
  BYTE italic = FALSE;
  BYTE underline = FALSE;
  BYTE strikeout = FALSE;
  BYTE charset = DEFAULT_CHARSET;
  BYTE quality = DEFAULT_QUALITY;
};
// `spec` at `dpi` dots per inch: its height is points × dpi / 72 pixels, rounded.
UniqueFont MakeFont(const FontSpec& spec, int dpi = ScreenDpi());

enum class RowOrder { kTopDown, kBottomUp };
// A DIB section of `bit_count` bits a pixel; `*bits` points at its rows. With `section`, the
// rows live in that file mapping from `offset` on. Null, with `*bits` null, when it fails.
UniqueBitmap MakeDibSection(int width, int height, WORD bit_count, RowOrder order, void** bits,
                            HANDLE section = nullptr, DWORD offset = 0);
// A 32-bit top-down DIB section holding `image`.
UniqueBitmap BitmapOf(const RgbImage& image);

}  // namespace mirokan::win32
