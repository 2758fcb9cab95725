#include "tools/soak_trend.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace mirokan {
namespace {

// Least-squares slope of values over seconds; 0 when the times do not spread.
double Slope(std::span<const double> seconds, std::span<const double> values) {
  const double n = static_cast<double>(seconds.size());
  double mean_t = 0, mean_v = 0;
  for (std::size_t i = 0; i < seconds.size(); ++i) {
    mean_t += seconds[i] / n;
    mean_v += values[i] / n;
  }
  double covariance = 0, spread = 0;
  for (std::size_t i = 0; i < seconds.size(); ++i) {
    covariance += (seconds[i] - mean_t) * (values[i] - mean_v);
    spread += (seconds[i] - mean_t) * (seconds[i] - mean_t);
  }
  return spread > 0 ? covariance / spread : 0;
}

double Median(std::span<const double> values) {
  std::vector<double> sorted(values.begin(), values.end());
  std::sort(sorted.begin(), sorted.end());
  const std::size_t half = sorted.size() / 2;
  return sorted.size() % 2 ? sorted[half] : (sorted[half - 1] + sorted[half]) / 2;
}

}  // namespace

Trend JudgeTrend(std::span<const double> seconds, std::span<const double> values, double margin,
                 double warm_up) {
  assert(seconds.size() == values.size() && "one time per sample");
  Trend trend;
  if (seconds.empty()) return trend;
  const double start = seconds.front() + warm_up * (seconds.back() - seconds.front());
  const auto first = static_cast<std::size_t>(
      std::lower_bound(seconds.begin(), seconds.end(), start) - seconds.begin());
  const auto t = seconds.subspan(first);
  const auto v = values.subspan(first);
  trend.judged = t.size();
  if (trend.judged < 8) return trend;

  trend.baseline = Median(v.first(std::max<std::size_t>(1, v.size() / 4)));
  trend.span = t.back() - t.front();
  trend.growth = Slope(t, v) * trend.span;
  const std::size_t half = v.size() / 2;
  const auto later_t = t.subspan(half);
  const auto later_v = v.subspan(half);
  trend.later_growth = Slope(later_t, later_v) * (later_t.back() - later_t.front());
  trend.later_above =
      static_cast<double>(std::count_if(later_v.begin(), later_v.end(),
                                        [&](double x) { return x > trend.baseline; })) /
      static_cast<double>(later_v.size());
  std::size_t rises = 0;
  for (std::size_t i = 1; i < later_v.size(); ++i) rises += later_v[i] > later_v[i - 1] ? 1 : 0;
  trend.later_rises =
      later_v.size() > 1 ? static_cast<double>(rises) / static_cast<double>(later_v.size() - 1) : 0;
  trend.growing = trend.growth > margin && trend.later_growth > margin / 4 &&
                  trend.later_above >= 0.75 &&
                  (trend.later_rises >= 0.15 || trend.growth > 3 * margin);
  return trend;
}

}  // namespace mirokan
