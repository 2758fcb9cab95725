// A running session and the faults around it: its renderer ended or killed, its snapshot
// gone before the renderer reads it, the session itself killed. The session and the next run
// hold.
#include <windows.h>
#include <sddl.h>
#include <tlhelp32.h>

#include "common/snapshot_path.h"
#include "common/win32_handles.h"
#include "e2e_checks.h"

namespace mirokan::e2e {
namespace {

constexpr POINT kStart{300, 300};

class SessionFaults : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(snapshot_.rfind(temporary_, 0), 0u);
    RemoveSnapshots();
    MoveCursorTo(kStart.x, kStart.y);
  }
  void TearDown() override {
    KillProcessesNamed(L"Mirokan.data");
    RemoveSnapshots();
  }

  Process StartSession() { return Process::Start(InFolder(L"Mirokan.scr"), L"/s"); }

  // The renderer hides the cursor once it has its texture, as its loop begins. (The desktop
  // the session photographs is black, so the tunnel shows no change on the screen.)
  static bool TunnelRuns() {
    return WaitUntil([] { return !CursorShowing(); });
  }

  // The session ran on: the mouse still ends it, and its end deletes the snapshot.
  void ExpectMouseEnds(Process& saver) {
    EXPECT_FALSE(WaitUntil([&] { return !saver.Running(); }, 500ms)) << "the session ended";
    MoveCursorTo(kStart.x + 31, kStart.y + 31);
    EXPECT_EQ(saver.ExitCode(), 0u) << "the mouse no longer ends the session";
    EXPECT_FALSE(FileExistsAt(snapshot_)) << "the snapshot is left behind";
    MoveCursorTo(kStart.x, kStart.y);
  }

  // A Japanese user's temporary folder, which both programs inherit from us.
  const std::wstring temporary_ = [] {
    const std::wstring folder = InFolder(L"一時ファイル");
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
  }();
  const TemporaryFolderSet temporary_set_{temporary_};
  const std::wstring snapshot_ = SnapshotPlaces().front();
};

// A damaged renderer (here no program at all) is reported, and the session runs on until the
// mouse moves, as without a renderer.
TEST_F(SessionFaults, ARendererThatCannotStartIsReported) {
  const std::wstring folder = FolderWithSaver(L"damaged");
  ASSERT_TRUE(WriteFileBytes(folder + L"\\Mirokan.data", "not a program"));
  Process saver = Process::Start(folder + L"\\Mirokan.scr", L"/s", folder);
  EXPECT_TRUE(MessageBoxShown(saver.Id(), L"Mirokan", L"Mirokan.dataを起動できません！"));
  ExpectMouseEnds(saver);
}

// The session ends with its renderer, whatever ends that, as the mouse ends it: the cursor
// back and the snapshot gone. (The music's end is music_session_test's.)
TEST_F(SessionFaults, TheSessionEndsWithItsRendererWhateverEndsIt) {
  const std::pair<const char*, std::function<void(Process&)>> endings[] = {
      {"Escape", [](Process& r) { PostMessageW(TunnelWindow(r.Id()), WM_KEYDOWN, VK_ESCAPE, 0); }},
      {"WM_CLOSE", [](Process& r) { PostMessageW(TunnelWindow(r.Id()), WM_CLOSE, 0, 0); }},
      {"killed", [](Process& r) { r.Kill(); }}};
  for (const auto& [name, end] : endings) {
    SCOPED_TRACE(name);
    Process saver = StartSession();
    Process renderer = TunnelProcess();
    ASSERT_TRUE(renderer.Started());
    ASSERT_TRUE(TunnelRuns());
    end(renderer);
    EXPECT_TRUE(!renderer.Started() || renderer.WaitExit(20s)) << "the renderer runs on";
    EXPECT_EQ(saver.ExitCode(), 0u) << "the session runs on without its renderer";
    EXPECT_FALSE(FileExistsAt(snapshot_)) << "the snapshot is left behind";
    EXPECT_TRUE(WaitUntil([] { return CursorShowing(); }, 5s)) << "the cursor stays hidden";
  }
}

TEST_F(SessionFaults, LeftoverSnapshotsGoAtTheNextStartWhateverItIsFor) {
  std::vector<std::wstring> leftovers;
  for (const std::wstring& place : {snapshot_, InFolder(L"Zarvo.bmp")}) {
    for (const wchar_t* suffix : {L"", L".partial"}) {
      leftovers.push_back(place + suffix);
      ASSERT_TRUE(WriteFileBytes(leftovers.back(), "a killed session's desktop"));
      SetFileAttributesW(leftovers.back().c_str(), FILE_ATTRIBUTE_READONLY);
    }
  }
  Process ends_at_once = Process::Start(InFolder(L"Mirokan.scr"), L"/x");
  ASSERT_TRUE(ends_at_once.WaitExit(20s));
  for (const std::wstring& leftover : leftovers) {
    EXPECT_FALSE(FileExistsAt(leftover)) << testing::PrintToString(leftover);
  }
}

// Whether the DACL of `path` lets no one in but the user running us (and the system: Wine
// keeps no DACL, it turns ours into the file's Unix mode and reads that back as the user's and
// the system's entries, where a file its folder decides also gets one for Everyone).
bool ForTheUserAlone(const std::wstring& path) {
  std::uint8_t descriptor[4096] = {}, user[256] = {};
  DWORD size = 0;
  HANDLE token = nullptr;
  wchar_t *dacl = nullptr, *sid = nullptr;
  if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof(descriptor),
                        &size) ||
      !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
      !GetTokenInformation(token, TokenUser, user, sizeof(user), &size) ||
      !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid) ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &dacl, nullptr)) {
    return false;
  }
  // Entries end ";;;<trustee>)": drop the user's and the system's, and see that none is left.
  std::wstring rest = dacl;
  for (const std::wstring& trustee : {std::wstring(L";;;") + sid + L")", std::wstring(L";;;SY)")}) {
    for (std::size_t at; (at = rest.find(trustee)) != std::wstring::npos;)
      rest.erase(at, trustee.size());
  }
  return rest.find(L";;;") == std::wstring::npos && rest.find(L'(') != std::wstring::npos;
}

// A log-off or shut-down ends the process once WM_ENDSESSION returns, unloading nothing: the
// picture, which only the user could read, goes in that handler.
TEST_F(SessionFaults, LogOffInTheMiddleOfARunLeavesNoPicture) {
  Process saver = StartSession();
  HWND session = WaitForWindow(saver.Id(), nullptr, L"Zarvo_Main");
  ASSERT_TRUE(TunnelRuns());
  EXPECT_TRUE(ForTheUserAlone(snapshot_));
  EXPECT_TRUE(SendMessageW(session, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  SendMessageW(session, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_FALSE(FileExistsAt(snapshot_));
  saver.Kill();
}

// Only this session's picture reaches the renderer, wherever it could be written: past a
// newer file planted in the programs' folder that no start can remove, past a
// stale one that cannot be replaced (read-only, which Windows will not rename over, and a
// folder where the half-written file would go), past a TEMP naming a removed RAM disk
// (GetTempPathW still answers), or without a usable one (longer than MAX_PATH).
TEST_F(SessionFaults, TheRendererGetsThisSessionsPictureWhereverItCouldBeWritten) {
  const std::wstring blocked = snapshot_ + L".partial";
  const auto temporary = [](const std::wstring& folder) {
    for (const wchar_t* name : {L"TMP", L"TEMP"}) SetEnvironmentVariableW(name, folder.c_str());
  };
  const std::wstring planted = InFolder(L"Zarvo.bmp");
  win32::UniqueFile held;
  const std::function<void()> faults[] = {
      [&] {
        ASSERT_TRUE(WriteFileBytes(planted, "planted"));
        held.Reset(CreateFileW(planted.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        const FILETIME future{0, 0x7F000000};
        SetFileTime(held.Get(), nullptr, nullptr, &future);
      },
      [&] {
        held.Reset();
        DeleteFileW(planted.c_str());
        ASSERT_TRUE(WriteFileBytes(snapshot_, "a killed session's desktop"));
        SetFileAttributesW(snapshot_.c_str(), FILE_ATTRIBUTE_READONLY);
        CreateDirectoryW(blocked.c_str(), nullptr);
      },
      [&] { temporary(InFolder(L"消えた RAM ディスク")); },
      [&] { temporary(L"C:\\" + std::wstring(300, L't')); }};
  for (const auto& fault : faults) {
    fault();
    Process saver = StartSession();
    Process renderer = TunnelProcess();
    ASSERT_TRUE(renderer.Started());
    EXPECT_TRUE(TunnelRuns());
    EXPECT_TRUE(TopWindows(renderer.Id(), L"#32770", nullptr, true).empty()) << "a message";
    ExpectMouseEnds(saver);
    EXPECT_TRUE(held.Valid() || !FileExistsAt(planted)) << "the snapshot is left behind";
  }
  RemoveDirectoryW(blocked.c_str());
}

// Where process `id` loaded `name` from (empty while it has not).
std::wstring ModulePath(DWORD id, const wchar_t* name) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id);
  if (snapshot == INVALID_HANDLE_VALUE) return L"";
  MODULEENTRY32W entry{.dwSize = sizeof(entry)};
  std::wstring path;
  for (BOOL more = Module32FirstW(snapshot, &entry); more && path.empty();
       more = Module32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szModule, name) == 0) path = entry.szExePath;
  }
  CloseHandle(snapshot);
  return path;
}

TEST_F(SessionFaults, ALibraryPlantedBesideTheSaverIsNeverLoaded) {
  // CD music loads the multimedia library, which imports this one.
  const std::wstring planted = InFolder(L"msacm32.dll");
  ASSERT_TRUE(CopyFileW(InFolder(L"planted_library.dll").c_str(), planted.c_str(), FALSE));
  ASSERT_TRUE(WriteFileBytes(InFolder(L"Mirokan.ini"), "[Section]\r\nBGM\x8B\xE6\x95\xAA=1\r\n"));
  Process saver = StartSession();
  std::wstring loaded;
  EXPECT_TRUE(
      WaitUntil([&] { return !(loaded = ModulePath(saver.Id(), L"msacm32.dll")).empty(); }));
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  // Wine, finding the planted file first, runs its own code under the planted file's name;
  // Windows would run the planted code, which leaves its mark.
  EXPECT_EQ(_wcsnicmp(loaded.c_str(), system, wcslen(system)), 0) << testing::PrintToString(loaded);
  EXPECT_FALSE(FileExistsAt(planted + L".loaded")) << "the planted library ran";
  ExpectMouseEnds(saver);
  DeleteFileW(planted.c_str());
  DeleteFileW(InFolder(L"Mirokan.ini").c_str());
}

}  // namespace
}  // namespace mirokan::e2e
