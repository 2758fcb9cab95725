// Windows bitmap files built in memory: 24-bit, bottom-up, a known pattern in the pixels and
// a marker in the row padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mirokan::test {

inline constexpr std::uint8_t kPaddingMarker = 0xEE;

struct BitmapFixture {
  std::int32_t width = 4;
  std::int32_t height = 3;
  bool size_image_in_header = false;  // biSizeImage 0 or the real size
  std::uint32_t palette_entries = 0;  // colour-table entries announced and written
  bool signature = true;              // "BM" or "XX"
  // (r, g, b) of pixel x of the file's row `row`; Pattern when null.
  void (*paint)(int x, int row, std::uint8_t rgb[3]) = nullptr;
};

// Channel 0 is red, 2 blue; row 0 is the file's first.
inline std::uint8_t Pattern(int x, int row, int channel) {
  return static_cast<std::uint8_t>(x * 7 + row * 3 + channel * 101);
}

inline void Put32(std::vector<std::byte>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::byte>(value >> (8 * i));
}

inline std::vector<std::byte> MakeBitmap(const BitmapFixture& f) {
  const std::size_t stride = (static_cast<std::size_t>(f.width) * 3 + 3) / 4 * 4;
  const std::size_t data_size = stride * static_cast<std::size_t>(f.height);
  const std::size_t offset = 54 + 4 * std::size_t{f.palette_entries};
  std::vector<std::byte> out(offset + data_size);
  out[0] = static_cast<std::byte>(f.signature ? 'B' : 'X');
  out[1] = static_cast<std::byte>(f.signature ? 'M' : 'X');
  Put32(out, 2, out.size());
  Put32(out, 10, offset);
  Put32(out, 14, 40);
  Put32(out, 18, f.width);
  Put32(out, 22, f.height);
  Put32(out, 26, 1 | 24 << 16);  // one plane, 24 bits per pixel
  Put32(out, 34, f.size_image_in_header ? data_size : 0);
  Put32(out, 46, f.palette_entries);
  for (int row = 0; row < f.height; ++row) {
    std::byte* line = out.data() + offset + stride * static_cast<std::size_t>(row);
    for (int x = 0; x < f.width; ++x) {
      std::uint8_t rgb[3] = {Pattern(x, row, 0), Pattern(x, row, 1), Pattern(x, row, 2)};
      if (f.paint) f.paint(x, row, rgb);
      for (int c = 0; c < 3; ++c) line[3 * x + 2 - c] = std::byte{rgb[c]};
    }
    for (std::size_t pad = static_cast<std::size_t>(f.width) * 3; pad < stride; ++pad) {
      line[pad] = std::byte{kPaddingMarker};
    }
  }
  return out;
}

// The same picture as the bytes of a file, for tests that write it to disk.
inline std::string MakeBitmapFile(const BitmapFixture& f) {
  const std::vector<std::byte> bytes = MakeBitmap(f);
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace mirokan::test
