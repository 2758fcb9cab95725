#include "common/number_text.h"

#include <gtest/gtest.h>

namespace mirokan {
namespace {

TEST(NumberText, Placeholder) { EXPECT_EQ(ReadLeadingNumber("12"), 12.0); }

}  // namespace
}  // namespace mirokan
