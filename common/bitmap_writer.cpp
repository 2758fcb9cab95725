#include "common/bitmap_writer.h"

#include <algorithm>
#include <cstring>

namespace mirokan {
namespace {

template <typename Bytes>
void Put16(Bytes& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

template <typename Bytes>
void Put32(Bytes& out, std::size_t at, std::uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

std::size_t RowLength(int width) {
  return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

}  // namespace

std::optional<BitmapHeader> BitmapHeader24(int width, int height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  const std::uint64_t image_size =
      static_cast<std::uint64_t>(RowLength(width)) * static_cast<unsigned>(height);
  if (image_size + kBitmapFileHeaderSize > 0xFFFFFFFFull) return std::nullopt;
  BitmapHeader out{};
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(kBitmapFileHeaderSize + image_size));
  Put32(out, 10, kBitmapFileHeaderSize);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<std::uint32_t>(width));
  Put32(out, 22, static_cast<std::uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  Put32(out, 30, 0);  // BI_RGB
  Put32(out, 34, static_cast<std::uint32_t>(image_size));
  Put32(out, 38, 3780);  // 96 dots per inch
  Put32(out, 42, 3780);
  return out;
}

std::vector<std::uint8_t> EncodeBitmap24(int width, int height, const std::uint8_t* top_down_bgr,
                                         std::size_t stride) {
  if (top_down_bgr == nullptr || stride < static_cast<std::size_t>(std::max(width, 0)) * 3) {
    return {};
  }
  const std::optional<BitmapHeader> header = BitmapHeader24(width, height);
  if (!header) return {};
  const std::size_t row = RowLength(width);
  std::vector<std::uint8_t> out(kBitmapFileHeaderSize + row * static_cast<std::size_t>(height), 0);
  std::copy(header->begin(), header->end(), out.begin());
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = top_down_bgr + static_cast<std::size_t>(height - 1 - y) * stride;
    std::memcpy(&out[kBitmapFileHeaderSize + static_cast<std::size_t>(y) * row], source,
                static_cast<std::size_t>(width) * 3);
  }
  return out;
}

}  // namespace mirokan
