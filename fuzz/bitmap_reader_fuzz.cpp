// Any file handed to the snapshot reader: no crash, no access outside a buffer, no huge
// allocation, pixels always large enough for the texture upload that follows, and a complete
// picture's first pixel turned from blue-green-red into red-green-blue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "renderer/bitmap_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mirokan::MemoryByteSource source(std::as_bytes(std::span(data, size)));
  const mirokan::BitmapReadResult result = mirokan::ReadBitmap(source);
  if (!result.pixels) return 0;
  const auto needed = static_cast<std::size_t>(mirokan::PaddedRowLength(result.width)) *
                      static_cast<std::size_t>(result.height);
  if (result.width <= 0 || result.height <= 0 || result.width > mirokan::kMaxBitmapSide ||
      result.height > mirokan::kMaxBitmapSide || result.pixels->size() < needed) {
    std::abort();
  }
  // Touch the last byte the upload would read.
  volatile std::uint8_t last = (*result.pixels)[needed - 1];
  (void)last;
  // With 24 bits and no image size the header asks for exactly the rows the upload reads
  // (unless the picture is too large to be held as it is).
  const bool plain_header = data[28] == 24 && data[29] == 0 && data[34] == 0 && data[35] == 0 &&
                            data[36] == 0 && data[37] == 0 && data[47] == 0 && data[48] == 0 &&
                            data[49] == 0;
  const std::size_t first = mirokan::kBitmapHeaderSize + std::size_t{data[46]} * 4;
  if (result.messages.empty() && plain_header && result.scale == 1 &&
      ((*result.pixels)[0] != data[first + 2] || (*result.pixels)[2] != data[first])) {
    std::abort();
  }
  return 0;
}
