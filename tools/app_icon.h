// The programs' icon: the tunnel of the settings dialog's first window icon, rings of blue
// light narrowing into a dark centre, at the sizes Windows asks for.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace mirokan::icon {

inline constexpr std::array<int, 5> kIconSizes = {16, 24, 32, 48, 256};

// size x size pixels, top row first, 4 bytes each (blue, green, red, alpha), all opaque.
std::vector<std::uint8_t> TunnelPixels(int size);

// The whole .ico file: one 32-bit picture per size, the largest stored as PNG, as Windows
// expects it.
std::vector<std::uint8_t> IconFile();

}  // namespace mirokan::icon
