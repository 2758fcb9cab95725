// Any file handed to the snapshot reader: no crash, no access outside a buffer, no huge
// allocation, and pixels always large enough for the texture upload that follows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "renderer/bitmap_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mirokan::MemoryByteSource source(std::as_bytes(std::span(data, size)));
  const mirokan::BitmapReadResult result = mirokan::ReadBitmap(source);
  if (result.pixels) {
    const auto needed = static_cast<std::size_t>(mirokan::PaddedRowLength(result.width)) *
                        static_cast<std::size_t>(result.height);
    if (result.width <= 0 || result.height <= 0 || result.pixels->size() < needed) std::abort();
    // Touch the last byte the upload would read.
    volatile std::uint8_t last = (*result.pixels)[needed - 1];
    (void)last;
  }
  return 0;
}
