#include "saver/settings/dialog_rules.h"

#include <gtest/gtest.h>

#include "fake_profile_store.h"

namespace mirokan {
namespace {

TEST(DialogRules, EachKindEnablesItsControlAndMarksItselfOnly) {
  EXPECT_EQ(KindControlsFor(0), (KindControls{false, false, 0}));
  EXPECT_EQ(KindControlsFor(1), (KindControls{true, false, 1}));
  EXPECT_EQ(KindControlsFor(2), (KindControls{false, true, 2}));
  // A hand-edited kind: no mark, nothing enabled.
  EXPECT_EQ(KindControlsFor(3), KindControls{});
  EXPECT_EQ(KindControlsFor(-1), KindControls{});
}

TEST(DialogRules, RepeatListIsAnEmptyItemThenOneToThirty) {
  const std::vector<std::string> items = RepeatListItems();
  ASSERT_EQ(items.size(), 31u);
  EXPECT_EQ(items[0], "");
  EXPECT_EQ(items[30], "30");
  EXPECT_EQ(RepeatText(5), "5");
}

// The typed track is rounded half to even; text that is no 16-bit number saves as 0.
TEST(DialogRules, SaveStoresTheTypedTrackWhateverItIs) {
  const std::pair<const char*, const char*> cases[] = {{"2.5", "2"}, {"abc", "0"}, {"99999", "0"}};
  for (const auto& [typed, stored] : cases) {
    testing::FakeProfileStore store;
    testing::FakePathForms forms;
    Settings settings{.BGMKind = 7, .BGMRepeat = 3, .BGMFile = "C:\\音楽\\曲.mp3"};
    SaveDialogSettings(settings, typed, store, forms, "C:\\Mirokan");
    const std::string path = "C:\\Mirokan\\Mirokan.ini";
    EXPECT_EQ(store.ReadString(kSettingsSection, kKeyBgmKind, path), "7");
    EXPECT_EQ(store.ReadString(kSettingsSection, kKeyBgmRepeat, path), stored) << typed;
    EXPECT_EQ(store.ReadString(kSettingsSection, kKeyBgmFile, path), settings.BGMFile);
  }
}

TEST(DialogRules, BandingAndScaledLayout) {
  EXPECT_EQ(BackgroundRow(0, 250), (BandingColour{0, 0, 30}));
  EXPECT_EQ(BackgroundRow(125, 250), (BandingColour{220, 220, 250}));

  EXPECT_EQ(ScaleRect(dialog_layout::kSetButton, 15), dialog_layout::kSetButton);
  // 144 dpi: everything grows by half, and touching neighbours still touch.
  EXPECT_EQ(ScaleRect(dialog_layout::kMusicPanel, 10), (DesignRect{18, 42, 680, 254}));
  const DesignRect frame = ScaleRect(dialog_layout::kHeadingFrame, 10);
  const DesignRect box = ScaleRect(dialog_layout::kRepeatBox, 10);
  EXPECT_EQ(frame.left + frame.width, box.left + box.width);
}

}  // namespace
}  // namespace mirokan
