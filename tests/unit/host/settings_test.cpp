#include "saver/host/settings.h"

#include <gtest/gtest.h>

#include "fake_profile_store.h"

namespace mirokan {
namespace {

constexpr char kFolder[] = "C:\\Saver";
const std::string kIni = SettingsFilePath(kFolder);

class SettingsRules : public ::testing::Test {
 protected:
  Settings Load(Settings settings = {}) {
    LoadSettings(settings, store, probe, kFolder);
    return settings;
  }
  testing::FakeProfileStore store;
  testing::FakeFileProbe probe;
};

TEST_F(SettingsRules, NumbersAreFlooredAndBadOnesLeaveTheField) {
  EXPECT_EQ(Load(), (Settings{0, 0, ""})) << "a missing file gives no music";
  // Exactly what number_text's strict read and floor accept; anything else keeps the field.
  const std::pair<const char*, std::int16_t> cases[] = {
      {"2.9", 2}, {"-0.5", -1}, {"", 0}, {"abc", 9}, {"1e1", 9}, {"70000", 9}};
  store.Put(kIni, kKeyBgmFile, "C:\\f.wav");  // so that a kind of 2 stays 2
  probe.files.insert("C:\\f.wav");
  for (const auto& [text, expected] : cases) {
    store.Put(kIni, kKeyBgmKind, text);
    store.Put(kIni, kKeyBgmRepeat, text);
    const Settings loaded = Load({9, 9, ""});
    EXPECT_EQ(loaded.BGMKind, expected) << text;
    EXPECT_EQ(loaded.BGMRepeat, expected) << text;
  }
}

TEST_F(SettingsRules, FileKindNeedsAFileThatOpens) {
  store.Put(kIni, kKeyBgmKind, "2");
  EXPECT_EQ(Load().BGMKind, 0) << "kind 2 without any file";
  store.Put(kIni, kKeyBgmFile, "C:\\Music\\gone.mp3");
  EXPECT_EQ(Load(), (Settings{0, 0, ""}));
  probe.files.insert("C:\\Music\\gone.mp3");
  EXPECT_EQ(Load(), (Settings{2, 0, "C:\\Music\\gone.mp3"}));

  // Other kinds are not validated, and a missing file is dropped all the same.
  store.Put(kIni, kKeyBgmKind, "7");
  store.Put(kIni, kKeyBgmFile, "C:\\nothing.wav");
  EXPECT_EQ(Load(), (Settings{7, 0, ""}));

  // The probe sees the path without a trailing backslash; a folder never opens.
  probe.files.insert("C:\\Music\\song.wav");
  store.Put(kIni, kKeyBgmKind, "2");
  store.Put(kIni, kKeyBgmFile, "C:\\Music\\song.wav\\");
  EXPECT_EQ(Load(), (Settings{2, 0, "C:\\Music\\song.wav\\"}));
  store.Put(kIni, kKeyBgmFile, "C:\\Music\\");
  EXPECT_EQ(Load().BGMKind, 0);
  EXPECT_FALSE(FileExists(probe, "\\"));
}

TEST_F(SettingsRules, SavingWritesAllThreeKeysInOrderAndReadsBack) {
  // 90 kanji: 180 bytes in code page 932 but 270 in UTF-8, so nothing may cut the path.
  std::string path = "D:\\a b\\";
  for (int i = 0; i < 90; ++i) path += "曲";
  path += ".mp3";
  probe.files.insert(path);
  SaveSettings({2, -1, path}, store, kFolder);
  EXPECT_EQ(store.written_keys, (std::vector<std::string>{kKeyBgmKind, kKeyBgmRepeat, kKeyBgmFile}));
  EXPECT_EQ(Load(), (Settings{2, -1, path}));

  // Kind 2 with no file chosen is written as it is and comes back as no music.
  SaveSettings({2, 0, ""}, store, kFolder);
  EXPECT_EQ(Load().BGMKind, 0);

  // A failed write is silent and changes nothing.
  store.read_only = true;
  SaveSettings({1, 4, ""}, store, kFolder);
  EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmKind, kIni), "2");
}

}  // namespace
}  // namespace mirokan
