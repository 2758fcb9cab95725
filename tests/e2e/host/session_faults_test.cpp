// A running session and the faults around it: its renderer killed, its snapshot gone before
// the renderer reads it, the session itself killed. The session and the next run hold.
#include "common/snapshot_path.h"
#include "e2e_checks.h"

namespace mirokan::e2e {
namespace {

constexpr POINT kStart{300, 300};

class SessionFaults : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(snapshot_.rfind(temporary_, 0), 0u);
    DeleteFileW(snapshot_.c_str());
    MoveCursorTo(kStart.x, kStart.y);
  }
  void TearDown() override {
    KillProcessesNamed(L"Mirokan.data");
    DeleteFileW(snapshot_.c_str());
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
  const std::wstring snapshot_ = SnapshotPath();
};

TEST_F(SessionFaults, RendererKilledInTheMiddleOfARun) {
  Process saver = StartSession();
  Process renderer = TunnelProcess();
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
  Process renderer = TunnelProcess();
  ASSERT_TRUE(renderer.Started());
  EXPECT_TRUE(MessageBoxShown(renderer.Id(), L"BMP Unit", L"Error opening \"" + snapshot_));
  EXPECT_TRUE(MessageBoxShown(renderer.Id(), L"Loading Textures", L"Unable to load " + snapshot_));
  EXPECT_EQ(renderer.ExitCode(15s), 1u);
  ExpectMouseEnds(saver);
}

TEST_F(SessionFaults, AfterTheSessionIsKilledTheNextRunReplacesItsStaleSnapshot) {
  {
    Process saver = StartSession();
    Process orphan = TunnelProcess();
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
  Process renderer = TunnelProcess();
  ASSERT_TRUE(renderer.Started());
  EXPECT_TRUE(TunnelRuns());
  EXPECT_FALSE(MessageBoxOpen(renderer.Id()));
  EXPECT_EQ(DecodeBitmap(ReadFileBytes(snapshot_)).width, GetSystemMetrics(SM_CXSCREEN));
  ExpectMouseEnds(saver);
  EXPECT_FALSE(FileExistsAt(snapshot_ + L".partial"));
}

}  // namespace
}  // namespace mirokan::e2e
