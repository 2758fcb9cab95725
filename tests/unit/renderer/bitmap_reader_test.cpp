#include "renderer/bitmap_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "bitmap_fixture.h"

namespace mirokan {
namespace {

using test::BitmapFixture;
using test::MakeBitmap;

BitmapReadResult Read(const std::vector<std::byte>& file) {
  MemoryByteSource source(file);
  return ReadBitmap(source);
}

// Rows of 3 bytes a pixel, padded to 4 bytes.
std::size_t Stride(std::int32_t width) {
  return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

TEST(BitmapReader, WellFormedFilesAreExchangedToRgbRowByRowSkippingPadding) {
  const std::pair<const char*, BitmapFixture> cases[] = {
      {"3 bytes of padding", {.width = 1, .height = 2}},
      {"2 bytes of padding", {.width = 2, .height = 3}},
      {"1 byte of padding", {.width = 3, .height = 2}},
      {"no padding", {.width = 4, .height = 2}},
      {"1366 wide, biSizeImage 0", {.width = 1366, .height = 4}},
      {"1366 wide, biSizeImage set, several read pieces",
       {.width = 1366, .height = 50, .size_image_in_header = true}},
      {"rows wider than a read piece", {.width = 30000, .height = 3}},
      {"colour table read and dropped", {.width = 5, .height = 2, .palette_entries = 3}},
      {"no BM signature", {.width = 6, .height = 2, .signature = false}},
  };
  for (const auto& [name, f] : cases) {
    SCOPED_TRACE(name);
    const BitmapReadResult result = Read(MakeBitmap(f));
    EXPECT_EQ(std::pair(result.width, result.height), std::pair(f.width, f.height));
    EXPECT_TRUE(result.messages.empty());
    ASSERT_TRUE(result.pixels.has_value());
    const std::size_t stride = Stride(f.width);
    ASSERT_EQ(static_cast<std::size_t>(PaddedRowLength(f.width)), stride);
    ASSERT_GE(result.pixels->size(), stride * f.height);
    for (int row = 0; row < f.height; ++row) {
      const std::uint8_t* line = result.pixels->data() + stride * row;
      for (int i = 0; i < f.width * 3; ++i) {
        ASSERT_EQ(line[i], test::Pattern(i / 3, row, i % 3)) << "byte " << i << " row " << row;
      }
      for (std::size_t pad = f.width * 3; pad < stride; ++pad) {
        ASSERT_EQ(line[pad], test::kPaddingMarker) << "padding of row " << row;
      }
    }
  }
}

TEST(BitmapReader, FilesWithoutAUsableColourTableGiveNoPixels) {
  const std::vector<std::byte> file = MakeBitmap({.width = 2, .height = 2, .palette_entries = 3});
  std::vector<std::byte> absurd_table = MakeBitmap({.width = 2, .height = 2});
  test::Put32(absurd_table, 46, 0xFFFFFFFFu);  // 16 GiB announced: nothing may be allocated
  const std::pair<const char*, std::vector<std::byte>> cases[] = {
      {"empty file", {}},
      {"file header only", {file.begin(), file.begin() + 14}},
      {"one byte short of the headers", {file.begin(), file.begin() + 53}},
      {"colour table shorter than announced", {file.begin(), file.begin() + 54 + 8}},
      {"absurd colour table", absurd_table},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const BitmapReadResult result = Read(bytes);
    EXPECT_FALSE(result.pixels.has_value());
    EXPECT_EQ(result.messages, std::vector{BitmapMessage::kErrorReadingPalette});
  }
}

TEST(BitmapReader, TruncatedPixelDataKeepsWhatArrivedUnexchangedAndZeroesTheRest) {
  const std::pair<BitmapFixture, std::size_t> cases[] = {
      // bytes of pixel data kept
      {{.width = 5, .height = 4}, 23},
      {{.width = 5, .height = 4}, 32},  // a row boundary
      {{.width = 5, .height = 4}, 0},
      {{.width = 1366, .height = 60}, 150001},  // after several read pieces
  };
  for (const auto& [f, kept] : cases) {
    SCOPED_TRACE(testing::Message() << f.width << " wide, " << kept << " bytes kept");
    std::vector<std::byte> file = MakeBitmap(f);
    file.resize(54 + kept);
    const BitmapReadResult result = Read(file);
    EXPECT_EQ(result.messages, std::vector{BitmapMessage::kErrorReadingBitmapData});
    ASSERT_TRUE(result.pixels.has_value());
    EXPECT_EQ(std::pair(result.width, result.height), std::pair(f.width, f.height));
    ASSERT_EQ(result.pixels->size(), Stride(f.width) * f.height);
    EXPECT_EQ(std::memcmp(result.pixels->data(), file.data() + 54, kept), 0);
    EXPECT_TRUE(std::all_of(result.pixels->begin() + kept, result.pixels->end(),
                            [](std::uint8_t b) { return b == 0; }));
  }
}

// A picture the texture cannot take (three 8K monitors) is held scaled down, not refused:
// each pixel the mean of its block, blocks from the top left, the last ones narrower.
TEST(BitmapReader, LargePicturesAreHeldScaledDown) {
  const std::pair<std::pair<std::int64_t, std::int64_t>, std::int32_t> scales[] = {
      {{3 * 7680, 4320}, 2},      {{32768, 2048}, 1}, {{8193, 8193}, 2}, {{kMaxFileSide, 1}, 32},
      {{kMaxFileSide + 1, 1}, 0}, {{4, -3}, 0},       {{0, 3}, 0}};
  for (const auto& [size, scale] : scales) EXPECT_EQ(ScaleToFit(size.first, size.second), scale);

  // Rows 10, 20 and 40 from the bottom; odd columns 100 brighter.
  const BitmapReadResult result = Read(
      MakeBitmap({.width = 32769, .height = 3, .paint = [](int x, int row, std::uint8_t rgb[3]) {
                    const int v = (row == 0 ? 10 : row == 1 ? 20 : 40) + (x % 2) * 100;
                    for (int c = 0; c < 3; ++c) rgb[c] = static_cast<std::uint8_t>(v + c);
                  }}));
  EXPECT_TRUE(result.messages.empty());
  ASSERT_TRUE(result.pixels);
  EXPECT_EQ(result.scale, 2);
  EXPECT_EQ(std::pair(result.width, result.height), std::pair(16385, 2));
  EXPECT_EQ(std::pair(result.file_width, result.file_height), std::pair(32769, 3));
  const auto pixel = [&](int x, int row) {
    const std::uint8_t* p = result.pixels->data() + row * Stride(16385) + x * 3;
    return std::vector<int>{p[0], p[1], p[2]};
  };
  // The bottom row alone (the top block takes two), in red-green-blue order.
  EXPECT_EQ(pixel(0, 0), (std::vector{60, 61, 62}));
  EXPECT_EQ(pixel(0, 1), (std::vector{80, 81, 82}));
  EXPECT_EQ(pixel(16384, 1), (std::vector{30, 31, 32})) << "the last column is a block alone";
}

TEST(BitmapReader, AbsurdHeadersNeverReachOutsideTheBuffer) {
  struct Case {
    const char* name;
    std::int32_t width, height;
    std::uint32_t size_image;
    std::uint16_t bit_count;
    bool has_pixels, data_error;
  };
  const Case cases[] = {
      {"width and height overflow", 0x7FFFFFFF, 0x7FFFFFFF, 0, 24, false, true},
      {"gigapixel picture", 65536, 65536, 0, 24, false, true},
      {"top-down picture", 4, -3, 0, 24, false, true},
      {"zero width", 0, 3, 0, 24, false, true},
      {"negative width", -4, 3, 0, 24, false, true},
      {"biSizeImage far beyond the file", 4, 3, 0xFFFFFFF0u, 24, true, true},
      {"biSizeImage smaller than the rows", 4, 3, 4, 24, true, false},
      {"picture a little larger than the file", 40, 30, 0, 24, true, true},
      {"picture far larger than the file", 400, 300, 0, 24, false, true},
      {"8192 × 8192 from a 90-byte file", 8192, 8192, 0, 24, false, true},
      {"8192 × 8192 with a tiny biSizeImage", 8192, 8192, 36, 24, false, true},
      {"8 bits per pixel, rows shorter than RGB", 8, 3, 0, 8, true, false},
      {"bit count 65535", 4, 3, 0, 65535, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::byte> file = MakeBitmap({.width = 4, .height = 3});
    test::Put32(file, 18, c.width);
    test::Put32(file, 22, c.height);
    test::Put32(file, 26, 1u | std::uint32_t{c.bit_count} << 16);
    test::Put32(file, 34, c.size_image);
    const BitmapReadResult result = Read(file);
    EXPECT_EQ(result.messages, c.data_error ? std::vector{BitmapMessage::kErrorReadingBitmapData}
                                            : std::vector<BitmapMessage>{});
    ASSERT_EQ(result.pixels.has_value(), c.has_pixels);
    if (c.has_pixels) {
      // Room for the exchange and upload of width × height, yet in proportion to the file.
      const std::size_t needed = Stride(c.width) * c.height;
      EXPECT_GE(result.pixels->size(), needed);
      EXPECT_LE(result.pixels->size(), std::max(needed, file.size() - 54));
      EXPECT_LE(result.pixels->size(), kMaxPaddingFactor * file.size() + kPaddingAllowance);
      // A short last row is exchanged like the others.
      EXPECT_TRUE(c.data_error || (*result.pixels)[0] == test::Pattern(0, 0, 0));
    }
  }
}

}  // namespace
}  // namespace mirokan
