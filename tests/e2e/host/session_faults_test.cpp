// A running session and the faults around it: its renderer killed, its snapshot gone before
// the renderer reads it, the session itself killed. The session and the next run hold.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/snapshot_path.h"
#include "e2e_support.h"

namespace mirokan::e2e {
namespace {

constexpr POINT kStart{300, 300};

class SessionFaults : public testing::Test {
 protected:
  void SetUp() override {
    // A Japanese user's temporary folder, which both programs inherit from us.
    const std::wstring temporary = InFolder(L"一時ファイル");
    CreateDirectoryW(temporary.c_str(), nullptr);
    for (auto& [name, value] : saved_environment_) {
      wchar_t buffer[32768];
      const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
      value = length > 0 && length < 32768 ? std::optional<std::wstring>(buffer) : std::nullopt;
      SetEnvironmentVariableW(name, temporary.c_str());
    }
    snapshot_ = SnapshotPlaces().front();
    ASSERT_EQ(snapshot_.rfind(temporary, 0), 0u);
    RemoveSnapshots();
    MoveCursorTo(kStart.x, kStart.y);
  }
  void TearDown() override {
    KillProcessesNamed(L"Mirokan.data");
    RemoveSnapshots();
    for (const auto& [name, value] : saved_environment_) {
      SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
    }
  }

  Process StartSession() { return Process::Start(InFolder(L"Mirokan.scr"), L"/s"); }

  // The renderer the session started, found by its window.
  Process Renderer(HWND* window = nullptr) {
    HWND found = WaitForWindow(0, L"OpenGL", L"Tunnel_Velkan");
    if (window) *window = found;
    DWORD id = 0;
    GetWindowThreadProcessId(found, &id);
    return found ? Process::Attach(id) : Process();
  }

  // The renderer hides the cursor once it has its texture, as its loop begins. (The desktop
  // the session photographs is black, so the tunnel shows no change on the screen.)
  static bool TunnelRuns() {
    return WaitUntil([] { return !CursorShowing(); });
  }

  // The session ran on: the mouse still ends it, and its end deletes the snapshot.
  void ExpectMouseEnds(Process& saver) {
    EXPECT_FALSE(WaitUntil([&] { return !saver.Running(); }, 500ms)) << "the session ended";
    MoveCursorTo(kStart.x + 31, kStart.y + 31);
    DWORD code = 99;
    ASSERT_TRUE(saver.WaitExit(20s, &code)) << "the mouse no longer ends the session";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(FileExistsAt(snapshot_)) << "the snapshot is left behind";
    MoveCursorTo(kStart.x, kStart.y);
  }

  std::wstring snapshot_;
  std::pair<const wchar_t*, std::optional<std::wstring>> saved_environment_[2] = {{L"TMP", {}},
                                                                                  {L"TEMP", {}}};
};

TEST_F(SessionFaults, RendererKilledInTheMiddleOfARun) {
  Process saver = StartSession();
  Process renderer = Renderer();
  ASSERT_TRUE(renderer.Started());
  ASSERT_TRUE(TunnelRuns());
  renderer.Kill();
  EXPECT_TRUE(FileExistsAt(snapshot_)) << "the session owns the snapshot until its end";
  ExpectMouseEnds(saver);
}

TEST_F(SessionFaults, SnapshotDeletedBeforeTheRendererReadsIt) {
  Process saver = StartSession();
  // Deleted the moment it is renamed into place, before the process the session starts next
  // can have opened it.
  ASSERT_TRUE(WaitUntil([&] { return DeleteFileW(snapshot_.c_str()) != FALSE; }, 20s, 0ms));
  Process renderer = Renderer();
  ASSERT_TRUE(renderer.Started());
  const std::wstring messages[][2] = {{L"BMP Unit", L"Error opening \"" + snapshot_},
                                      {L"Loading Textures", L"Unable to load " + snapshot_}};
  for (const auto& [caption, text] : messages) {
    const MessageBoxInfo box = WaitForMessageBox(renderer.Id());
    ASSERT_NE(box.window, nullptr) << "no message " << testing::PrintToString(text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    DismissMessageBox(box.window);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }));
  }
  DWORD code = 99;
  ASSERT_TRUE(renderer.WaitExit(15s, &code));
  EXPECT_EQ(code, 1u);
  ExpectMouseEnds(saver);
}

TEST_F(SessionFaults, AfterTheSessionIsKilledTheNextRunReplacesItsStaleSnapshot) {
  {
    Process saver = StartSession();
    Process orphan = Renderer();
    ASSERT_TRUE(orphan.Started() && TunnelRuns());
    saver.Kill();
    // The orphaned renderer still ends on the mouse; the snapshot stays behind. A half-
    // written one may too, when the session died while writing it.
    MoveCursorTo(kStart.x + 40, kStart.y + 40);
    ASSERT_TRUE(orphan.WaitExit(15s));
  }
  MoveCursorTo(kStart.x, kStart.y);
  ASSERT_TRUE(FileExistsAt(snapshot_));
  ASSERT_TRUE(WriteFileBytes(snapshot_, "stale"));
  ASSERT_TRUE(WriteFileBytes(snapshot_ + L".partial", "half"));

  Process saver = StartSession();
  HWND window = nullptr;
  Process renderer = Renderer(&window);
  ASSERT_TRUE(renderer.Started());
  EXPECT_TRUE(TunnelRuns());
  EXPECT_TRUE(TopWindows(renderer.Id(), L"#32770", nullptr, true).empty()) << "a message";
  const std::string snapshot = ReadFileBytes(snapshot_);
  ASSERT_GE(snapshot.size(), 54u);
  EXPECT_EQ(*reinterpret_cast<const std::int32_t*>(&snapshot[18]), GetSystemMetrics(SM_CXSCREEN));
  ExpectMouseEnds(saver);
  EXPECT_FALSE(FileExistsAt(snapshot_ + L".partial"));
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

// Only this session's picture reaches the renderer, wherever it could be written: past a
// stale one that cannot be replaced (read-only, which Windows will not rename over, and a
// folder where the half-written file would go), or past a TEMP naming a removed RAM disk
// (GetTempPathW still answers).
TEST_F(SessionFaults, TheRendererGetsThisSessionsPictureWhereverItCouldBeWritten) {
  const std::wstring blocked = snapshot_ + L".partial";
  const std::function<void()> faults[] = {
      [&] {
        ASSERT_TRUE(WriteFileBytes(snapshot_, "a killed session's desktop"));
        SetFileAttributesW(snapshot_.c_str(), FILE_ATTRIBUTE_READONLY);
        CreateDirectoryW(blocked.c_str(), nullptr);
      },
      [&] {
        for (const auto& [name, value] : saved_environment_) {
          SetEnvironmentVariableW(name, InFolder(L"消えた RAM ディスク").c_str());
        }
      }};
  for (const auto& fault : faults) {
    fault();
    Process saver = StartSession();
    Process renderer = Renderer();
    ASSERT_TRUE(renderer.Started());
    EXPECT_TRUE(TunnelRuns());
    EXPECT_TRUE(TopWindows(renderer.Id(), L"#32770", nullptr, true).empty()) << "a message";
    ExpectMouseEnds(saver);
    EXPECT_FALSE(FileExistsAt(InFolder(L"Zarvo.bmp"))) << "the snapshot is left behind";
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
