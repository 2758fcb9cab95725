#include "saver/host/settings.h"

#include <gtest/gtest.h>

#include "fake_profile_store.h"

namespace mirokan {
namespace {

using testing::FakeFileProbe;
using testing::FakeProfileStore;

constexpr char kFolder[] = "C:\\Saver";
const std::string kIni = SettingsFilePath(kFolder);

class SettingsRules : public ::testing::Test {
 protected:
  Settings Load() {
    Settings settings;
    LoadSettings(settings, store, probe, kFolder);
    return settings;
  }
  FakeProfileStore store;
  FakeFileProbe probe;
};

TEST_F(SettingsRules, MissingFileOrKeysGiveNoMusic) {
  const Settings none = Load();
  EXPECT_EQ(none.BGMKind, 0);
  EXPECT_EQ(none.BGMRepeat, 0);
  EXPECT_EQ(none.BGMFile, "");

  store.Put(kIni, kKeyBgmKind, "1");  // only the kind: audio CD, repeat 0, no file
  const Settings cd = Load();
  EXPECT_EQ(cd.BGMKind, 1);
  EXPECT_EQ(cd.BGMRepeat, 0);
  EXPECT_EQ(cd.BGMFile, "");
}

TEST_F(SettingsRules, NumbersAreFlooredAndBadOnesLeaveTheField) {
  struct Case {
    const char* text;
    std::int16_t expected;
  };
  const Case cases[] = {
      {"2.9", 2}, {"-0.5", -1},       {"abc", 0},         {"70000", 0},    {" 7 ", 7},
      {"-3", -3}, {"32767.9", 32767}, {"-32768", -32768}, {"-32768.1", 0}, {"1 2", 0},
      {"", 0},    {"1e1", 0},         {"2E0", 0}};
  for (const Case& c : cases) {
    store = {};
    probe = {};
    store.Put(kIni, kKeyBgmKind, c.text);
    store.Put(kIni, kKeyBgmRepeat, c.text);
    store.Put(kIni, kKeyBgmFile, "C:\\f.wav");  // so that a kind of 2 stays 2
    probe.files.insert("C:\\f.wav");
    const Settings settings = Load();
    EXPECT_EQ(settings.BGMKind, c.expected) << c.text;
    EXPECT_EQ(settings.BGMRepeat, c.expected) << c.text;
  }
  // A failed conversion keeps what the field held, it does not reset it.
  store = {};
  store.Put(kIni, kKeyBgmRepeat, "abc");
  Settings settings;
  settings.BGMRepeat = 9;
  LoadSettings(settings, store, probe, kFolder);
  EXPECT_EQ(settings.BGMRepeat, 9);
}

TEST_F(SettingsRules, FileKindNeedsAFileThatOpens) {
  store.Put(kIni, kKeyBgmKind, "2");
  EXPECT_EQ(Load().BGMKind, 0) << "kind 2 without any file";

  store.Put(kIni, kKeyBgmFile, "C:\\Music\\gone.mp3");
  Settings missing = Load();
  EXPECT_EQ(missing.BGMKind, 0);
  EXPECT_EQ(missing.BGMFile, "");

  probe.files.insert("C:\\Music\\gone.mp3");
  Settings present = Load();
  EXPECT_EQ(present.BGMKind, 2);
  EXPECT_EQ(present.BGMFile, "C:\\Music\\gone.mp3");

  // Other kinds are not validated and keep even a missing file's absence.
  store.Put(kIni, kKeyBgmKind, "7");
  store.Put(kIni, kKeyBgmRepeat, "-3");
  store.Put(kIni, kKeyBgmFile, "C:\\nothing.wav");
  const Settings odd = Load();
  EXPECT_EQ(odd.BGMKind, 7);
  EXPECT_EQ(odd.BGMRepeat, -3);
  EXPECT_EQ(odd.BGMFile, "");
  store.Put(kIni, kKeyBgmKind, "1");
  EXPECT_EQ(Load().BGMKind, 1) << "the CD does not depend on the file";
}

TEST_F(SettingsRules, TrailingBackslashIsTestedWithoutIt) {
  probe.files.insert("C:\\Music\\song.wav");
  store.Put(kIni, kKeyBgmKind, "2");
  store.Put(kIni, kKeyBgmFile, "C:\\Music\\song.wav\\");
  const Settings settings = Load();
  EXPECT_EQ(probe.asked.back(), "C:\\Music\\song.wav");
  EXPECT_EQ(settings.BGMKind, 2);
  EXPECT_EQ(settings.BGMFile, "C:\\Music\\song.wav\\");

  // A folder never opens, with or without the backslash.
  store.Put(kIni, kKeyBgmFile, "C:\\Music\\");
  EXPECT_EQ(Load().BGMKind, 0);
  EXPECT_FALSE(FileExists(probe, "\\"));
}

TEST_F(SettingsRules, ValuesAreCutTo255BytesOfTheAnsiCodePage) {
  store.Put(kIni, kKeyBgmFile, "C:\\" + std::string(297, 'x'));
  EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmFile, kIni).size(), 255u);

  // 90 kanji: 180 bytes in code page 932 but 270 in UTF-8, so the path fits and must come
  // back whole, and the music choice with it.
  std::string kanji;
  for (int i = 0; i < 90; ++i) kanji += "曲";
  const std::string japanese_path = "C:\\" + kanji + ".mp3";
  store.Put(kIni, kKeyBgmFile, japanese_path);
  store.Put(kIni, kKeyBgmKind, "2");
  probe.files.insert(japanese_path);
  const Settings loaded = Load();
  EXPECT_EQ(loaded.BGMFile, japanese_path);
  EXPECT_EQ(loaded.BGMKind, kBgmFile);

  // 200 kanji: cut after the 127th, never inside one.
  store.Put(kIni, kKeyBgmFile, kanji + kanji + kanji.substr(0, 20 * 3));
  EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmFile, kIni),
            (kanji + kanji).substr(0, 127 * 3));
}

TEST_F(SettingsRules, SavingWritesAllThreeKeysInOrderAndReadsBack) {
  probe.files.insert("D:\\a b\\曲.mp3");
  const Settings saved{2, -1, "D:\\a b\\曲.mp3"};
  SaveSettings(saved, store, kFolder);
  EXPECT_EQ(store.written_keys,
            (std::vector<std::string>{kKeyBgmKind, kKeyBgmRepeat, kKeyBgmFile}));
  const Settings loaded = Load();
  EXPECT_EQ(loaded.BGMKind, 2);
  EXPECT_EQ(loaded.BGMRepeat, -1);
  EXPECT_EQ(loaded.BGMFile, saved.BGMFile);

  // Kind 2 with no file chosen is written as it is and comes back as no music.
  SaveSettings(Settings{2, 0, ""}, store, kFolder);
  EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmFile, kIni), "");
  EXPECT_EQ(Load().BGMKind, 0);

  // A failed write is silent and changes nothing.
  store.read_only = true;
  SaveSettings(Settings{1, 4, ""}, store, kFolder);
  EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmKind, kIni), "2");
}

}  // namespace
}  // namespace mirokan
