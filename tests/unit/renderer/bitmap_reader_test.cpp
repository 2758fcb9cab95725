#include "renderer/bitmap_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bitmap_fixture.h"

namespace mirokan {
namespace {

using test::BitmapFixture;
using test::MakeBitmap;

BitmapReadResult Read(const std::vector<std::byte>& file) {
  MemoryByteSource source(file);
  return ReadBitmap(source);
}

std::size_t Stride(std::int32_t width) {
  return static_cast<std::size_t>(PaddedRowLength(width));
}

// Every pixel turned to R, G, B; every padding byte left as it was.
void ExpectExchangedPattern(const BitmapReadResult& result, const BitmapFixture& fixture) {
  ASSERT_TRUE(result.pixels.has_value());
  const auto& pixels = *result.pixels;
  const std::size_t stride = Stride(fixture.width);
  ASSERT_GE(pixels.size(), stride * static_cast<std::size_t>(fixture.height));
  for (int row = 0; row < fixture.height; ++row) {
    const std::uint8_t* line = pixels.data() + stride * static_cast<std::size_t>(row);
    for (int x = 0; x < fixture.width; ++x) {
      ASSERT_EQ(line[3 * x], test::PatternRed(x, row)) << "pixel " << x << " row " << row;
      ASSERT_EQ(line[3 * x + 1], test::PatternGreen(x, row)) << "pixel " << x << " row " << row;
      ASSERT_EQ(line[3 * x + 2], test::PatternBlue(x, row)) << "pixel " << x << " row " << row;
    }
    for (std::size_t pad = static_cast<std::size_t>(fixture.width) * 3; pad < stride; ++pad) {
      ASSERT_EQ(line[pad], test::kPaddingMarker) << "padding of row " << row;
    }
  }
}

TEST(BitmapReader, PaddedRowLengthRoundsThreeBytesPerPixelUpToFour) {
  EXPECT_EQ(PaddedRowLength(1), 4);
  EXPECT_EQ(PaddedRowLength(4), 12);
  EXPECT_EQ(PaddedRowLength(5), 16);
  EXPECT_EQ(PaddedRowLength(1366), 4100);  // 4098 bytes of pixels and 2 of padding
  EXPECT_EQ(PaddedRowLength(1920), 5760);
}

TEST(BitmapReader, WellFormedSnapshotsAreExchangedRowByRowSkippingPadding) {
  struct Case {
    const char* name;
    BitmapFixture fixture;
  };
  const Case cases[] = {
      {"one pixel, three bytes of padding", {.width = 1, .height = 2}},
      {"two pixels, two bytes of padding", {.width = 2, .height = 3}},
      {"three pixels, one byte of padding", {.width = 3, .height = 2}},
      {"four pixels, no padding", {.width = 4, .height = 2}},
      {"1366 wide screen", {.width = 1366, .height = 4}},
      {"1366 wide, biSizeImage given", {.width = 1366, .height = 4, .size_image_in_header = true}},
      {"read in several pieces", {.width = 1366, .height = 50}},
      {"wide rows, each a piece of its own", {.width = 30000, .height = 3}},
      {"biSizeImage given, padded rows", {.width = 5, .height = 7, .size_image_in_header = true}},
      {"colour table read and dropped",
       {.width = 5, .height = 2, .clr_used = 3, .palette_entries = 3}},
      {"no BM signature", {.width = 6, .height = 2, .signature = false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BitmapReadResult result = Read(MakeBitmap(c.fixture));
    EXPECT_EQ(result.width, c.fixture.width);
    EXPECT_EQ(result.height, c.fixture.height);
    EXPECT_TRUE(result.messages.empty());
    ExpectExchangedPattern(result, c.fixture);
  }
}

TEST(BitmapReader, FilesWithoutAUsableColourTableGiveNoPixels) {
  struct Case {
    const char* name;
    std::vector<std::byte> file;
  };
  std::vector<std::byte> short_palette =
      MakeBitmap({.width = 2, .height = 2, .clr_used = 3, .palette_entries = 3});
  short_palette.resize(54 + 8);
  std::vector<std::byte> absurd_palette = MakeBitmap({.width = 2, .height = 2});
  test::Put32(absurd_palette, 46, 0xFFFFFFFFu);  // 16 GiB announced: nothing may be allocated
  std::vector<std::byte> header_only = MakeBitmap({.width = 2, .height = 2});
  const Case cases[] = {
      {"empty file", {}},
      {"file header only", std::vector<std::byte>(header_only.begin(), header_only.begin() + 14)},
      {"one byte short of the headers",
       std::vector<std::byte>(header_only.begin(), header_only.begin() + 53)},
      {"colour table shorter than announced", short_palette},
      {"absurd colour table", absurd_palette},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BitmapReadResult result = Read(c.file);
    EXPECT_FALSE(result.pixels.has_value());
    EXPECT_EQ(result.messages, std::vector{BitmapMessage::kErrorReadingPalette});
  }
}

TEST(BitmapReader, TruncatedPixelDataKeepsWhatArrivedUnexchangedAndPadsTheRest) {
  struct Case {
    const char* name;
    BitmapFixture fixture;
    std::size_t kept;  // bytes of pixel data left in the file
  };
  const Case cases[] = {
      {"cut inside the second row", {.width = 5, .height = 4}, 23},
      {"cut at a row boundary", {.width = 5, .height = 4}, 32},
      {"no pixel data at all", {.width = 5, .height = 4}, 0},
      {"large picture cut after several read pieces", {.width = 1366, .height = 60}, 150001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::byte> file = MakeBitmap(c.fixture);
    file.resize(54 + c.kept);
    const BitmapReadResult result = Read(file);
    EXPECT_EQ(result.messages, std::vector{BitmapMessage::kErrorReadingBitmapData});
    ASSERT_TRUE(result.pixels.has_value());
    EXPECT_EQ(result.width, c.fixture.width);
    EXPECT_EQ(result.height, c.fixture.height);
    // Large enough for the upload of width × height, and no larger.
    ASSERT_EQ(result.pixels->size(), Stride(c.fixture.width) * c.fixture.height);
    EXPECT_EQ(std::memcmp(result.pixels->data(), file.data() + 54, c.kept), 0)
        << "the bytes that arrived stay in blue-green-red order";
    for (std::size_t i = c.kept; i < result.pixels->size(); ++i) {
      ASSERT_EQ((*result.pixels)[i], 0) << "byte " << i;
    }
  }
}

TEST(BitmapReader, HeadersThatDoNotFitTheFileNeverReachOutsideTheBuffer) {
  struct Case {
    const char* name;
    std::int32_t width;
    std::int32_t height;
    std::uint32_t size_image;
    std::uint16_t bit_count;
    bool has_pixels;
    std::vector<BitmapMessage> messages;
  };
  const auto data_error = std::vector{BitmapMessage::kErrorReadingBitmapData};
  const Case cases[] = {
      {"width and height overflow", 0x7FFFFFFF, 0x7FFFFFFF, 0, 24, false, data_error},
      {"gigapixel picture", 65536, 65536, 0, 24, false, data_error},
      {"top-down picture", 4, -3, 0, 24, false, data_error},
      {"zero width", 0, 3, 0, 24, false, data_error},
      {"negative width", -4, 3, 0, 24, false, data_error},
      {"biSizeImage far beyond the file", 4, 3, 0xFFFFFFF0u, 24, true, data_error},
      {"biSizeImage smaller than the rows", 4, 3, 4, 24, true, {}},
      {"picture larger than the file", 400, 300, 0, 24, true, data_error},
      {"8 bits per pixel, rows shorter than RGB", 8, 3, 0, 8, true, {}},
      {"32 bits per pixel", 2, 2, 0, 32, true, {}},
      {"bit count 0", 4, 3, 0, 0, true, {}},
      {"bit count 65535", 4, 3, 0, 65535, true, data_error},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::byte> file = MakeBitmap({.width = 4, .height = 3});
    test::Put32(file, 18, static_cast<std::uint32_t>(c.width));
    test::Put32(file, 22, static_cast<std::uint32_t>(c.height));
    test::Put32(file, 34, c.size_image);
    file[28] = static_cast<std::byte>(c.bit_count & 0xFF);
    file[29] = static_cast<std::byte>(c.bit_count >> 8);
    const BitmapReadResult result = Read(file);
    EXPECT_EQ(result.messages, c.messages);
    ASSERT_EQ(result.pixels.has_value(), c.has_pixels);
    if (c.has_pixels) {
      // Whatever came in, the exchange and the upload read width × height padded rows, and
      // nothing beyond what the file holds plus that padding was allocated.
      const std::size_t needed = Stride(c.width) * static_cast<std::size_t>(c.height);
      EXPECT_GE(result.pixels->size(), needed);
      EXPECT_LE(result.pixels->size(), std::max(needed, file.size() - 54));
    }
  }
}

}  // namespace
}  // namespace mirokan
