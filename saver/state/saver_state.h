// The state the saver's forms share for one run: the settings, where the cursor stood when
// a form started, the hidden cursor's display count and the last platform call's result.
#pragma once

#include <cstdint>

#include "saver/state/command_line.h"
#include "saver/state/settings.h"

namespace mirokan {

struct SaverState {
  Settings settings;
  std::int16_t CursorStartX = 0;
  std::int16_t CursorStartY = 0;
  std::int32_t CursorCount = 0;
  std::int32_t LastApiResult = 0;
  CommandLine command_line;
};

// Stores a screen coordinate into a 16-bit start point; one beyond 16 bits leaves it as it was.
inline void StoreCoordinate(std::int16_t& target, long value) {
  if (value >= -32768 && value <= 32767) target = static_cast<std::int16_t>(value);
}

}  // namespace mirokan
