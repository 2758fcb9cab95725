#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mirokan {
namespace {

TEST(NumberText, LeadingNumberReadsAsFarAsItCan) {
  EXPECT_EQ(ReadLeadingNumber("1234"), 1234.0);
  EXPECT_EQ(ReadLeadingNumber("   42abc"), 42.0);
  EXPECT_EQ(ReadLeadingNumber("-7.25x"), -7.25);
  EXPECT_EQ(ReadLeadingNumber("1e3"), 1000.0);
  EXPECT_EQ(ReadLeadingNumber("2e"), 2.0);
  EXPECT_EQ(ReadLeadingNumber(".5"), 0.5);
  EXPECT_EQ(ReadLeadingNumber("abc"), 0.0);
  EXPECT_EQ(ReadLeadingNumber(""), 0.0);
  EXPECT_EQ(ReadLeadingNumber("-"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("1e999999"), HUGE_VAL);  // overflow is the caller's range check
}

TEST(NumberText, WholeTextParsing) {
  EXPECT_EQ(ParseNumber(" 2.9 "), 2.9);
  EXPECT_EQ(ParseNumber("+3"), 3.0);
  EXPECT_FALSE(ParseNumber(""));
  EXPECT_FALSE(ParseNumber("   "));
  EXPECT_FALSE(ParseNumber("abc"));
  EXPECT_FALSE(ParseNumber("1 2"));
  EXPECT_FALSE(ParseNumber("12abc"));
  EXPECT_FALSE(ParseNumber("."));
  EXPECT_FALSE(ParseNumber("1e1")) << "decimal text has no exponent";
  EXPECT_FALSE(ParseNumber("-2.5E+2"));
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
