// The snapshot reader: a Windows bitmap file as the renderer takes it (24 bits per pixel,
// uncompressed, bottom row first, rows padded to 4 bytes) turned into RGB rows for GL.
//
// The reader trusts nothing in the header: every size is checked against what the file can
// still supply, and a picture whose rows the file cannot fill is padded with zeros so that
// the red-blue exchange and the texture upload stay inside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace mirokan {

// What the reader has to tell the user, in the order it happened.
enum class BitmapMessage {
  kErrorOpening,           // "Error opening \"<path>"
  kErrorReadingPalette,    // "Error reading palette"
  kErrorReadingBitmapData  // "Error reading bitmap data"
};

// A sequential byte source (a file, or bytes in memory).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes left from the current position; a source may deliver fewer if it shrinks.
  virtual std::uint64_t Remaining() const = 0;
  // Reads up to into.size() bytes; returns how many arrived (fewer only at the end).
  virtual std::size_t Read(std::span<std::byte> into) = 0;
};

class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::byte> bytes) : bytes_(bytes) {}
  std::uint64_t Remaining() const override { return bytes_.size() - position_; }
  std::size_t Read(std::span<std::byte> into) override;

 private:
  std::span<const std::byte> bytes_;
  std::size_t position_ = 0;
};

struct BitmapReadResult {
  // Of the pixels held: the file's picture, or that picture scaled down.
  std::int32_t width = 0;
  std::int32_t height = 0;
  // A picture larger than the limits below (three 8K monitors side by side) is held scaled
  // down by this whole factor on both axes, each held pixel the mean of its block of up to
  // scale × scale (blocks run from the top left; those at the right and bottom edges may be
  // smaller). 1 for a picture held as the file has it.
  std::int32_t scale = 1;
  // The picture's size as the file gives it.
  std::int32_t file_width = 0;
  std::int32_t file_height = 0;
  // Bottom row first, each row width × 3 bytes of R, G, B and its padding to 4 bytes; at
  // least PaddedRowLength(width) × height bytes. Empty when the picture cannot be used.
  std::optional<std::vector<std::uint8_t>> pixels;
  std::vector<BitmapMessage> messages;
};

inline constexpr std::size_t kBitmapHeaderSize = 54;  // file header 14 + info header 40
// Largest picture held: twice an 8K screen's pixels, about 192 MiB as RGB. A larger one is
// scaled down to fit; beyond kMaxFileSide the header is not believed, and a file must still
// hold its pixels (kMaxPaddingFactor), so an absurd size can never make the reader allocate
// gigabytes.
inline constexpr std::int64_t kMaxBitmapSide = 32768;
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 26;
inline constexpr std::int64_t kMaxFileSide = std::int64_t{1} << 20;

// The smallest whole factor that brings a width × height picture within the limits above; 0
// for a picture no factor can make usable (empty, top-down, or beyond kMaxFileSide).
std::int32_t ScaleToFit(std::int64_t width, std::int64_t height);

// A picture the file can fill only in part is padded for the upload, but never to more than
// this multiple of the pixel bytes it holds plus the allowance: a header promising far more
// than that is refused as absurd, so a short file cannot make the reader allocate much.
inline constexpr std::size_t kMaxPaddingFactor = 8;
inline constexpr std::size_t kPaddingAllowance = 64 * 1024;

// Bytes of one 24-bit row, padded to a multiple of 4 (1366 pixels: 4100).
std::int64_t PaddedRowLength(std::int64_t width);

// Reads the rest of a bitmap whose first byte is the source's current position.
BitmapReadResult ReadBitmap(ByteSource& source);

}  // namespace mirokan
