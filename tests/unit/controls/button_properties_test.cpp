#include "saver/controls/button_properties.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace mirokan {
namespace {

const ButtonFont kAmbient{.name = "MS PGothic", .size_points = 9.75, .charset = 128};

TEST(ButtonProperties, SaveThenLoadRoundTrips) {
  const ButtonProperties defaults{.Caption = "Command", .Font = kAmbient};
  const ButtonProperties everything{.Enabled = false,
                                    .Caption = "ｷｬﾝｾﾙ",
                                    .Font = {.name = "Meiryo", .size_points = 12, .weight = 700},
                                    .FirstRun = 0,
                                    .FontColour = 0x80000012u,  // a system colour
                                    .Visible = BackStyle::kTransparent};
  const struct {
    ButtonProperties saved;
    std::size_t stored_count;  // values that differ from their save defaults
    std::string caption_back;
  } cases[] = {{defaults, 0, "Command1"}, {everything, 6, "ｷｬﾝｾﾙ"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption_back);
    PropertyBag bag;
    SaveButtonProperties(c.saved, kAmbient, bag);
    EXPECT_EQ(bag.Size(), c.stored_count);
    ButtonProperties back = everything;  // every missing value must take its load default
    back.Font = kAmbient;
    LoadButtonProperties(bag, kAmbient, back);
    EXPECT_EQ(back.Caption, c.caption_back);
    EXPECT_EQ(std::tie(back.Enabled, back.FirstRun, back.FontColour, back.Visible),
              std::tie(c.saved.Enabled, c.saved.FirstRun, c.saved.FontColour, c.saved.Visible));
    // Only the font's name comes back; the rest stays the label's own.
    EXPECT_EQ(back.Font.name, c.saved.Font.name);
    EXPECT_EQ(back.Font.size_points, kAmbient.size_points);
  }
}

TEST(ButtonProperties, StoredValuesConvertOrLeaveThePropertyAlone) {
  PropertyBag bag;
  bag.Put("Enabled", std::string("perhaps"));
  bag.Put("Caption", std::int64_t{42});
  bag.Put("Font", std::string("Arial"));
  bag.Put("FirstRun", std::int64_t{256});
  bag.Put("FontColour", std::int64_t{-1});  // signed 32-bit form
  bag.Put("Visible", std::string("0"));
  ButtonProperties p{.Enabled = false, .Font = {.name = "Keep Font"}, .FirstRun = 0};
  LoadButtonProperties(bag, kAmbient, p);
  EXPECT_FALSE(p.Enabled);
  EXPECT_EQ(p.Caption, "42");
  EXPECT_EQ(p.Font.name, "Keep Font");
  EXPECT_EQ(p.FirstRun, 0);
  EXPECT_EQ(p.FontColour, 0xFFFFFFFFu);
  EXPECT_EQ(p.Visible, BackStyle::kTransparent);

  EXPECT_EQ(ToWholeNumber(true, -1, 1), -1);  // a stored true is -1
  EXPECT_EQ(ToWholeNumber(std::string("1e30"), 0, 255), std::nullopt);
}

}  // namespace
}  // namespace mirokan
