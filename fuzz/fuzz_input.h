// What the text-driven fuzz targets share: the input as text cut into lines, and the check
// that turns a broken invariant into a crash the fuzzer records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace mirokan::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The text up to the next line break, which is consumed; the rest when there is none.
inline std::string_view NextLine(std::string_view& rest) {
  const std::size_t end = rest.find('\n');
  const std::string_view line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return line;
}

inline void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace mirokan::fuzz
