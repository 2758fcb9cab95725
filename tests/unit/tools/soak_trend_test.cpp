#include "tools/soak_trend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <span>
#include <vector>

namespace mirokan {
namespace {

// A two-minute run sampled every 2 s, the count given by `at` (seconds to value).
Trend Judge(const std::function<double(double)>& at, double margin, double seconds = 120) {
  std::vector<double> t, v;
  for (double s = 0; s <= seconds; s += 2) {
    t.push_back(s);
    v.push_back(at(s));
  }
  return JudgeTrend(t, v, margin);
}

// Deterministic jitter of +-amplitude, like an allocator's pages coming and going.
double Jitter(double s, double amplitude) {
  return amplitude * std::sin(s * 1.7) * std::cos(s * 0.3);
}

struct Case {
  const char* name;
  std::function<double(double)> at;
  double margin;
};

// Leaks grow steadily whatever their shape; noise, a warm-up and one-off steps do not count.
TEST(SoakTrend, OnlyLeaksGrowSteadily) {
  const Case leaks[] = {
      {"a handle every 10 s", [](double s) { return 40 + std::floor(s / 10); }, 8},
      {"8 KiB a second under noise", [](double s) { return 30000 + 8 * s + Jitter(s, 200); }, 512},
      {"a handle every 5 s after a warm-up", [](double s) { return s < 10 ? s : 40 + s / 5; }, 8},
      {"a leak that starts halfway", [](double s) { return 100 + (s > 60 ? (s - 60) / 2 : 0); }, 8},
      {"4 MiB at a time every 30 s", [](double s) { return 30000 + 4096 * std::floor(s / 30); },
       2048},
      {"80 KiB a second, taken by the heap a MiB at a time",
       [](double s) { return 30000 + 1024 * std::floor(s / 12.8); }, 2048},
  };
  const Case steady[] = {
      {"flat", [](double) { return 45.0; }, 2},
      {"noise around a level", [](double s) { return 30000 + Jitter(s, 400); }, 512},
      {"a fast climb in the warm-up, then flat",
       [](double s) { return s < 20 ? 6000 + 5000 * s : 115000; }, 512},
      {"a one-off allocation early on", [](double s) { return s < 50 ? 30000.0 : 33000.0; }, 512},
      {"a single late spike", [](double s) { return s == 110 ? 40000.0 : 30000.0; }, 512},
      {"shrinking", [](double s) { return 200 - s / 2; }, 8},
      {"growth just under the margin", [](double s) { return 100 + 1.9 * s / 120; }, 2},
      // A renderer's heap warming up in a two-minute run under Wine, as sampled.
      {"a heap stepping up four times",
       [](double s) {
         return 116248.0 + (s >= 26 ? 280 : 0) + (s >= 36 ? 236 : 0) + (s >= 48 ? 1028 : 0) +
                (s >= 92 ? 1028 : 0);
       },
       2048},
  };
  for (const bool leak : {true, false}) {
    for (const Case& c : leak ? std::span<const Case>(leaks) : std::span<const Case>(steady)) {
      const Trend trend = Judge(c.at, c.margin);
      EXPECT_EQ(trend.growing, leak) << c.name << ": growth " << trend.growth << ", later "
                                     << trend.later_growth << ", above " << trend.later_above;
    }
  }
}

TEST(SoakTrend, ReportsItsFiguresAndNeedsEnoughSamples) {
  const Trend trend = Judge([](double s) { return 10 + s; }, 8);
  EXPECT_EQ(trend.judged, 49u);  // 61 samples, the first 12 in the warm-up
  EXPECT_NEAR(trend.growth, 96, 1e-9);
  // Nine samples leave seven after the warm-up: too few to call anything a leak.
  EXPECT_FALSE(Judge([](double s) { return s * 100; }, 1, 16).growing);
  EXPECT_EQ(JudgeTrend({}, {}, 1).judged, 0u);
}

}  // namespace
}  // namespace mirokan
