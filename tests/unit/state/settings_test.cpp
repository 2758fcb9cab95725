#include "saver/state/settings.h"

#include <gtest/gtest.h>

#include "fake_profile_store.h"

namespace mirokan {
namespace {

constexpr char kFolder[] = "C:\\Saver";
const std::string kIni = SettingsFilePath(kFolder);

class SettingsRules : public ::testing::Test {
 protected:
  Settings Load(Settings settings = {}) {
    LoadSettings(settings, store, forms, kFolder);
    return settings;
  }
  testing::FakeProfileStore store;
  testing::FakePathForms forms;
  testing::FakeFileProbe probe;
};

TEST_F(SettingsRules, NumbersAreFlooredAndBadOnesLeaveTheField) {
  EXPECT_EQ(Load(), (Settings{0, 0, ""})) << "a missing file gives no music";
  // Exactly what number_text's strict read and floor accept; anything else keeps the field.
  const std::pair<const char*, std::int16_t> cases[] = {{"2.9", 2}, {"-0.5", -1}, {"", 0},
                                                        {"abc", 9}, {"1e1", 9},   {"70000", 9}};
  store.Put(kIni, kKeyBgmFile, "C:\\f.wav");  // so that a kind of 2 stays 2
  for (const auto& [text, expected] : cases) {
    store.Put(kIni, kKeyBgmKind, text);
    store.Put(kIni, kKeyBgmRepeat, text);
    const Settings loaded = Load({9, 9, ""});
    EXPECT_EQ(loaded.BGMKind, expected) << text;
    EXPECT_EQ(loaded.BGMRepeat, expected) << text;
  }
}

// Loading keeps a file that is away (an unplugged drive); only the session gives it up.
TEST_F(SettingsRules, FileKindNeedsAFileAndOnlyTheSessionTestsIt) {
  store.Put(kIni, kKeyBgmKind, "2");
  EXPECT_EQ(Load().BGMKind, 0) << "kind 2 without any file";
  store.Put(kIni, kKeyBgmFile, "Q:\\Music\\unplugged.mp3");
  EXPECT_EQ(Load(), (Settings{2, 0, "Q:\\Music\\unplugged.mp3"}));

  // The probe sees the path without a trailing backslash; a folder never opens.
  probe.files.insert("C:\\Music\\song.wav");
  EXPECT_TRUE(FileExists(probe, "C:\\Music\\song.wav\\"));
  EXPECT_FALSE(FileExists(probe, "C:\\Music\\"));
  EXPECT_FALSE(FileExists(probe, "\\"));
}

TEST_F(SettingsRules, SavingWritesAllThreeKeysInOrderAndReadsBack) {
  // 90 kanji: 180 bytes in code page 932 but 270 in UTF-8, so nothing may cut the path.
  std::string path = "D:\\a b\\";
  for (int i = 0; i < 90; ++i) path += "曲";
  path += ".mp3";
  SaveSettings({2, -1, path}, store, forms, kFolder);
  EXPECT_EQ(store.written_keys,
            (std::vector<std::string>{kKeyBgmKind, kKeyBgmRepeat, kKeyBgmFile}));
  EXPECT_EQ(Load(), (Settings{2, -1, path}));

  // Kind 2 with no file chosen is written as it is and comes back as no music.
  SaveSettings({2, 0, ""}, store, forms, kFolder);
  EXPECT_EQ(Load().BGMKind, 0);

  // A failed write is silent and changes nothing.
  store.read_only = true;
  SaveSettings({1, 4, ""}, store, forms, kFolder);
  EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmKind, kIni), "2");
}

// A path the code page cannot hold is stored so that it comes back whole: in its short form,
// else in the code page's form beside the whole path under the added key, which a later save
// of a plain path (or of an older version) must not bring back.
TEST_F(SettingsRules, PathsOutsideTheCodePageComeBackWhole) {
  const std::string foreign = "D:\\Łukasz 민수\\曲 Łódź.mp3";
  const std::string hostile = "E:\\Ünï %41\"q\\'x'\\é\t.wav";
  forms.short_forms[foreign] = "D:\\UKASZ~1\\~1.MP3";
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\音楽\\ﾒﾛﾃﾞｨ.mp3", "C:\\音楽\\ﾒﾛﾃﾞｨ.mp3"},
      {foreign, "D:\\UKASZ~1\\~1.MP3"},
      {hostile, hostile},
      {"C:\\plain.mp3", "C:\\plain.mp3"}};
  for (const auto& [chosen, loaded] : cases) {
    SaveSettings({2, 0, chosen}, store, forms, kFolder);
    EXPECT_EQ(store.ReadString(kSettingsSection, kKeyBgmFile, kIni), forms.InCodePage(loaded));
    EXPECT_EQ(Load().BGMFile, loaded);
  }
  // An older version's save leaves the added key behind another path.
  SaveSettings({2, 0, hostile}, store, forms, kFolder);
  store.Put(kIni, kKeyBgmFile, "C:\\older.mp3");
  EXPECT_EQ(Load().BGMFile, "C:\\older.mp3");
  EXPECT_EQ(PercentDecoded("%4"), std::nullopt);
  EXPECT_EQ(PercentDecoded("%G1"), std::nullopt);
}

}  // namespace
}  // namespace mirokan
