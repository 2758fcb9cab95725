#include "renderer/monitor_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace mirokan {
namespace {

constexpr ScreenRect kPrimary{0, 0, 1280, 800};

struct Layout {
  const char* name;
  std::vector<Monitor> monitors;
  std::vector<ScreenRect> covers;
};

void ExpectCovers(const std::vector<Layout>& layouts) {
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    const std::vector<ScreenRect> covers = CoverRects(layout.monitors);
    ASSERT_EQ(covers.size(), layout.covers.size());
    for (std::size_t i = 0; i < covers.size(); ++i) {
      EXPECT_EQ(covers[i], layout.covers[i])
          << "cover " << i << " at " << covers[i].left << "," << covers[i].top << "-"
          << covers[i].right << "," << covers[i].bottom;
    }
  }
}

TEST(MonitorLayout, EveryMonitorButThePrimaryGetsACoverOfItsOwnSize) {
  ExpectCovers({
      {"one monitor", {{kPrimary, true}}, {}},
      {"no monitor at all", {}, {}},
      {"second monitor to the right, smaller",
       {{kPrimary, true}, {{1280, 0, 2304, 768}, false}},
       {{1280, 0, 2304, 768}}},
      {"primary on the right, listed last; the left one has negative coordinates",
       {{{-1920, -280, 0, 800}, false}, {kPrimary, true}},
       {{-1920, -280, 0, 800}}},
      {"three monitors: left, above, right",
       {{{-1024, 0, 0, 768}, false},
        {{0, -1080, 1920, 0}, false},
        {kPrimary, true},
        {{1280, 100, 2560, 1124}, false}},
       {{-1024, 0, 0, 768}, {0, -1080, 1920, 0}, {1280, 100, 2560, 1124}}},
  });
}

TEST(MonitorLayout, ThePrimaryIsTheFlaggedMonitorElseTheOneAtTheOrigin) {
  ExpectCovers({
      {"flag wins over the origin", {{kPrimary, false}, {{1280, 0, 2560, 800}, true}}, {kPrimary}},
      {"no flag: the monitor holding 0,0, not the one ending there",
       {{{-1024, 0, 0, 768}, false}, {{1280, 0, 2560, 800}, false}, {kPrimary, false}},
       {{-1024, 0, 0, 768}, {1280, 0, 2560, 800}}},
      {"no flag and nothing at 0,0: covering anything might hide the tunnel",
       {{{1280, 0, 2560, 800}, false}, {{2560, 0, 3840, 800}, false}},
       {}},
  });
}

TEST(MonitorLayout, MonitorsThatShowNothingNewGetNoCover) {
  ExpectCovers({
      {"mirror of the primary",
       {{kPrimary, true}, {{0, 0, 1024, 768}, false}, {kPrimary, false}},
       {}},
      {"the same second monitor reported twice",
       {{kPrimary, true}, {{1280, 0, 2304, 768}, false}, {{1280, 0, 2304, 768}, false}},
       {{1280, 0, 2304, 768}}},
      {"empty and inverted rectangles",
       {{kPrimary, true},
        {{2000, 0, 2000, 768}, false},
        {{1280, 900, 2304, 900}, false},
        {{2304, 768, 1280, 0}, false}},
       {}},
      {"wider than a window can be", {{kPrimary, true}, {{INT_MIN, 0, INT_MAX, 768}, false}}, {}},
  });
}

}  // namespace
}  // namespace mirokan
