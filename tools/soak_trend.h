// Whether a count sampled over a long run grows steadily: a leak, as opposed to noise, a
// warm-up or a one-off allocation.
#pragma once

#include <cstddef>
#include <span>

namespace mirokan {

struct Trend {
  std::size_t judged = 0;   // samples after the warm-up
  double baseline = 0;      // median of the first quarter of the judged samples
  double span = 0;          // seconds from the first judged sample to the last
  double growth = 0;        // least-squares slope times the span
  double later_growth = 0;  // the same over the later half alone
  double later_above = 0;   // share of the later half above the baseline
  double later_rises = 0;   // share of the later half's sample-to-sample steps that rise
  bool growing = false;
};

// The first `warm_up` share of the run's time is left out (caches, pools, the first
// frames). A count grows steadily when its growth over the rest exceeds `margin`, the later
// half still grows by a quarter of it (a one-off step early on is flat there), at least three
// quarters of the later half stand above the baseline (noise straddles it), and the later half
// rises again and again: in at least 15 % of its steps, unless the growth passes three margins.
// (A heap that takes its memory in steps of up to a MiB rises a few times while it warms up,
// which a short run would otherwise take for a leak.) Fewer than eight judged samples never
// count as growing. `seconds` must be ascending and as long as `values`.
Trend JudgeTrend(std::span<const double> seconds, std::span<const double> values, double margin,
                 double warm_up = 0.2);

}  // namespace mirokan
