#include "renderer/monitor_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ostream>
#include <vector>

#include "renderer/bitmap_reader.h"

namespace mirokan {

void PrintTo(const ScreenRect& r, std::ostream* out) {
  *out << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
}
void PrintTo(const Tunnel& t, std::ostream* out) {
  PrintTo(t.screen, out);
  *out << " lined ";
  if (t.picture)
    PrintTo(*t.picture, out);
  else
    *out << "black";
}

namespace {

constexpr ScreenRect kPrimary{0, 0, 1280, 800};
constexpr ScreenRect kRight{1280, 0, 2304, 768};
constexpr ScreenRect kLeft{-1920, -280, 0, 800};

struct Layout {
  const char* name;
  std::vector<Monitor> now;
  std::vector<Monitor> pictured;  // as `now` when empty
  std::int32_t width, height;     // of the picture
  std::vector<Tunnel> tunnels;
};

TEST(MonitorLayout, EachMonitorGetsATunnelLinedWithItsOwnPartOfThePicture) {
  const Monitor a{kPrimary, true, L"A"}, b{kRight, false, L"B"}, c{kLeft, false, L"C"};
  const std::vector<Layout> layouts = {
      {"one monitor", {a}, {}, 1280, 800, {{kPrimary, ScreenRect{0, 0, 1280, 800}}}},
      {"one monitor, a picture of another size: whole, as ever",
       {a},
       {},
       640,
       480,
       {{kPrimary, ScreenRect{0, 0, 640, 480}}}},
      {"a smaller one to the right: the picture's strip below it is no one's",
       {a, b},
       {},
       2304,
       800,
       {{kPrimary, ScreenRect{0, 0, 1280, 800}}, {kRight, ScreenRect{1280, 0, 2304, 768}}}},
      {"primary listed last, the other left and above it at negative coordinates",
       {c, a},
       {},
       3200,
       1080,
       {{kPrimary, ScreenRect{1920, 280, 3200, 1080}}, {kLeft, ScreenRect{0, 0, 1920, 1080}}}},
      {"no flag: the monitor holding 0,0 (not the one ending there) comes first",
       {{kLeft, false, L"C"}, {kPrimary, false, L"A"}},
       {},
       3200,
       1080,
       {{kPrimary, ScreenRect{1920, 280, 3200, 1080}}, {kLeft, ScreenRect{0, 0, 1920, 1080}}}},
      {"a mirror of the primary, a smaller clone inside it and the same monitor twice",
       {a, {kPrimary, false, L"M"}, {{0, 0, 1024, 768}, false, L"S"}, b, {kRight, false, L"B2"}},
       {},
       2304,
       800,
       {{kPrimary, ScreenRect{0, 0, 1280, 800}}, {kRight, ScreenRect{1280, 0, 2304, 768}}}},
      {"a monitor added after the picture shows black; a moved and resized one keeps its part",
       {a, {{1280, 0, 3200, 1080}, false, L"B"}, c},
       {a, b},
       2304,
       800,
       {{kPrimary, ScreenRect{0, 0, 1280, 800}},
        {{1280, 0, 3200, 1080}, ScreenRect{1280, 0, 2304, 768}},
        {kLeft, std::nullopt}}},
      {"a picture that is not of these monitors lines the primary alone, whole",
       {a, b},
       {},
       1280,
       800,
       {{kPrimary, ScreenRect{0, 0, 1280, 800}}, {kRight, std::nullopt}}},
      {"empty, inverted and oversized monitors get nothing",
       {a,
        {{2000, 0, 2000, 768}, false, L"E"},
        {{2304, 768, 1280, 0}, false, L"I"},
        {{INT_MIN, 0, INT_MAX, 768}, false, L"O"}},
       {},
       1280,
       800,
       {{kPrimary, ScreenRect{0, 0, 1280, 800}}}},
      {"no monitor at all", {}, {}, 1280, 800, {}},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    const std::vector<Monitor>& pictured = layout.pictured.empty() ? layout.now : layout.pictured;
    const std::vector<Tunnel> tunnels =
        PlaceTunnels(layout.now, pictured, layout.width, layout.height);
    EXPECT_EQ(tunnels, layout.tunnels);
    // The textures are made once, from the parts: every tunnel's part must be one of them.
    const std::vector<ScreenRect> parts = PictureParts(pictured, layout.width, layout.height);
    for (const Tunnel& tunnel : tunnels) {
      if (tunnel.picture) {
        EXPECT_NE(std::ranges::find(parts, *tunnel.picture), parts.end());
      }
    }
  }
  const std::vector<Tunnel> spread = {{kLeft, {}}, {kRight, {}}, {{0, -600, 800, 0}, {}}};
  EXPECT_EQ(BoundingRect(spread), (ScreenRect{-1920, -600, 2304, 800}));
}

// Every byte says where it lies: the part comes out bottom row first, with its own padding.
TEST(MonitorLayout, APartBeginsAtItsLowestRowInTheSnapshotsOrder) {
  // 5 × 4 pixels, rows of 16 bytes, bottom row first: top-down rows 0 and 1 are stored rows 3
  // and 2, so a part over them begins on stored row 2; column 1 is byte 3.
  EXPECT_EQ(PartOffset(5, 4, {1, 0, 3, 2}), 2u * 16 + 3);
  EXPECT_EQ(PartOffset(5, 4, {0, 2, 5, 4}), 0u);
  // In a picture held at half size: the second of three 8K monitors, and a part whose edges
  // fall inside blocks, which it takes whole.
  EXPECT_EQ(HeldPart({7680, 0, 15360, 4320}, 2, 11520, 2160), (ScreenRect{3840, 0, 7680, 2160}));
  EXPECT_EQ(HeldPart({1, 1, 5, 5}, 2, 3, 3), (ScreenRect{0, 0, 3, 3}));
}

}  // namespace
}  // namespace mirokan
