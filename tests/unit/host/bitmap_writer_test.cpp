#include "saver/host/bitmap_writer.h"

#include <gtest/gtest.h>

namespace mirokan {
namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& file, std::size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
         static_cast<std::uint32_t>(file[at + 3]) << 24;
}

TEST(BitmapWriter, WritesBottomUpPaddedRowsWithoutColourTable) {
  // 3 × 2 pixels: rows of 9 bytes, padded to 12; top row red-ish, bottom row blue-ish.
  const std::size_t stride = 12;
  std::vector<std::uint8_t> top_down(stride * 2, 0xEE);
  for (int x = 0; x < 3; ++x) {
    top_down[x * 3 + 0] = 1;  // top row: B G R = 1 2 3
    top_down[x * 3 + 1] = 2;
    top_down[x * 3 + 2] = 3;
    top_down[stride + x * 3 + 0] = 7;  // bottom row
    top_down[stride + x * 3 + 1] = 8;
    top_down[stride + x * 3 + 2] = 9;
  }
  const auto file = EncodeBitmap24(3, 2, top_down.data(), stride);
  ASSERT_EQ(file.size(), 54u + 24u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Read32(file, 2), file.size());
  EXPECT_EQ(Read32(file, 10), 54u);  // pixels right after the headers
  EXPECT_EQ(Read32(file, 18), 3u);
  EXPECT_EQ(Read32(file, 22), 2u);  // positive height: bottom row first
  EXPECT_EQ(file[28], 24);
  EXPECT_EQ(Read32(file, 30), 0u);  // uncompressed
  EXPECT_EQ(Read32(file, 34), 24u);
  EXPECT_EQ(Read32(file, 46), 0u);  // no colour table
  EXPECT_EQ(file[54], 7);           // the bottom row comes first
  EXPECT_EQ(file[54 + 12], 1);
  EXPECT_EQ(file[54 + 9], 0);  // padding is zero, not whatever the source held
}

TEST(BitmapWriter, RefusesImpossibleSizes) {
  std::vector<std::uint8_t> pixels(16);
  EXPECT_TRUE(EncodeBitmap24(0, 1, pixels.data(), 4).empty());
  EXPECT_TRUE(EncodeBitmap24(1, -1, pixels.data(), 4).empty());
  EXPECT_TRUE(EncodeBitmap24(2, 1, pixels.data(), 4).empty()) << "stride shorter than a row";
  EXPECT_TRUE(EncodeBitmap24(1, 1, nullptr, 4).empty());
  EXPECT_TRUE(EncodeBitmap24(100000, 100000, pixels.data(), 300000).empty());
}

}  // namespace
}  // namespace mirokan
