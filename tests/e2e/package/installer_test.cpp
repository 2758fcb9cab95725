// The per-user installer, run silently as a scripted install would: what it puts on the
// system, the installed saver at work, and what its uninstaller takes away again. Every test
// leaves the prefix's screen-saver selection as it found it.
#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include "common/snapshot_path.h"
#include "e2e_checks.h"
#include "mirokan_version.h"

namespace mirokan {
namespace {

using namespace e2e;

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mirokan";
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kSaverValue[] = L"SCRNSAVE.EXE";
const wchar_t kActiveValue[] = L"ScreenSaveActive";
const wchar_t kOtherSaver[] = L"C:\\windows\\system32\\other.scr";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kVersion = L"" MIROKAN_VERSION_TEXT;

std::optional<std::wstring> ReadString(const wchar_t* key, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

// A string value, or its absence.
void WriteString(const wchar_t* key, const wchar_t* name,
                 const std::optional<std::wstring>& value) {
  if (value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value->c_str(),
                    static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, name);
  }
}

// The long form of a path, so a short 8.3 form compares equal; the text itself when the file
// is gone.
std::wstring LongPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD length = GetLongPathNameW(path.c_str(), buffer, MAX_PATH * 2);
  return length == 0 || length >= MAX_PATH * 2 ? path : std::wstring(buffer, length);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return _wcsicmp(LongPath(a).c_str(), LongPath(b).c_str()) == 0;
}

// The FileVersion text of the programs' Japanese/Unicode version block.
std::wstring FileVersionOf(const std::wstring& path) {
  std::string data(GetFileVersionInfoSizeW(path.c_str(), nullptr), '\0');
  wchar_t* text = nullptr;
  UINT length = 0;
  if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, data.size(), data.data()) ||
      !VerQueryValueW(data.data(), L"\\StringFileInfo\\041104B0\\FileVersion",
                      reinterpret_cast<void**>(&text), &length)) {
    return L"";
  }
  return text;
}

// The uninstaller runs from a copy, "Un.exe" in a "~nsu*.tmp" folder of the temporary
// folder, which it can only mark for deletion at the next start of the system. Removed here,
// marks and all (the prefix has no other), so the prefix stays as it was.
void RemoveUninstallerCopies() {
  const std::wstring temp = _wgetenv(L"TEMP");
  for (const std::wstring& name : FilesIn(temp, L"~nsu*.tmp")) {
    DeleteFileW((temp + L"\\" + name + L"\\Un.exe").c_str());
    RemoveDirectoryW((temp + L"\\" + name).c_str());
  }
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                     L"PendingFileRenameOperations");
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunningUnderWine()) GTEST_SKIP() << "installs for the current user: Wine prefix only";
    RemoveLeftovers();
    saved_saver_ = ReadString(kDesktopKey, kSaverValue);
    saved_active_ = ReadString(kDesktopKey, kActiveValue);
    had_programs_folder_ = FileExistsAt(ProgramsFolder());
    WriteString(kDesktopKey, kSaverValue, std::nullopt);
    WriteString(kDesktopKey, kActiveValue, L"0");
  }

  void TearDown() override {
    if (!RunningUnderWine()) return;
    RemoveLeftovers();
    WriteString(kDesktopKey, kSaverValue, saved_saver_);
    WriteString(kDesktopKey, kActiveValue, saved_active_);
    // The user's programs folder is shared with other programs, so the uninstaller keeps it.
    if (!had_programs_folder_) RemoveDirectoryW(ProgramsFolder().c_str());
  }

  static std::wstring ProgramsFolder() {
    return std::wstring(_wgetenv(L"LOCALAPPDATA")) + L"\\Programs";
  }

  static void Install(const std::wstring& arguments) {
    Process setup = Process::Start(InFolder(L"Mirokan-" + kVersion + L"-setup.exe"), arguments);
    ASSERT_TRUE(setup.Started());
    ASSERT_EQ(setup.ExitCode(60s), 0u) << "the silent install failed or asked something";
  }

  // The registered uninstaller, silently. It hands over to a copy of itself and returns at
  // once, so this waits for the copy to finish.
  static void Uninstall(const std::wstring& folder) {
    Process uninstaller = Process::Start(folder + L"\\Mirokan-Uninstall.exe", L"/S", folder);
    ASSERT_TRUE(uninstaller.Started());
    ASSERT_TRUE(uninstaller.WaitExit(60s));
    // The copy is running by the time the original has ended.
    ASSERT_TRUE(WaitUntil([] { return ProcessesNamed(L"Un.exe").empty(); }, 60s));
    RemoveUninstallerCopies();
  }

  // What a test that stopped half-way or a failed uninstall left, so each run starts clean.
  static void RemoveLeftovers() {
    const auto folder = ReadString(kUninstallKey, L"InstallLocation");
    if (!folder) return;
    if (FileExistsAt(*folder + L"\\Mirokan-Uninstall.exe")) Uninstall(*folder);
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
  }

  std::optional<std::wstring> saved_saver_;
  std::optional<std::wstring> saved_active_;
  bool had_programs_folder_ = false;
};

// The installed programs are the ones built, side by side: their sessions are the other
// tests'.
TEST_F(Installer, InstallsForTheUserAndSelectsTheSaver) {
  Install(L"/S");
  ASSERT_TRUE(WaitUntil([] { return ProcessesNamed(L"MirokanWatch.exe").size() == 1; }));
  const std::vector<DWORD> first_watcher = ProcessesNamed(L"MirokanWatch.exe");
  // Again over the first, whose watcher runs (and on Windows keeps its file open): the new
  // watcher runs after it, not the old one.
  Install(L"/S");
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<DWORD> now = ProcessesNamed(L"MirokanWatch.exe");
    return now.size() == 1 && now != first_watcher;
  })) << "the earlier install's watcher runs on";
  const std::wstring folder = ProgramsFolder() + L"\\Mirokan";
  const std::wstring saver = folder + L"\\Mirokan.scr";

  EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{
                                 L"Mirokan-LICENSE.txt", L"Mirokan-README.txt",
                                 L"Mirokan-Uninstall.exe", L"Mirokan.data", L"Mirokan.scr",
                                 L"MirokanWatch.exe"}));
  for (const wchar_t* program : {L"Mirokan.scr", L"Mirokan.data", L"MirokanWatch.exe"}) {
    EXPECT_EQ(ReadFileBytes(folder + L"\\" + program), ReadFileBytes(InFolder(program)))
        << "the installed " << win32::WideToUtf8(program) << " is not the one built";
    EXPECT_EQ(FileVersionOf(folder + L"\\" + program), kVersion);
  }

  const auto selected = ReadString(kDesktopKey, kSaverValue);
  ASSERT_TRUE(selected);
  EXPECT_TRUE(SamePath(*selected, saver)) << win32::WideToUtf8(*selected);
  EXPECT_EQ(ReadString(kDesktopKey, kActiveValue), L"1");
  // The watcher starts at logon, and runs now.
  EXPECT_EQ(ReadString(kRunKey, L"Mirokan"), L"\"" + folder + L"\\MirokanWatch.exe\"");
  EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"MirokanWatch.exe").size() == 1; }));

  EXPECT_EQ(ReadString(kUninstallKey, L"DisplayName"), L"Mirokan");
  EXPECT_EQ(ReadString(kUninstallKey, L"DisplayVersion"), kVersion);
  EXPECT_EQ(ReadString(kUninstallKey, L"Publisher"), L"Mirokan developers");
  EXPECT_EQ(ReadString(kUninstallKey, L"DisplayIcon"), saver);
  EXPECT_EQ(ReadString(kUninstallKey, L"UninstallString"),
            L"\"" + folder + L"\\Mirokan-Uninstall.exe\"");
  const DWORD programs_kb = static_cast<DWORD>(
      (ReadFileBytes(saver).size() + ReadFileBytes(folder + L"\\Mirokan.data").size()) / 1024);
  DWORD size_kb = 0, size = sizeof(size_kb);
  RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr,
               &size_kb, &size);
  EXPECT_GE(size_kb, programs_kb);

  // A session that was killed left its snapshot, and one half-written.
  const std::wstring snapshot = SnapshotPlaces().front();
  ASSERT_TRUE(WriteFileBytes(snapshot, "BM"));
  ASSERT_TRUE(WriteFileBytes(snapshot + L".partial", "B"));
  Uninstall(folder);
  EXPECT_FALSE(FileExistsAt(folder));
  EXPECT_TRUE(ProcessesNamed(L"MirokanWatch.exe").empty()) << "the watcher runs on";
  EXPECT_FALSE(ReadString(kRunKey, L"Mirokan")) << "the watcher still starts at logon";
  EXPECT_FALSE(FileExistsAt(snapshot));
  EXPECT_FALSE(FileExistsAt(snapshot + L".partial"));
  EXPECT_FALSE(ReadString(kUninstallKey, L"UninstallString"));
  EXPECT_FALSE(ReadString(kDesktopKey, kSaverValue)) << "our selection is undone";
  EXPECT_EQ(ReadString(kDesktopKey, kActiveValue), L"1") << "as choosing \"(None)\" leaves it";
}

// The settings file beside the program is the dialog tests' (from a folder of its own); here
// the uninstaller takes it with the folder, and leaves what the user put there and chose.
TEST_F(Installer, ChosenFolderGoesWithItsSettingsAndUninstallLeavesOthersAlone) {
  // A folder of the user's choosing, with a blank and Japanese in its name.
  const std::wstring parent = InFolder(L"ミロカン テスト");
  const std::wstring folder = parent + L"\\スクリーン セーバー";
  Install(L"/S /D=" + folder);
  const auto selected = ReadString(kDesktopKey, kSaverValue);
  ASSERT_TRUE(selected);
  EXPECT_TRUE(SamePath(*selected, folder + L"\\Mirokan.scr")) << win32::WideToUtf8(*selected);
  EXPECT_EQ(ReadString(kUninstallKey, L"InstallLocation"), folder);
  ASSERT_TRUE(WriteFileBytes(folder + L"\\Mirokan.ini", "[Section]\r\n"));
  Uninstall(folder);
  EXPECT_FALSE(ReadString(kDesktopKey, kSaverValue)) << "the selection read back in any form";
  EXPECT_FALSE(FileExistsAt(folder)) << "the install folder, settings file and all, is gone";

  // Into a folder holding the user's own texts, with an idle lock (the saver's timeout with
  // "On resume, display logon screen"); the user then picks another saver and keeps a song.
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::pair<const wchar_t*, const char*> texts[] = {{L"LICENSE.txt", "my licence"},
                                                          {L"README.txt", "my notes"},
                                                          {L"Uninstall.exe", "my own program"},
                                                          {L"曲.mp3", "ID3"}};
  const std::pair<const wchar_t*, std::optional<std::wstring>> lock[] = {
      {L"ScreenSaverIsSecure", L"1"}, {L"ScreenSaveTimeOut", L"600"}};
  std::optional<std::wstring> saved_lock[std::size(lock)];
  for (std::size_t i = 0; i < std::size(lock); ++i) {
    saved_lock[i] = ReadString(kDesktopKey, lock[i].first);
    WriteString(kDesktopKey, lock[i].first, lock[i].second);
  }
  for (const auto& [name, text] : texts) ASSERT_TRUE(WriteFileBytes(folder + L"\\" + name, text));
  Install(L"/S /D=" + folder);
  WriteString(kDesktopKey, kSaverValue, kOtherSaver);
  Uninstall(folder);
  EXPECT_EQ(ReadString(kDesktopKey, kSaverValue), kOtherSaver);
  EXPECT_EQ(ReadString(kDesktopKey, kActiveValue), L"1");
  EXPECT_FALSE(ReadString(kUninstallKey, L"DisplayName"));
  EXPECT_EQ(FilesIn(folder).size(), std::size(texts));
  for (const auto& [name, text] : texts) {
    EXPECT_EQ(ReadFileBytes(folder + L"\\" + name), text);
    DeleteFileW((folder + L"\\" + name).c_str());
  }
  for (std::size_t i = 0; i < std::size(lock); ++i) {
    EXPECT_EQ(ReadString(kDesktopKey, lock[i].first), lock[i].second) << lock[i].first;
    WriteString(kDesktopKey, lock[i].first, saved_lock[i]);
  }
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(parent.c_str());
}

}  // namespace
}  // namespace mirokan
