// The programs' icon: the committed file is what the tool makes.
#include "tools/app_icon.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace mirokan {
namespace {

TEST(AppIcon, ReRunningTheToolReproducesTheCommittedIcon) {
  std::ifstream in(MIROKAN_APP_ICON, std::ios::binary);
  const std::vector<std::uint8_t> committed{std::istreambuf_iterator<char>(in),
                                            std::istreambuf_iterator<char>()};
  EXPECT_TRUE(icon::IconFile() == committed)
      << "resources/mirokan.ico is not what tools/app_icon makes: re-run it, or see why not";
}

}  // namespace
}  // namespace mirokan
