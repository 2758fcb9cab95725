// A rectangle of screen pixels, right and bottom exclusive, as the platform reports monitor
// rectangles: the monitors, the virtual screen, where a picture lies on them.
#pragma once

#include <cstdint>

namespace mirokan {

struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

}  // namespace mirokan
