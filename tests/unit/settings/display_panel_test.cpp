#include "saver/settings/display_panel.h"

#include <gtest/gtest.h>

#include <vector>

namespace mirokan {
namespace {

struct TickLog {
  std::vector<int> band_x;
  std::vector<int> star;  // -1 when no star is drawn
};

TickLog Ticks(const PanelGeometry& geometry, int count) {
  PanelState state = InitialPanelState(geometry);
  TickLog run;
  for (int i = 0; i < count; ++i) {
    const PanelFrame frame = AdvancePanel(state, geometry);
    run.band_x.push_back(frame.band_x);
    run.star.push_back(frame.star_picture ? *frame.star_picture : -1);
  }
  return run;
}

TEST(DisplayPanelTimeline, SweepOf48TicksWithTheStarOnTheEightTicksFrom243To299) {
  const PanelGeometry design;
  const TickLog run = Ticks(design, 3 * 48);
  const std::vector<int> sequence{0, 1, 2, 3, 3, 2, 1, 0};
  for (int tick = 0; tick < 3 * 48; ++tick) {
    const int band = -69 + 8 * (tick % 48);
    ASSERT_EQ(run.band_x[tick], band) << "tick " << tick;
    const int expected = band >= 243 && band <= 299 ? sequence[(band - 243) / 8] : -1;
    ASSERT_EQ(run.star[tick], expected) << "band at " << band;
  }
}

TEST(DisplayPanelTimeline, NoStarOnPanelsNarrowerThan251) {
  PanelGeometry narrow;
  narrow.display_width = 250;
  for (int star : Ticks(narrow, 500).star) ASSERT_EQ(star, -1);
  narrow.display_width = 251;
  EXPECT_NE(Ticks(narrow, 60).star, std::vector<int>(60, -1));
}

// Grey, as bright on every row, slanting from column 53 at the top to 18 at the bottom and
// about 14 columns wide at half strength.
TEST(DisplayPanelPictures, BandSlantsUpToTheRight) {
  const RgbImage band = BandPicture(PanelGeometry{});
  ASSERT_EQ(std::pair(band.Width(), band.Height()), std::pair(69, 125));
  int previous_at = 69, top_peak = 0;
  for (int row = 0; row < 125; ++row) {
    int best = 0, at = -1, half = 0;
    for (int x = 0; x < 69; ++x) {
      const Rgb p = band.At(x, row);
      ASSERT_TRUE(p.r == p.g && p.g == p.b);
      if (p.r > best) best = p.r, at = x;
      half += p.r >= 87;
    }
    if (row == 0) top_peak = best;
    EXPECT_EQ(best, top_peak) << "row " << row;
    EXPECT_LE(at, previous_at) << "row " << row;
    EXPECT_NEAR(half, 14, 1) << "row " << row;
    previous_at = at;
  }
  EXPECT_EQ(band.At(53, 0).r, top_peak);
  EXPECT_EQ(band.At(18, 124).r, top_peak);
}

// Each star lights a square centred in its 28 x 28 picture, larger with each index, as an X.
TEST(DisplayPanelPictures, StarsGrowAsDiagonalCrosses) {
  int previous_first = 28;
  for (int index = 0; index < kStarPictures; ++index) {
    const RgbImage star = StarPicture(index, PanelGeometry{});
    int min_x = 28, max_x = -1, min_y = 28, max_y = -1;
    for (int y = 0; y < 28; ++y) {
      for (int x = 0; x < 28; ++x) {
        if (star.At(x, y).r == 0) continue;
        min_x = std::min(min_x, x), max_x = std::max(max_x, x);
        min_y = std::min(min_y, y), max_y = std::max(max_y, y);
      }
    }
    EXPECT_EQ(std::tuple(min_y, max_x, max_y), std::tuple(min_x, 27 - min_x, 27 - min_x)) << index;
    EXPECT_LT(min_x, previous_first) << "star " << index;
    previous_first = min_x;
    const int k = (max_x - min_x) / 2 - 1;  // the diagonal outshines the axis
    EXPECT_GT(star.At(14 + k, 14 + k).r, star.At(14 + k, 14).r) << "star " << index;
  }
}

TEST(DisplayPanelBlend, AddsLightAndSaturatesAt255) {
  EXPECT_EQ(AddLight(0, 174), 173);
  EXPECT_EQ(AddLight(200, 174), 255);

  // A 5 x 3 destination with a 2-byte row padding; the light hangs over its left and bottom.
  std::vector<std::uint8_t> rows(3 * 17, 7);
  const BgrPixels destination{rows.data(), 5, 3, 17};
  RgbImage light(3, 3, Rgb{100, 0, 255});
  light.Set(1, 1, Rgb{});
  AddLightAt(destination, light, -1, 1);
  const auto pixel = [&](int x, int y) {
    const std::uint8_t* p = rows.data() + y * 17 + x * 3;
    return Rgb{p[2], p[1], p[0]};
  };
  const Rgb lit{107, 7, 255}, dark{7, 7, 7};  // red adds, blue saturates
  // Above the light, its black middle, right of it; then the two lit pixels.
  for (const auto& [x, y] : {std::pair{0, 0}, {0, 2}, {2, 1}}) EXPECT_EQ(pixel(x, y), dark);
  EXPECT_EQ(pixel(0, 1), lit);
  EXPECT_EQ(pixel(1, 2), lit);
  EXPECT_EQ(rows[15], 7);  // row padding untouched
  EXPECT_EQ(rows[2 * 17 + 16], 7);
}

}  // namespace
}  // namespace mirokan
