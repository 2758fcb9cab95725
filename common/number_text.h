// Number and text conversions shared by both programs.
//
// They follow the rules the settings file, the command line and the dialogs were designed
// around: a lenient leading-number read, strict whole-text parsing, floor and banker's
// rounding into 16- and 32-bit integers that fail instead of wrapping, and the "##" pattern.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirokan {

// Reads the number at the start of `text`: leading blanks are skipped, reading stops at the
// first character that cannot continue the number, and text without digits gives 0.
// Accepts an optional sign, a fraction and a decimal exponent ("1e3").
double ReadLeadingNumber(std::string_view text);

// The whole text as a decimal number: optional surrounding blanks, optional sign, digits with
// an optional fraction. Anything else (empty text, letters, an exponent, two numbers) fails.
std::optional<double> ParseNumber(std::string_view text);

// Rounds towards minus infinity; fails when the result lies outside the target type.
std::optional<std::int16_t> FloorToInt16(double value);

// Rounds to the nearest integer, halves to even; fails when the result lies outside the type.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// Decimal text of a whole number: "-5", "0", "32767".
std::string DecimalText(std::int64_t value);

// The "##" pattern: digits without leading zeros, and 0 as the empty text.
std::string FormatHashHash(std::int64_t value);

}  // namespace mirokan
