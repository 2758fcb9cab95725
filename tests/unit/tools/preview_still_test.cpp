// The preview's still: the committed picture is what the tool makes, and it shows the tunnel
// through the sample desktop.
#include "tools/preview_still.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "renderer/bitmap_reader.h"

namespace mirokan {
namespace {

using Rgb = std::array<int, 3>;

std::vector<std::uint8_t> Committed() {
  std::ifstream in(MIROKAN_PREVIEW_STILL, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The still's pixels, top row first, through the renderer's own reader.
std::vector<Rgb> PixelsOf(const std::vector<std::uint8_t>& file) {
  MemoryByteSource source(std::as_bytes(std::span(file)));
  const BitmapReadResult read = ReadBitmap(source);
  std::vector<Rgb> pixels;
  for (int y = read.height - 1; read.pixels && y >= 0; --y) {
    for (int x = 0; x < read.width; ++x) {
      const std::uint8_t* p = &(*read.pixels)[y * PaddedRowLength(read.width) + x * 3];
      pixels.push_back({p[0], p[1], p[2]});
    }
  }
  return pixels;
}

TEST(PreviewStill, ReRunningTheToolReproducesTheCommittedStill) {
  std::string error;
  const std::vector<std::uint8_t> made = still::RenderStill(error);
  if (made.empty()) GTEST_SKIP() << "cannot render: " << error;
  const std::vector<std::uint8_t> committed = Committed();
  ASSERT_EQ(made.size(), committed.size());
  ASSERT_TRUE(std::equal(made.begin(), made.begin() + kBitmapHeaderSize, committed.begin()));

  // llvmpipe gives the same bytes on every run here; another processor or Mesa release may
  // round an edge differently, so a little is allowed, far less than a hand edit or another
  // frame (the next frame differs by 36 on average).
  int largest = 0, beyond_two = 0;
  double total = 0;
  for (std::size_t i = kBitmapHeaderSize; i < made.size(); ++i) {
    const int difference = std::abs(made[i] - committed[i]);
    largest = std::max(largest, difference);
    total += difference;
    beyond_two += difference > 2;
  }
  const double bytes = static_cast<double>(made.size() - kBitmapHeaderSize);
  EXPECT_LE(largest, 48);
  EXPECT_LE(total / bytes, 0.25);
  EXPECT_LE(beyond_two / bytes, 0.03);
}

TEST(PreviewStill, ShowsTheTunnelThroughTheSampleDesktop) {
  const std::vector<Rgb> pixels = PixelsOf(Committed());
  ASSERT_EQ(pixels.size(), std::size_t{still::kStillWidth} * still::kStillHeight);

  // The far end: the darkest pixel is the open hole (no colour of the desktop comes near
  // black), and it lies in the middle half of the picture.
  const auto sum = [](const Rgb& c) { return c[0] + c[1] + c[2]; };
  const auto darkest = std::min_element(
      pixels.begin(), pixels.end(), [&](const Rgb& a, const Rgb& b) { return sum(a) < sum(b); });
  EXPECT_LT(sum(*darkest), 60);
  const int at = static_cast<int>(darkest - pixels.begin());
  const int x = at % still::kStillWidth, y = at / still::kStillWidth;
  EXPECT_TRUE(x >= 38 && x < 114 && y >= 28 && y < 84) << x << "," << y;

  // The desktop's own colours on the walls: the picture window, the note, the icons, the
  // backdrop's blue top.
  for (const Rgb colour : {Rgb{0xE0, 0x7A, 0x5F}, Rgb{0xF4, 0xF1, 0xDE}, Rgb{0xFF, 0xD1, 0x66},
                           Rgb{0x1D, 0x4E, 0x89}}) {
    const bool found = std::any_of(pixels.begin(), pixels.end(), [&](const Rgb& p) {
      return std::abs(p[0] - colour[0]) + std::abs(p[1] - colour[1]) + std::abs(p[2] - colour[2]) <=
             6;
    });
    EXPECT_TRUE(found) << "no pixel near " << colour[0] << ", " << colour[1] << ", " << colour[2];
  }
}

}  // namespace
}  // namespace mirokan
