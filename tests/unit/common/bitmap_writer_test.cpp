#include "common/bitmap_writer.h"

#include <gtest/gtest.h>

namespace mirokan {
namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& file, std::size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
         static_cast<std::uint32_t>(file[at + 3]) << 24;
}

TEST(BitmapWriter, WritesBottomUpPaddedRowsWithoutColourTable) {
  // 3 × 2 pixels in rows of 12 bytes: the top row's bytes are 1, the bottom row's 7, and the
  // source's padding 0xEE.
  std::vector<std::uint8_t> top_down(24, 0xEE);
  std::fill_n(top_down.begin(), 9, 1);
  std::fill_n(top_down.begin() + 12, 9, 7);
  const auto file = EncodeBitmap24(3, 2, top_down.data(), 12);
  ASSERT_EQ(file.size(), 54u + 24u);
  EXPECT_EQ(file[0] | file[1] << 8, 'B' | 'M' << 8);
  // size, pixel offset, width, height (positive: bottom row first), bits, no compression,
  // image size, no colour table
  const std::pair<std::size_t, std::uint32_t> fields[] = {{2, 78},  {10, 54}, {18, 3},  {22, 2},
                                                          {28, 24}, {30, 0},  {34, 24}, {46, 0}};
  for (const auto& [at, value] : fields)
    EXPECT_EQ(Read32(file, at) & (at == 28 ? 0xFFFF : ~0u), value) << at;
  EXPECT_EQ(file[54], 7);  // the bottom row comes first
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
