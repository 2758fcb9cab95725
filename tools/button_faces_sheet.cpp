// Writes the push button's six faces side by side, at the settings dialog's button size, as
// a 24-bit bitmap file: button_faces_sheet OUTPUT.bmp
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "saver/controls/button_faces.h"
#include "common/bitmap_writer.h"

namespace {

using mirokan::ButtonFace;
using mirokan::Gradient;
using mirokan::RgbImage;

constexpr int kButtonWidth = 73;
constexpr int kButtonHeight = 25;
constexpr int kGap = 8;

// The sheet as top-down rows of blue, green, red, the layout the bitmap writer takes.
std::vector<std::uint8_t> BgrRows(const RgbImage& image) {
  std::vector<std::uint8_t> rows;
  rows.reserve(image.Pixels().size() * 3);
  for (const mirokan::Rgb& c : image.Pixels()) rows.insert(rows.end(), {c.b, c.g, c.r});
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argc > 0 ? argv[0] : "button_faces_sheet");
    return 2;
  }
  // Each face with the gradient its state draws it with: upside down under the pointer.
  struct Entry {
    ButtonFace face;
    Gradient gradient;
  };
  const Entry entries[] = {
      {ButtonFace::Normal, Gradient::kPlain},
      {ButtonFace::HighLight, Gradient::kInverted},
      {ButtonFace::HighLightSelect, Gradient::kInverted},
      {ButtonFace::Selected, Gradient::kPlain},
      {ButtonFace::Pressed, Gradient::kInverted},
      {ButtonFace::Disable, Gradient::kPlain},
  };
  const int count = int(std::size(entries));
  // The dialog's own grey, which the pictures' rims were made to sit on.
  const mirokan::Rgb background = mirokan::RgbOf(0xECE9D8);
  RgbImage sheet(kGap + count * (kButtonWidth + kGap), kButtonHeight + 2 * kGap, background);
  for (int i = 0; i < count; ++i) {
    const RgbImage face =
        mirokan::ComposeFace(entries[i].face, entries[i].gradient, kButtonWidth, kButtonHeight);
    const int left = kGap + i * (kButtonWidth + kGap);
    for (int y = 0; y < face.Height(); ++y) {
      for (int x = 0; x < face.Width(); ++x) sheet.Set(left + x, kGap + y, face.At(x, y));
    }
  }
  const std::vector<std::uint8_t> bytes =
      mirokan::EncodeBitmap24(sheet.Width(), sheet.Height(), BgrRows(sheet).data(),
                              static_cast<std::size_t>(sheet.Width()) * 3);
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
