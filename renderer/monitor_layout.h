// The monitors as the renderer found them at start, and where its black covers go: every
// monitor but the primary (which the tunnel window fills) gets one, so no live desktop shows
// while the tunnel runs.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mirokan {

// Screen pixels, right and bottom exclusive, as the platform reports monitor rectangles.
struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

struct Monitor {
  ScreenRect rect;
  bool primary = false;
};

// One rectangle per cover, in the order of `monitors`. The primary is the monitor flagged so,
// else the one holding the screen origin; without either nothing is covered, since a cover
// might then hide the tunnel. Empty monitors, monitors lying inside the primary (a mirrored
// display shows the tunnel already) and monitors inside an earlier cover get none.
std::vector<ScreenRect> CoverRects(std::span<const Monitor> monitors);

}  // namespace mirokan
