#include "renderer/monitor_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace mirokan {

void PrintTo(const ScreenRect& r, std::ostream* out) {
  *out << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
}

namespace {

constexpr ScreenRect kPrimary{0, 0, 1280, 800};
constexpr ScreenRect kRight{1280, 0, 2304, 768};

struct Layout {
  const char* name;
  std::vector<Monitor> monitors;
  std::vector<ScreenRect> covers;
};

TEST(MonitorLayout, EveryMonitorButThePrimaryGetsACoverOfItsOwnSize) {
  const Layout layouts[] = {
      {"one monitor", {{kPrimary, true}}, {}},
      {"no monitor at all", {}, {}},
      {"second monitor to the right, smaller", {{kPrimary, true}, {kRight, false}}, {kRight}},
      {"primary on the right, listed last; the left one has negative coordinates",
       {{{-1920, -280, 0, 800}, false}, {kPrimary, true}},
       {{-1920, -280, 0, 800}}},
      {"three monitors: left, above, right",
       {{{-1024, 0, 0, 768}, false}, {{0, -1080, 1920, 0}, false}, {kPrimary, true}, {kRight, false}},
       {{-1024, 0, 0, 768}, {0, -1080, 1920, 0}, kRight}},
      // The primary is the flagged monitor, else the one holding 0,0 (not one ending there).
      {"flag wins over the origin", {{kPrimary, false}, {{1280, 0, 2560, 800}, true}}, {kPrimary}},
      {"no flag", {{{-1024, 0, 0, 768}, false}, {kRight, false}, {kPrimary, false}},
       {{-1024, 0, 0, 768}, kRight}},
      {"no flag and nothing at 0,0: covering anything might hide the tunnel",
       {{kRight, false}, {{2560, 0, 3840, 800}, false}},
       {}},
      // Monitors that show nothing new get no cover.
      {"mirror of the primary", {{kPrimary, true}, {{0, 0, 1024, 768}, false}, {kPrimary, false}}, {}},
      {"the same monitor reported twice", {{kPrimary, true}, {kRight, false}, {kRight, false}}, {kRight}},
      {"empty and inverted rectangles",
       {{kPrimary, true},
        {{2000, 0, 2000, 768}, false},
        {{1280, 900, 2304, 900}, false},
        {{2304, 768, 1280, 0}, false}},
       {}},
      {"wider than a window can be", {{kPrimary, true}, {{INT_MIN, 0, INT_MAX, 768}, false}}, {}},
  };
  for (const Layout& layout : layouts) EXPECT_EQ(CoverRects(layout.monitors), layout.covers) << layout.name;
}

}  // namespace
}  // namespace mirokan
