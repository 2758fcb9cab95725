// Fonts, DIB sections and the screen's dots per inch on plain GDI.
#include "common/win32_gdi.h"

#include <cmath>

#include "common/win32_trace.h"

namespace mirokan::win32 {

int ScreenDpi(ScreenAxis axis) {
  const WindowDc screen(nullptr);
  const int dpi =
      screen ? GetDeviceCaps(screen.Get(), axis == ScreenAxis::kVertical ? LOGPIXELSY : LOGPIXELSX)
             : 0;
  return dpi > 0 ? dpi : 96;
}

UniqueFont MakeFont(const FontSpec& spec, int dpi) {
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(std::lround(spec.points * dpi / 72.0));
  font.lfWeight = spec.weight;
  font.lfItalic = spec.italic;
  font.lfUnderline = spec.underline;
  font.lfStrikeOut = spec.strikeout;
  font.lfCharSet = spec.charset;
  font.lfQuality = spec.quality;
  lstrcpynW(font.lfFaceName, spec.name.c_str(), LF_FACESIZE);
  return UniqueFont(Traced(CreateFontIndirectW(&font), L"CreateFontIndirectW"));
}

UniqueBitmap MakeDibSection(int width, int height, WORD bit_count, RowOrder order, void** bits,
                            HANDLE section, DWORD offset) {
  *bits = nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  // A negative height asks for the rows top to bottom.
  info.bmiHeader.biHeight = order == RowOrder::kTopDown ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bit_count;
  info.bmiHeader.biCompression = BI_RGB;
  UniqueBitmap bitmap(
      Traced(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, section, offset),
             L"CreateDIBSection"));
  if (!bitmap) *bits = nullptr;
  return bitmap;
}

UniqueBitmap BitmapOf(const RgbImage& image) {
  void* bits = nullptr;
  UniqueBitmap bitmap =
      MakeDibSection(image.Width(), image.Height(), 32, RowOrder::kTopDown, &bits);
  if (!bitmap) return bitmap;
  auto* pixel = static_cast<std::uint8_t*>(bits);
  for (const Rgb& colour : image.Pixels()) {
    *pixel++ = colour.b;
    *pixel++ = colour.g;
    *pixel++ = colour.r;
    *pixel++ = 0;
  }
  return bitmap;
}

}  // namespace mirokan::win32
