#include "common/number_text.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace mirokan {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

enum class Exponent { kAllowed, kRefused };

// Length of the longest prefix of `text` that forms a number, or 0 when it holds no digits.
std::size_t NumberPrefixLength(std::string_view text, Exponent exponent) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  // An exponent counts only when digits follow it; "2e" reads as 2.
  if (exponent == Exponent::kAllowed && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

double ToDouble(std::string_view number) {
  // strtod needs a terminated buffer; the prefix is short and already validated.
  const std::string copy(number);
  return std::strtod(copy.c_str(), nullptr);
}

template <typename Int>
std::optional<Int> Checked(double whole) {
  if (!std::isfinite(whole) || whole < static_cast<double>(std::numeric_limits<Int>::min()) ||
      whole > static_cast<double>(std::numeric_limits<Int>::max())) {
    return std::nullopt;
  }
  return static_cast<Int>(whole);
}

}  // namespace

double ReadLeadingNumber(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  const std::string_view rest = text.substr(start);
  const std::size_t length = NumberPrefixLength(rest, Exponent::kAllowed);
  return length == 0 ? 0.0 : ToDouble(rest.substr(0, length));
}

std::optional<double> ParseNumber(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  std::size_t end = text.size();
  while (end > start && IsBlank(text[end - 1])) --end;
  const std::string_view core = text.substr(start, end - start);
  if (core.empty() || NumberPrefixLength(core, Exponent::kRefused) != core.size()) {
    return std::nullopt;
  }
  const double value = ToDouble(core);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int16_t> FloorToInt16(double value) {
  return Checked<std::int16_t>(std::floor(value));
}

std::optional<std::int16_t> RoundToInt16(double value) {
  // nearbyint honours the default rounding mode, round-half-to-even.
  return Checked<std::int16_t>(std::nearbyint(value));
}

std::optional<std::int32_t> RoundToInt32(double value) {
  return Checked<std::int32_t>(std::nearbyint(value));
}

std::string DecimalText(std::int64_t value) {
  return std::to_string(value);
}

std::string FormatHashHash(std::int64_t value) {
  return value == 0 ? std::string() : std::to_string(value);
}

}  // namespace mirokan
