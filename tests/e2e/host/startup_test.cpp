// Start-up of the real Mirokan.scr: the instance test, the dispatch of the command line,
// the missing-renderer message and the cursor of a session.
#include "common/snapshot_path.h"
#include "e2e_checks.h"

namespace mirokan::e2e {
namespace {

std::wstring Saver() {
  return InFolder(L"Mirokan.scr");
}

// Ends by itself with exit code 0, without a message box or a window on the way.
void ExpectEndsSilently(const std::wstring& arguments) {
  SCOPED_TRACE(testing::Message() << "arguments \"" << win32::WideToUtf8(arguments) << '"');
  Process saver = Process::Start(Saver(), arguments);
  bool showed_something = false;
  PumpUntil([&] {
    showed_something |= !TopWindows(saver.Id(), nullptr, nullptr, true).empty();
    return !saver.Running();
  });
  EXPECT_EQ(saver.ExitCode(5s), 0u);
  EXPECT_FALSE(showed_something);
}

// The hidden cursor's display count of the thread that owns `window`, read by sharing its
// input state for a moment.
int CursorCountOf(HWND window) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
  const int after_show = ShowCursor(TRUE);
  ShowCursor(FALSE);
  AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
  return after_show - 1;
}

TEST(Startup, OtherRequestsAndEveryStartBesideAnotherInstanceEndSilently) {
  ExpectEndsSilently(L"/a 1234");
  ExpectEndsSilently(L"s");
  EXPECT_FALSE(FileExistsAt(InFolder(L"Mirokan.ini"))) << "reading settings never writes them";
  // Each caption that means another instance, and each request it must stop.
  const std::pair<const wchar_t*, const wchar_t*> pairs[] = {{L"Zarvo_Main", L"/s"},
                                                             {L"<Mirokan>", L""},
                                                             {L"Zarvo_Velkan", L"/c"},
                                                             {L"Zarvo_Main", L"/p 1234"},
                                                             {L"Zarvo_Velkan", L"/a 1234"}};
  for (const auto& [caption, arguments] : pairs) {
    TestWindow other(caption, WS_OVERLAPPEDWINDOW, {100, 100}, {200, 150});
    ExpectEndsSilently(arguments);
  }
}

// Two run requests at once find no window of the other yet: one session, one renderer, and
// the other start ends silently.
TEST(Startup, TwoRunsAtOnceGiveOneSession) {
  MoveCursorTo(300, 300);
  Process first = Process::Start(Saver(), L"/s");
  Process second = Process::Start(Saver(), L"/s");
  ASSERT_TRUE(WaitUntil([&] { return !first.Running() || !second.Running(); }));
  EXPECT_NE(TunnelWindow(), nullptr);
  EXPECT_EQ(ProcessesNamed(L"Mirokan.data").size(), 1u);
  MoveCursorTo(331, 331);
  EXPECT_EQ(first.ExitCode(), 0u);
  EXPECT_EQ(second.ExitCode(), 0u);
  KillProcessesNamed(L"Mirokan.data");
}

TEST(Startup, MissingRendererIsReportedBeforeTheDialog) {
  const std::wstring alone = FolderWithSaver(L"alone");
  for (const wchar_t* arguments : {L"/c", L"/s", L""}) {
    Process saver = Process::Start(alone + L"\\Mirokan.scr", arguments, alone);
    EXPECT_TRUE(
        MessageBoxShown(saver.Id(), L"Mirokan", L"Mirokan.dataが同じﾌｫﾙﾀﾞに見つかりません！"));
    EXPECT_TRUE(TopWindows(saver.Id(), nullptr, L"<Mirokan>").empty());
    EXPECT_TRUE(TopWindows(saver.Id(), nullptr, L"Zarvo_Main").empty());
    EXPECT_EQ(saver.ExitCode(), 0u);
  }
}

TEST(Startup, RunPhotographsTheScreenStartsTheRendererAndHidesTheCursorOnlyForSlashS) {
  // White blocks at the top left and the bottom right of the black screen, so that the
  // snapshot's top, bottom and sides differ, down to its last row.
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const auto white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  TestWindow block(L"White block", WS_POPUP | WS_VISIBLE, {0, 0}, {200, 100}, white,
                   WS_EX_TOPMOST);
  TestWindow corner(L"White corner", WS_POPUP | WS_VISIBLE, {width - 200, height - 100},
                    {200, 100}, white, WS_EX_TOPMOST);
  for (const bool hidden : {true, false}) {
    // Painted again once the last renderer has gone.
    ASSERT_TRUE(PumpUntil([&] {
      return ScreenPixel(150, 60) == RGB(255, 255, 255) &&
             ScreenPixel(width - 1, height - 1) == RGB(255, 255, 255);
    }));
    MoveCursorTo(300, 300);
    // Wine's GDI trace names every object deleted while still selected into a DC, which
    // Windows refuses and so leaks.
    const WineTrace gdi_trace;
    Process saver = StartTraced(Saver(), hidden ? L"/s" : L"", L"+gdi");
    HWND session = WaitForWindow(saver.Id(), nullptr, L"Zarvo_Main");
    ASSERT_NE(session, nullptr);
    EXPECT_FALSE(IsWindowVisible(session)) << "the session form is never shown";
    EXPECT_TRUE(WaitUntil([] { return FileExistsAt(SnapshotPath()); }))
        << "the session leaves the desktop snapshot for the renderer";
    EXPECT_NE(TunnelWindow(), nullptr) << "the renderer started";
    const Pixels snapshot = DecodeBitmap(ReadFileBytes(SnapshotPath()));
    ASSERT_EQ(snapshot.width, width);
    ASSERT_EQ(snapshot.height, height);
    EXPECT_EQ(snapshot.At(150, 60), RGB(255, 255, 255));
    EXPECT_EQ(snapshot.At(150, height - 60), RGB(0, 0, 0));
    EXPECT_EQ(snapshot.At(width - 150, 60), RGB(0, 0, 0));
    EXPECT_EQ(snapshot.At(width - 1, height - 1), RGB(255, 255, 255));
    EXPECT_EQ(CursorCountOf(session) < 0, hidden);

    // Far along one axis only keeps it running (the boundary is CursorFarFromStart's).
    MoveCursorTo(800, 300);
    EXPECT_FALSE(WaitUntil([&] { return !saver.Running(); }, 400ms));
    MoveCursorTo(331, 331);
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_FALSE(FileExistsAt(SnapshotPath())) << "the end deletes the snapshot";
    EXPECT_EQ(gdi_trace.Text().find("because object in use"), std::string::npos);
    // The renderer the session started watches the cursor from its own start point.
    KillProcessesNamed(L"Mirokan.data");
  }
}

// What Windows shows of the programs: the icon at its usual sizes in both (Explorer, the
// uninstall entry), and the saver's name in the Screen Saver Settings list (string 1).
TEST(Startup, BothProgramsCarryTheIconAndTheSaverItsName) {
  for (const wchar_t* program : {L"Mirokan.scr", L"Mirokan.data"}) {
    const HMODULE module =
        LoadLibraryExW(InFolder(program).c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    std::vector<int> sizes;
    if (const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON)) {
      // A 6-byte header with the count, then 14 bytes an entry, a width of 0 meaning 256.
      const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
      for (int i = 0; i < (bytes[4] | bytes[5] << 8); ++i) {
        sizes.push_back(bytes[6 + 14 * i] ? bytes[6 + 14 * i] : 256);
      }
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256})) << testing::PrintToString(program);
    wchar_t name[32] = {};
    LoadStringW(module, 1, name, 32);
    if (program == std::wstring(L"Mirokan.scr")) {
      EXPECT_STREQ(name, L"Mirokan");
    }
    FreeLibrary(module);
  }
}

}  // namespace
}  // namespace mirokan::e2e
