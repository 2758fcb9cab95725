// When a run ends because the mouse moved (the renderer and the saver session each watch on
// their own): the position is compared with the start point at each test (movement is not
// added up), and it must be more than 30 pixels away on both axes at once.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace mirokan {

inline constexpr std::int64_t kMouseExitDistance = 30;

constexpr bool CursorFarFromStart(std::int32_t start_x, std::int32_t start_y, std::int32_t x,
                                  std::int32_t y) {
  const std::int64_t dx = std::int64_t{x} - start_x;
  const std::int64_t dy = std::int64_t{y} - start_y;
  return (dx < 0 ? -dx : dx) > kMouseExitDistance && (dy < 0 ? -dy : dy) > kMouseExitDistance;
}

}  // namespace mirokan
