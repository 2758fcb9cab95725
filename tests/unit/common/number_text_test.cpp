// The one home of the number rules; the settings, the dialog and the command line each check
// only that they use them.
#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mirokan {
namespace {

TEST(NumberText, LeadingNumberReadsAsFarAsItCan) {
  const std::pair<const char*, double> cases[] = {
      {"1234", 1234}, {"   42abc", 42}, {"-7.25x", -7.25}, {"1e3", 1000}, {"2e", 2}, {".5", 0.5},
      {"abc", 0},     {"", 0},          {"-", 0},
      {"1e999999", HUGE_VAL}};  // overflow is the caller's range check
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadLeadingNumber(text), value) << text;
}

TEST(NumberText, WholeTextParsing) {
  EXPECT_EQ(ParseNumber(" 2.9 "), 2.9);
  EXPECT_EQ(ParseNumber("+3"), 3.0);
  // Decimal text has no exponent.
  for (const char* text : {"", "   ", "abc", "1 2", "12abc", ".", "1e1", "-2.5E+2"}) {
    EXPECT_FALSE(ParseNumber(text)) << text;
  }
}

TEST(NumberText, IntegerConversionsFailInsteadOfWrapping) {
  EXPECT_EQ(FloorToInt16(2.9), 2);
  EXPECT_EQ(FloorToInt16(-0.5), -1);
  EXPECT_EQ(FloorToInt16(32767.99), 32767);
  EXPECT_FALSE(FloorToInt16(70000));
  EXPECT_FALSE(FloorToInt16(-32768.5));

  EXPECT_EQ(RoundToInt16(2.5), 2);  // halves to even
  EXPECT_EQ(RoundToInt16(3.5), 4);
  EXPECT_EQ(RoundToInt16(-2.5), -2);
  EXPECT_EQ(RoundToInt16(32767.4), 32767);
  EXPECT_FALSE(RoundToInt16(32767.5));
  EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
  EXPECT_FALSE(RoundToInt32(2147483648.0));
}

}  // namespace
}  // namespace mirokan
