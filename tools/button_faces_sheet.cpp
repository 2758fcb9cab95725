// Writes the push button's six faces side by side, at the settings dialog's button size, as
// a 24-bit bitmap file: button_faces_sheet OUTPUT.bmp
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "saver/controls/button_faces.h"

namespace {

using mirokan::ButtonFace;
using mirokan::Gradient;
using mirokan::RgbImage;

constexpr int kButtonWidth = 73;
constexpr int kButtonHeight = 25;
constexpr int kGap = 8;

void PutLittleEndian(std::vector<char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

// Uncompressed, bottom-up, no colour table; rows padded to four bytes.
std::vector<char> BitmapFile(const RgbImage& image) {
  const std::uint32_t row_bytes = (std::uint32_t(image.Width()) * 3 + 3) & ~3u;
  const std::uint32_t pixel_bytes = row_bytes * std::uint32_t(image.Height());
  std::vector<char> out;
  out.push_back('B');
  out.push_back('M');
  PutLittleEndian(out, 54 + pixel_bytes, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 54, 4);
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, std::uint32_t(image.Width()), 4);
  PutLittleEndian(out, std::uint32_t(image.Height()), 4);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 24, 2);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, pixel_bytes, 4);
  PutLittleEndian(out, 3780, 4);  // 96 dots per inch
  PutLittleEndian(out, 3780, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 0, 4);
  for (int y = image.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.Width(); ++x) {
      const mirokan::Rgb c = image.At(x, y);
      out.push_back(char(c.b));
      out.push_back(char(c.g));
      out.push_back(char(c.r));
    }
    for (std::uint32_t pad = std::uint32_t(image.Width()) * 3; pad < row_bytes; ++pad) {
      out.push_back(0);
    }
  }
  return out;
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
      {ButtonFace::Normal, Gradient::Plain},
      {ButtonFace::HighLight, Gradient::Inverted},
      {ButtonFace::HighLightSelect, Gradient::Inverted},
      {ButtonFace::Selected, Gradient::Plain},
      {ButtonFace::Pressed, Gradient::Inverted},
      {ButtonFace::Disable, Gradient::Plain},
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
  const std::vector<char> bytes = BitmapFile(sheet);
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), std::streamsize(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
