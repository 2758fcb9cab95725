// The settings file through the real profile functions, in the ANSI code page 932.
#include "e2e_checks.h"
#include "saver/state/settings.h"
#include "saver/state/win32_profile_store.h"

namespace mirokan {
namespace {

using e2e::InFolder;
using e2e::TestFolder;
using e2e::WriteFileBytes;

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "the harness must run Wine with the Japanese code page";
    DeleteFileW(InFolder(L"Mirokan.ini").c_str());
  }
  std::string folder_ = win32::WideToUtf8(TestFolder());
  win32::Win32ProfileStore store_;
  win32::Win32FileProbe probe_;
};

TEST_F(SettingsFile, LongValuesComeBackCutTo255BytesOfTheCodePage) {
  const std::string path = SettingsFilePath(folder_);
  WriteIniValue(store_, kSettingsSection, kKeyBgmFile, std::string(300, 'v'), path);
  EXPECT_EQ(ReadIniValue(store_, kSettingsSection, kKeyBgmFile, path), std::string(255, 'v'));
  // 200 kanji are 400 bytes in code page 932: 127 whole ones fit, never half of the 128th.
  std::string kanji;
  for (int i = 0; i < 200; ++i) kanji += "曲";
  WriteIniValue(store_, kSettingsSection, kKeyBgmFile, kanji, path);
  EXPECT_EQ(ReadIniValue(store_, kSettingsSection, kKeyBgmFile, path), kanji.substr(0, 127 * 3));
}

TEST_F(SettingsFile, FileProbeRejectsFoldersAndMissingFiles) {
  ASSERT_TRUE(WriteFileBytes(InFolder(L"present.mp3"), "ID3"));
  EXPECT_TRUE(FileExists(probe_, win32::WideToUtf8(InFolder(L"present.mp3"))));
  EXPECT_FALSE(FileExists(probe_, win32::WideToUtf8(InFolder(L"absent.mp3"))));
  EXPECT_FALSE(FileExists(probe_, folder_));
}

}  // namespace
}  // namespace mirokan

namespace mirokan {
namespace {

// A program folder deeper than MAX_PATH: the settings go into it (by its short form), and
// nowhere else (Wine's profile functions would write a file of another name beside us).
TEST_F(SettingsFile, AFolderDeeperThanMaxPathIsWrittenInPlace) {
  std::wstring deep = L"\\\\?\\" + TestFolder();
  while (deep.size() < 300)
    CreateDirectoryW((deep += L"\\a folder of some length").c_str(), nullptr);
  const std::string path = win32::WideToUtf8(deep.substr(4) + L"\\Mirokan.ini");
  const std::vector<std::wstring> before = e2e::FilesIn(TestFolder());
  EXPECT_TRUE(WriteIniValue(store_, kSettingsSection, kKeyBgmKind, "2", path));
  EXPECT_EQ(ReadIniValue(store_, kSettingsSection, kKeyBgmKind, path), "2");
  EXPECT_TRUE(FileExists(probe_, path));
  EXPECT_EQ(e2e::FilesIn(TestFolder()), before);
}

}  // namespace
}  // namespace mirokan
