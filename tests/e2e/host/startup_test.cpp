// Start-up of the real Mirokan.scr: the instance test, the dispatch of the command line,
// the missing-renderer message and the cursor of a session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/snapshot_path.h"
#include "e2e_support.h"

namespace mirokan {
namespace {

using namespace e2e;

const std::wstring kRendererMissing = L"Mirokan.dataが同じﾌｫﾙﾀﾞに見つかりません！";

// A hidden top-level window with a given caption, as another instance would leave.
class CaptionedWindow {
 public:
  explicit CaptionedWindow(const wchar_t* caption, bool visible = false,
                           DWORD style = WS_OVERLAPPEDWINDOW) {
    static const ATOM window_class = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"MirokanTestWindow";
      return RegisterClassW(&wc);
    }();
    (void)window_class;
    window_ = CreateWindowExW(0, L"MirokanTestWindow", caption, style, 100, 100, 200, 150, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (visible) ShowWindow(window_, SW_SHOW);
  }
  ~CaptionedWindow() {
    if (window_) DestroyWindow(window_);
  }
  HWND Get() const { return window_; }
  void Destroy() {
    DestroyWindow(window_);
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
};

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

std::wstring Saver() {
  return InFolder(L"Mirokan.scr");
}

// Ends by itself with exit code 0, without a message box or a window on the way.
void ExpectEndsSilently(const std::wstring& arguments, const std::wstring& program = Saver()) {
  SCOPED_TRACE(testing::Message() << "arguments \""
                                  << std::string(arguments.begin(), arguments.end()) << '"');
  Process saver = Process::Start(program, arguments);
  ASSERT_TRUE(saver.Started());
  bool showed_something = false;
  WaitUntil([&] {
    PumpMessages();
    if (!TopWindows(saver.Id(), nullptr, nullptr, true).empty()) showed_something = true;
    return !saver.Running();
  });
  DWORD code = 99;
  ASSERT_TRUE(saver.WaitExit(5s, &code)) << "still running";
  EXPECT_EQ(code, 0u);
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
  for (const wchar_t* caption : {L"Zarvo_Main", L"<Mirokan>", L"Zarvo_Velkan"}) {
    CaptionedWindow other(caption);
    ASSERT_NE(other.Get(), nullptr);
    for (const wchar_t* arguments : {L"/s", L"", L"/c", L"/p 1234", L"/a 1234"}) {
      ExpectEndsSilently(arguments);
    }
  }
}

TEST(Startup, MissingRendererIsReportedBeforeTheDialog) {
  const std::wstring alone = InFolder(L"alone");
  CreateDirectoryW(alone.c_str(), nullptr);
  const std::wstring program = alone + L"\\Mirokan.scr";
  ASSERT_TRUE(CopyFileW(Saver().c_str(), program.c_str(), FALSE));

  for (const wchar_t* arguments : {L"/c", L"/s", L""}) {
    Process saver = Process::Start(program, arguments, alone);
    const MessageBoxInfo box = WaitForMessageBox(saver.Id());
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, kRendererMissing);
    EXPECT_TRUE(TopWindows(saver.Id(), nullptr, L"<Mirokan>").empty());
    EXPECT_TRUE(TopWindows(saver.Id(), nullptr, L"Zarvo_Main").empty());
    DismissMessageBox(box.window);
    DWORD code = 99;
    ASSERT_TRUE(saver.WaitExit(20s, &code));
    EXPECT_EQ(code, 0u);
  }
}

// A pixel of a bottom-up 24-bit bitmap file.
COLORREF BitmapPixel(const std::string& file, int width, int height, int x, int y) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const std::size_t at = 54 + static_cast<std::size_t>(height - 1 - y) * stride + x * 3;
  if (at + 3 > file.size()) return CLR_INVALID;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(file[i]); };
  return RGB(byte(at + 2), byte(at + 1), byte(at));
}

TEST(Startup, RunPhotographsTheScreenStartsTheRendererAndHidesTheCursorOnlyForSlashS) {
  // A white block on the black screen, so that the snapshot's top, bottom and sides differ.
  CaptionedWindow block(L"White block", true, WS_POPUP);
  SetClassLongPtrW(block.Get(), GCLP_HBRBACKGROUND,
                   reinterpret_cast<LONG_PTR>(GetStockObject(WHITE_BRUSH)));
  SetWindowPos(block.Get(), HWND_TOPMOST, 0, 0, 200, 100, SWP_SHOWWINDOW);
  InvalidateRect(block.Get(), nullptr, TRUE);
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);

  struct Case {
    const wchar_t* arguments;
    bool hidden;
  };
  for (const Case& c : {Case{L"/s", true}, Case{L"", false}}) {
    // Painted again once the last renderer has gone.
    ASSERT_TRUE(WaitUntil([&] {
      PumpMessages();
      HDC screen = GetDC(nullptr);
      const COLORREF inside = GetPixel(screen, 150, 60);
      ReleaseDC(nullptr, screen);
      return inside == RGB(255, 255, 255);
    }));
    MoveCursorTo(300, 300);
    // Wine's GDI trace names every object deleted while still selected into a DC, which
    // Windows refuses and so leaks.
    const WineTrace gdi_trace;
    Process saver = StartTraced(Saver(), c.arguments, L"+gdi");
    HWND session = WaitForWindow(saver.Id(), nullptr, L"Zarvo_Main");
    ASSERT_NE(session, nullptr);
    EXPECT_FALSE(IsWindowVisible(session)) << "the session form is never shown";
    EXPECT_TRUE(WaitUntil([] { return FileExistsAt(SnapshotPath()); }))
        << "the session leaves the desktop snapshot for the renderer";
    EXPECT_NE(WaitForWindow(0, nullptr, L"Tunnel_Velkan"), nullptr) << "the renderer started";
    const std::string snapshot = ReadFileBytes(SnapshotPath());
    ASSERT_GE(snapshot.size(), 54u);
    EXPECT_EQ(*reinterpret_cast<const std::int32_t*>(&snapshot[18]), screen_width);
    EXPECT_EQ(*reinterpret_cast<const std::int32_t*>(&snapshot[22]), screen_height);
    EXPECT_EQ(BitmapPixel(snapshot, screen_width, screen_height, 150, 60), RGB(255, 255, 255));
    EXPECT_EQ(BitmapPixel(snapshot, screen_width, screen_height, 150, screen_height - 60),
              RGB(0, 0, 0));
    EXPECT_EQ(BitmapPixel(snapshot, screen_width, screen_height, screen_width - 150, 60),
              RGB(0, 0, 0));
    if (c.hidden) {
      EXPECT_LT(CursorCountOf(session), 0);
    } else {
      EXPECT_GE(CursorCountOf(session), 0);
    }

    // Far along one axis only keeps it running (the boundary is CursorFarFromStart's).
    MoveCursorTo(800, 300);
    EXPECT_FALSE(WaitUntil([&] { return !saver.Running(); }, 400ms));
    MoveCursorTo(331, 331);
    DWORD code = 99;
    ASSERT_TRUE(saver.WaitExit(20s, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(FileExistsAt(SnapshotPath())) << "the end deletes the snapshot";
    EXPECT_EQ(gdi_trace.Text().find("because object in use"), std::string::npos);
    // The renderer the session started watches the cursor from its own start point.
    KillProcessesNamed(L"Mirokan.data");
  }
}

// Without a usable temporary folder (one longer than MAX_PATH), started from another
// folder, the session and the renderer it starts still agree on where the snapshot is.
TEST(Startup, WithoutATemporaryFolderBothProgramsFindTheSameSnapshot) {
  const std::wstring elsewhere = InFolder(L"elsewhere");
  CreateDirectoryW(elsewhere.c_str(), nullptr);
  const std::wstring too_long = L"C:\\" + std::wstring(300, L't');
  SetEnvironmentVariableW(L"TMP", too_long.c_str());
  SetEnvironmentVariableW(L"TEMP", too_long.c_str());
  MoveCursorTo(300, 300);
  Process saver = Process::Start(Saver(), L"/s", elsewhere);
  SetEnvironmentVariableW(L"TMP", nullptr);
  SetEnvironmentVariableW(L"TEMP", nullptr);
  ASSERT_NE(WaitForWindow(0, nullptr, L"Tunnel_Velkan"), nullptr);
  EXPECT_FALSE(WaitUntil([] { return !TopWindows(0, L"#32770", nullptr, true).empty(); }, 3s))
      << "the renderer reported its snapshot missing";
  MoveCursorTo(400, 400);
  EXPECT_TRUE(saver.WaitExit(20s));
  KillProcessesNamed(L"Mirokan.data");
}

TEST(Startup, PreviewLivesInsideItsHostWindow) {
  CaptionedWindow host(L"Preview host", true);
  RECT host_rect{};
  GetWindowRect(host.Get(), &host_rect);
  const std::wstring arguments =
      L"/p " + std::to_wstring(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(host.Get())));
  Process saver = Process::Start(Saver(), arguments);
  HWND preview = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    PumpMessages();
    preview = FindWindowExW(host.Get(), nullptr, nullptr, L"Preview Window");
    return preview != nullptr;
  }));
  RECT preview_rect{};
  ASSERT_TRUE(WaitUntil([&] {
    PumpMessages();
    GetWindowRect(preview, &preview_rect);
    return preview_rect.right - preview_rect.left == host_rect.right - host_rect.left;
  }));
  EXPECT_EQ(preview_rect.bottom - preview_rect.top, host_rect.bottom - host_rect.top);
  POINT client_origin{0, 0};
  ClientToScreen(host.Get(), &client_origin);
  EXPECT_EQ(preview_rect.left, client_origin.x);
  EXPECT_EQ(preview_rect.top, client_origin.y);
  EXPECT_TRUE(GetWindowLongW(preview, GWL_STYLE) & WS_CHILD);

  // The host's window goes, the preview goes with it, and so does the program.
  host.Destroy();
  DWORD code = 99;
  ASSERT_TRUE(WaitUntil([&] {
    PumpMessages();
    return !saver.Running();
  }));
  ASSERT_TRUE(saver.WaitExit(1s, &code));
  EXPECT_EQ(code, 0u);

  // A handle that is no window: nothing to live in, so the preview ends at once.
  ExpectEndsSilently(L"/p 0");
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
}  // namespace mirokan
