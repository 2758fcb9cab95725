// Encodes a picture as the snapshot bitmap file: uncompressed, 24 bits per pixel in
// blue-green-red order, bottom row first, rows padded to 4 bytes, no colour table.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace mirokan {

inline constexpr std::size_t kBitmapFileHeaderSize = 54;  // file header 14 + info header 40
using BitmapHeader = std::array<std::uint8_t, kBitmapFileHeaderSize>;

// The headers of a file whose pixels follow them as bottom-up rows padded to 4 bytes; none
// for a size that is not positive or does not fit the format.
std::optional<BitmapHeader> BitmapHeader24(int width, int height);

// `top_down_bgr` holds `height` rows of `stride` bytes, top row first, each starting with
// 3 × width bytes of blue, green, red. Returns the whole file; empty for a size that is not
// positive or does not fit the format.
std::vector<std::uint8_t> EncodeBitmap24(int width, int height, const std::uint8_t* top_down_bgr,
                                         std::size_t stride);

}  // namespace mirokan
