#include "renderer/bitmap_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

namespace mirokan {
namespace {

// Field offsets in the 54-byte header.
constexpr std::size_t kWidthOffset = 18;
constexpr std::size_t kHeightOffset = 22;
constexpr std::size_t kBitCountOffset = 28;
constexpr std::size_t kSizeImageOffset = 34;
constexpr std::size_t kClrUsedOffset = 46;
// Pixel data is read and exchanged in pieces of about this size (whole rows), cache-sized.
constexpr std::size_t kReadChunk = 32 * 1024;

std::uint32_t LittleEndian32(std::span<const std::byte, kBitmapHeaderSize> header,
                             std::size_t offset) {
  return std::to_integer<std::uint32_t>(header[offset]) |
         std::to_integer<std::uint32_t>(header[offset + 1]) << 8 |
         std::to_integer<std::uint32_t>(header[offset + 2]) << 16 |
         std::to_integer<std::uint32_t>(header[offset + 3]) << 24;
}

std::uint16_t LittleEndian16(std::span<const std::byte, kBitmapHeaderSize> header,
                             std::size_t offset) {
  return static_cast<std::uint16_t>(std::to_integer<unsigned>(header[offset]) |
                                    std::to_integer<unsigned>(header[offset + 1]) << 8);
}

// Reads until `into` is full or the source ends; returns the bytes that arrived.
std::size_t ReadFully(ByteSource& source, std::span<std::byte> into) {
  std::size_t total = 0;
  while (total < into.size()) {
    const std::size_t got = source.Read(into.subspan(total));
    if (got == 0) break;
    total += got;
  }
  return total;
}

// The colour table is not used: read it through a small buffer and drop it.
bool SkipBytes(ByteSource& source, std::uint64_t count) {
  std::array<std::byte, 4096> scratch;
  while (count > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count, scratch.size()));
    if (ReadFully(source, std::span(scratch).first(chunk)) != chunk) return false;
    count -= chunk;
  }
  return true;
}

bool PlausibleSize(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
         width * height <= kMaxBitmapPixels;
}

}  // namespace

std::size_t MemoryByteSource::Read(std::span<std::byte> into) {
  const std::size_t count = std::min(into.size(), bytes_.size() - position_);
  if (count > 0) std::memcpy(into.data(), bytes_.data() + position_, count);
  position_ += count;
  return count;
}

std::int64_t PaddedRowLength(std::int64_t width) {
  return (width * 3 + 3) / 4 * 4;
}

namespace {

// Exchanges bytes 0 and 2 of each 3-byte pixel in [pixel, end), which holds whole pixels.
void SwapRedBluePortable(std::uint8_t* pixel, std::uint8_t* const end) {
  if constexpr (std::endian::native == std::endian::little) {
    // Four pixels (three 32-bit words) at a time: several times faster than byte swaps.
    for (; end - pixel >= 12; pixel += 12) {
      std::uint32_t w[3];
      std::memcpy(w, pixel, sizeof(w));
      const std::uint32_t out0 =
          (w[0] >> 16 & 0xFF) | (w[0] & 0xFF00) | (w[0] & 0xFF) << 16 | (w[1] >> 8 & 0xFF) << 24;
      const std::uint32_t out1 =
          (w[1] & 0xFF) | (w[0] >> 24) << 8 | (w[2] & 0xFF) << 16 | (w[1] & 0xFF000000u);
      const std::uint32_t out2 =
          (w[1] >> 16 & 0xFF) | (w[2] >> 24) << 8 | (w[2] & 0xFF0000) | (w[2] >> 8 & 0xFF) << 24;
      // Three separate stores: one combined buffer would stall on store forwarding.
      std::memcpy(pixel, &out0, 4);
      std::memcpy(pixel + 4, &out1, 4);
      std::memcpy(pixel + 8, &out2, 4);
    }
  }
  for (; pixel != end; pixel += 3) std::swap(pixel[0], pixel[2]);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define MIROKAN_SWAP_SSSE3 1

// Byte shuffles for 16 pixels in three 16-byte blocks: kShuffle[out][in] picks, for each byte
// of output block `out`, the byte of input block `in` that goes there (0x80: none).
constexpr auto kShuffle = [] {
  std::array<std::array<std::array<char, 16>, 3>, 3> masks{};
  for (int out = 0; out < 3; ++out) {
    for (int i = 0; i < 16; ++i) {
      const int at = out * 16 + i;
      const int from = at / 3 * 3 + (2 - at % 3);
      for (int in = 0; in < 3; ++in) {
        masks[out][in][i] = static_cast<char>(from / 16 == in ? from % 16 : 0x80);
      }
    }
  }
  return masks;
}();

// 48 bytes per step with SSSE3 byte shuffles; returns where it stopped.
__attribute__((target("ssse3"))) std::uint8_t* SwapRedBlueSsse3(std::uint8_t* pixel,
                                                                std::uint8_t* const end) {
  for (; end - pixel >= 48; pixel += 48) {
    __m128i in[3];
    for (int b = 0; b < 3; ++b) {
      in[b] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel + 16 * b));
    }
    for (int out = 0; out < 3; ++out) {
      __m128i value = _mm_setzero_si128();
      for (int b = 0; b < 3; ++b) {
        const __m128i mask =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(kShuffle[out][b].data()));
        value = _mm_or_si128(value, _mm_shuffle_epi8(in[b], mask));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel + 16 * out), value);
    }
  }
  return pixel;
}
#endif

}  // namespace

namespace {

// Exchanges red and blue in rows [first, last) of a buffer of padded 24-bit rows.
void SwapRows(std::span<std::uint8_t> pixels, std::int32_t width, std::size_t first,
              std::size_t last) {
  const auto stride = static_cast<std::size_t>(PaddedRowLength(width));
  const auto row_bytes = static_cast<std::size_t>(width) * 3;
  last = std::min(last, pixels.size() / stride);
#ifdef MIROKAN_SWAP_SSSE3
  static const bool has_ssse3 = __builtin_cpu_supports("ssse3");
#endif
  for (std::size_t row = first; row < last; ++row) {
    std::uint8_t* pixel = pixels.data() + row * stride;
    std::uint8_t* const end = pixel + row_bytes;
#ifdef MIROKAN_SWAP_SSSE3
    if (has_ssse3) pixel = SwapRedBlueSsse3(pixel, end);
#endif
    SwapRedBluePortable(pixel, end);
  }
}

}  // namespace

void SwapRedBlue(std::span<std::uint8_t> pixels, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return;
  SwapRows(pixels, width, 0, static_cast<std::size_t>(height));
}

BitmapReadResult ReadBitmap(ByteSource& source) {
  BitmapReadResult result;

  // A file too short for its headers has no colour table either: the palette message.
  std::array<std::byte, kBitmapHeaderSize> header{};
  if (ReadFully(source, header) != header.size()) {
    result.messages.push_back(BitmapMessage::kErrorReadingPalette);
    return result;
  }

  const std::uint64_t palette_bytes = std::uint64_t{LittleEndian32(header, kClrUsedOffset)} * 4;
  if (palette_bytes > source.Remaining() || !SkipBytes(source, palette_bytes)) {
    result.messages.push_back(BitmapMessage::kErrorReadingPalette);
    return result;
  }

  result.width = static_cast<std::int32_t>(LittleEndian32(header, kWidthOffset));
  result.height = static_cast<std::int32_t>(LittleEndian32(header, kHeightOffset));
  const std::int64_t width = result.width;
  const std::int64_t height = result.height;
  // Top-down (negative height), empty or absurd pictures cannot be uploaded as read.
  if (!PlausibleSize(width, height)) {
    result.messages.push_back(BitmapMessage::kErrorReadingBitmapData);
    return result;
  }

  const std::uint32_t size_image = LittleEndian32(header, kSizeImageOffset);
  const std::int64_t bit_count = LittleEndian16(header, kBitCountOffset);
  const std::uint64_t data_size =
      size_image != 0 ? size_image
                      : static_cast<std::uint64_t>((width * bit_count + 31) / 32 * 4 * height);
  const auto needed = static_cast<std::uint64_t>(PaddedRowLength(width) * height);

  // Never allocate for bytes the file cannot supply; pad up to what the upload reads.
  const std::uint64_t readable = std::min(data_size, source.Remaining());
  if (needed > kMaxPaddingFactor * source.Remaining() + kPaddingAllowance) {
    result.messages.push_back(BitmapMessage::kErrorReadingBitmapData);
    return result;
  }
  auto& pixels = result.pixels.emplace(static_cast<std::size_t>(std::max(readable, needed)));

  // Rows are exchanged as they arrive, while they are still in the cache: one pass instead
  // of two. Should the data end early, the rows already exchanged are turned back.
  const auto stride = static_cast<std::size_t>(PaddedRowLength(width));
  const auto rows = static_cast<std::size_t>(height);
  const std::size_t chunk = std::max<std::size_t>(1, kReadChunk / stride) * stride;
  std::size_t got = 0;
  std::size_t rows_done = 0;
  while (got < readable) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, readable - got));
    const std::size_t arrived =
        ReadFully(source, std::as_writable_bytes(std::span(pixels).subspan(got, want)));
    got += arrived;
    const std::size_t rows_ready = std::min(got / stride, rows);
    SwapRows(pixels, result.width, rows_done, rows_ready);
    rows_done = rows_ready;
    if (arrived < want) break;
  }
  if (got < data_size) {
    // The part that arrived stays in blue-green-red order.
    SwapRows(pixels, result.width, 0, rows_done);
    result.messages.push_back(BitmapMessage::kErrorReadingBitmapData);
    return result;
  }
  // A partial last row is exchanged like the rest; the zero rows after it need no exchange.
  SwapRows(pixels, result.width, rows_done, std::min(rows, (got + stride - 1) / stride));
  return result;
}

}  // namespace mirokan
