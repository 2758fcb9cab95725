#include "saver/host/bitmap_writer.h"

#include <cstring>

namespace mirokan {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBitmap24(int width, int height, const std::uint8_t* top_down_bgr,
                                         std::size_t stride) {
  constexpr std::size_t kHeaderSize = 54;
  if (width <= 0 || height <= 0 || top_down_bgr == nullptr) return {};
  const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  if (stride < static_cast<std::size_t>(width) * 3) return {};
  const std::uint64_t image_size = static_cast<std::uint64_t>(row) * static_cast<unsigned>(height);
  if (image_size + kHeaderSize > 0xFFFFFFFFull) return {};

  std::vector<std::uint8_t> out(kHeaderSize + static_cast<std::size_t>(image_size), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(out.size()));
  Put32(out, 10, kHeaderSize);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<std::uint32_t>(width));
  Put32(out, 22, static_cast<std::uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  Put32(out, 30, 0);  // BI_RGB
  Put32(out, 34, static_cast<std::uint32_t>(image_size));
  Put32(out, 38, 3780);  // 96 dots per inch
  Put32(out, 42, 3780);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = top_down_bgr + static_cast<std::size_t>(height - 1 - y) * stride;
    std::memcpy(&out[kHeaderSize + static_cast<std::size_t>(y) * row], source,
                static_cast<std::size_t>(width) * 3);
  }
  return out;
}

}  // namespace mirokan
