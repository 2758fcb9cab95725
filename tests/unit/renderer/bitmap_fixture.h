// Builds Windows bitmap files in memory for the reader's tests and benchmarks: 24-bit,
// bottom-up, with a known pattern in the pixels and a marker in the row padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirokan::test {

inline constexpr std::uint8_t kPaddingMarker = 0xEE;

struct BitmapFixture {
  std::int32_t width = 4;
  std::int32_t height = 3;
  std::uint16_t bit_count = 24;
  bool size_image_in_header = false;  // biSizeImage 0 or the real size
  std::uint32_t clr_used = 0;         // colour-table entries announced
  std::uint32_t palette_entries = 0;  // colour-table entries actually written
  bool signature = true;              // "BM" or "XX"
};

// The pattern's stored (blue, green, red) bytes of pixel (x, row); row 0 is the file's first.
inline std::uint8_t PatternBlue(int x, int row) {
  return static_cast<std::uint8_t>(x * 7 + row);
}
inline std::uint8_t PatternGreen(int x, int row) {
  return static_cast<std::uint8_t>(x + row * 3 + 1);
}
inline std::uint8_t PatternRed(int x, int row) {
  return static_cast<std::uint8_t>(x ^ (row * 5));
}

inline void Put32(std::vector<std::byte>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::byte>(value >> (8 * i));
}

inline std::vector<std::byte> MakeBitmap(const BitmapFixture& fixture) {
  const std::size_t stride = (static_cast<std::size_t>(fixture.width) * 3 + 3) / 4 * 4;
  const std::size_t data_size = stride * static_cast<std::size_t>(fixture.height);
  std::vector<std::byte> out(54 + 4 * std::size_t{fixture.palette_entries} + data_size);
  out[0] = static_cast<std::byte>(fixture.signature ? 'B' : 'X');
  out[1] = static_cast<std::byte>(fixture.signature ? 'M' : 'X');
  Put32(out, 2, static_cast<std::uint32_t>(out.size()));
  Put32(out, 10, 54 + 4 * fixture.palette_entries);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<std::uint32_t>(fixture.width));
  Put32(out, 22, static_cast<std::uint32_t>(fixture.height));
  out[26] = std::byte{1};
  out[28] = static_cast<std::byte>(fixture.bit_count & 0xFF);
  out[29] = static_cast<std::byte>(fixture.bit_count >> 8);
  Put32(out, 34, fixture.size_image_in_header ? static_cast<std::uint32_t>(data_size) : 0);
  Put32(out, 46, fixture.clr_used);
  std::byte* pixels = out.data() + 54 + 4 * std::size_t{fixture.palette_entries};
  for (int row = 0; row < fixture.height; ++row) {
    std::byte* line = pixels + stride * static_cast<std::size_t>(row);
    for (int x = 0; x < fixture.width; ++x) {
      line[3 * x] = std::byte{PatternBlue(x, row)};
      line[3 * x + 1] = std::byte{PatternGreen(x, row)};
      line[3 * x + 2] = std::byte{PatternRed(x, row)};
    }
    for (std::size_t pad = static_cast<std::size_t>(fixture.width) * 3; pad < stride; ++pad) {
      line[pad] = std::byte{kPaddingMarker};
    }
  }
  return out;
}

// A bitmap of one colour per quarter of its width, left to right, given as (r, g, b).
inline std::vector<std::byte> MakeQuarteredBitmap(std::int32_t width, std::int32_t height,
                                                  const std::uint8_t (&colours)[4][3]) {
  std::vector<std::byte> out = MakeBitmap({.width = width, .height = height});
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const auto& colour = colours[x * 4 / width];
      std::byte* pixel = out.data() + 54 + stride * static_cast<std::size_t>(row) + 3 * x;
      pixel[0] = std::byte{colour[2]};
      pixel[1] = std::byte{colour[1]};
      pixel[2] = std::byte{colour[0]};
    }
  }
  return out;
}

}  // namespace mirokan::test
