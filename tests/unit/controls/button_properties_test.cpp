#include "saver/controls/button_properties.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirokan {
namespace {

const ButtonFont kAmbient{.name = "MS PGothic", .size_points = 9.75, .charset = 128};

ButtonProperties Loaded(const PropertyBag& bag) {
  ButtonProperties properties;
  properties.Font = kAmbient;
  LoadButtonProperties(bag, kAmbient, properties);
  return properties;
}

TEST(ButtonProperties, NothingStoredGivesTheLoadDefaults) {
  const ButtonProperties p = Loaded(PropertyBag{});
  EXPECT_TRUE(p.Enabled);
  EXPECT_EQ(p.Caption, "Command1");
  EXPECT_EQ(p.Font, kAmbient);
  EXPECT_EQ(p.FirstRun, 1);
  EXPECT_EQ(p.FontColour, 0u);
  EXPECT_EQ(p.Visible, BackStyle::Opaque);
}

TEST(ButtonProperties, SaveThenLoadRoundTrips) {
  struct Case {
    const char* name;
    ButtonProperties saved;
    std::size_t stored_count;  // values that differ from their save defaults
    std::string caption_back;
  };
  ButtonProperties defaults;
  defaults.Font = kAmbient;
  defaults.Caption = "Command";
  ButtonProperties dialog_button = defaults;
  dialog_button.Caption = "設定";
  ButtonProperties everything;
  everything.Enabled = false;
  everything.Caption = "ｷｬﾝｾﾙ";
  everything.Font = {.name = "Meiryo", .size_points = 12, .weight = 700};
  everything.FirstRun = 0;
  everything.FontColour = 0x80000012u;  // a system colour
  everything.Visible = BackStyle::Transparent;
  const Case cases[] = {
      {"all at their save defaults", defaults, 0, "Command1"},
      {"a dialog button stores only its caption", dialog_button, 1, "設定"},
      {"every value changed", everything, 6, "ｷｬﾝｾﾙ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PropertyBag bag;
    SaveButtonProperties(c.saved, kAmbient, bag);
    EXPECT_EQ(bag.Size(), c.stored_count);
    const ButtonProperties back = Loaded(bag);
    EXPECT_EQ(back.Enabled, c.saved.Enabled);
    EXPECT_EQ(back.Caption, c.caption_back);
    EXPECT_EQ(back.FirstRun, c.saved.FirstRun);
    EXPECT_EQ(back.FontColour, c.saved.FontColour);
    EXPECT_EQ(back.Visible, c.saved.Visible);
    // Only the font's name comes back; the rest stays the label's own.
    EXPECT_EQ(back.Font.name, c.saved.Font.name);
    EXPECT_EQ(back.Font.size_points, kAmbient.size_points);
    EXPECT_EQ(back.Font.weight, kAmbient.weight);
  }
}

TEST(ButtonProperties, StoredValuesThatDoNotConvertLeaveThePropertyAlone) {
  ButtonProperties before;
  before.Enabled = false;
  before.Caption = "keep";
  before.Font = {.name = "Keep Font"};
  before.FirstRun = 1;
  before.FontColour = 0x123456;
  before.Visible = BackStyle::Transparent;
  PropertyBag bag;
  bag.Put("Enabled", std::string("perhaps"));
  bag.Put("Caption", ButtonFont{});
  bag.Put("Font", std::string("Arial"));
  bag.Put("FirstRun", std::int64_t{256});
  bag.Put("FontColour", std::string("blue"));
  bag.Put("Visible", std::int64_t{2});
  ButtonProperties after = before;
  LoadButtonProperties(bag, kAmbient, after);
  EXPECT_EQ(after.Enabled, before.Enabled);
  EXPECT_EQ(after.Caption, before.Caption);
  EXPECT_EQ(after.Font, before.Font);
  EXPECT_EQ(after.FirstRun, before.FirstRun);
  EXPECT_EQ(after.FontColour, before.FontColour);
  EXPECT_EQ(after.Visible, before.Visible);
}

TEST(ButtonProperties, StoredValuesOfOtherKindsConvert) {
  PropertyBag bag;
  bag.Put("Enabled", std::string("false"));
  bag.Put("Caption", std::int64_t{42});
  bag.Put("FirstRun", std::string(" 0 "));
  bag.Put("FontColour", std::int64_t{-1});  // signed 32-bit form
  bag.Put("Visible", std::string("0"));
  const ButtonProperties p = Loaded(bag);
  EXPECT_FALSE(p.Enabled);
  EXPECT_EQ(p.Caption, "42");
  EXPECT_EQ(p.FirstRun, 0);
  EXPECT_EQ(p.FontColour, 0xFFFFFFFFu);
  EXPECT_EQ(p.Visible, BackStyle::Transparent);
}

TEST(PropertyConversions, Table) {
  EXPECT_EQ(ToBoolean(std::string("TRUE")), true);
  EXPECT_EQ(ToBoolean(std::string("-1")), true);
  EXPECT_EQ(ToBoolean(std::int64_t{0}), false);
  EXPECT_EQ(ToBoolean(std::string("")), std::nullopt);
  EXPECT_EQ(ToWholeNumber(true, -1, 1), -1);  // a stored true is -1
  EXPECT_EQ(ToWholeNumber(true, 0, 255), std::nullopt);
  EXPECT_EQ(ToWholeNumber(std::string("2.5"), 0, 255), 2);  // halves to even
  EXPECT_EQ(ToWholeNumber(std::string("1e30"), 0, 255), std::nullopt);
  EXPECT_EQ(ToWholeNumber(std::string("7x"), 0, 255), std::nullopt);
  EXPECT_EQ(ToText(false), "False");
}

TEST(PropertyBag, AValueEqualToItsDefaultIsNotStored) {
  PropertyBag bag;
  bag.Write("Caption", std::string("Command"), std::string("Command"));
  EXPECT_FALSE(bag.Contains("Caption"));
  bag.Write("Caption", std::string("Go"), std::string("Command"));
  EXPECT_EQ(bag.Read("Caption"), PropertyValue(std::string("Go")));
  // Writing the default again removes what was stored.
  bag.Write("Caption", std::string("Command"), std::string("Command"));
  EXPECT_EQ(bag.Size(), 0u);
}

}  // namespace
}  // namespace mirokan
