// Helpers for the end-to-end tests: they run under Wine as Windows programs and drive the
// real Mirokan.scr / Mirokan.data through Win32. Each test program runs in a folder of its
// own that also holds fresh copies of both programs.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/win32_process.h"

namespace mirokan::e2e {

using namespace std::chrono_literals;
using tools::KillProcessesNamed;
using tools::Process;
using tools::ProcessesNamed;
using tools::WaitUntil;

// The folder of the running test program (with copies of Mirokan.scr and Mirokan.data).
std::wstring TestFolder();
std::wstring InFolder(const std::wstring& name);

// With Wine's debug `channels` (e.g. L"+mci") on.
Process StartTraced(const std::wstring& program, const std::wstring& arguments,
                    const wchar_t* channels);

// What Wine's debug channels wrote, for every process the test started, since this object
// was made (the harness keeps Wine's stderr in the test's folder).
class WineTrace {
 public:
  WineTrace();
  std::string Text() const;

 private:
  std::size_t start_;
};

// The tunnel window of process `pid` (any when 0), and the renderer it belongs to.
HWND TunnelWindow(DWORD pid = 0, std::chrono::milliseconds deadline = std::chrono::seconds(30));
Process TunnelProcess();

// A folder `name` in the test's folder holding a copy of Mirokan.scr alone.
std::wstring FolderWithSaver(const std::wstring& name);

// TMP and TEMP (which both programs inherit from us) point at `folder` until this goes.
class TemporaryFolderSet {
 public:
  explicit TemporaryFolderSet(const std::wstring& folder);
  ~TemporaryFolderSet();
  TemporaryFolderSet(const TemporaryFolderSet&) = delete;
  TemporaryFolderSet& operator=(const TemporaryFolderSet&) = delete;

 private:
  std::optional<std::wstring> saved_[2];
};

// Top-level windows of process `pid` (any when 0); a null class or caption matches anything.
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* class_name, const wchar_t* caption,
                             bool visible_only = false);
HWND WaitForWindow(DWORD pid, const wchar_t* class_name, const wchar_t* caption,
                   std::chrono::milliseconds deadline = std::chrono::seconds(20));

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
};
MessageBoxInfo WaitForMessageBox(DWORD pid,
                                 std::chrono::milliseconds deadline = std::chrono::seconds(20));

// Dispatches what is queued for this thread's windows; true when WM_QUIT was among it.
bool Pump();
// WaitUntil, pumping this thread's messages before each look.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(20));

// A top-level window of this process that paints its background with `background` (left
// unpainted when null); destroyed with the object.
class TestWindow {
 public:
  TestWindow(const wchar_t* caption, DWORD style, POINT at, SIZE size, HBRUSH background = nullptr,
             DWORD ex_style = 0);
  ~TestWindow() { Destroy(); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND Get() const { return window_; }
  // The command line that shows a preview inside this window.
  std::wstring PreviewArguments() const;
  void Destroy();

 private:
  HWND window_ = nullptr;
};

// Pixels read back from a DC, a bitmap, the screen or a bitmap file.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> at;  // rows top-down
  COLORREF At(int x, int y) const { return at[static_cast<std::size_t>(y) * width + x]; }
};
Pixels Capture(HDC source, const RECT& area);
Pixels PictureOf(HBITMAP picture);
// What the screen shows of `window`'s client area.
Pixels OnScreen(HWND window);
// What `window` paints for WM_PRINTCLIENT into an area of `size`.
Pixels Printed(HWND window, SIZE size);
// A 24-bit bitmap file; empty when it is none.
Pixels DecodeBitmap(const std::string& file);
COLORREF ScreenPixel(int x, int y);
// Screen colours on a grid of `columns` x `rows` points evenly inside `area`.
std::vector<COLORREF> ScreenSamples(const RECT& area, int columns, int rows);

// Moves the real pointer (other processes see it) and waits until it reads back there.
void MoveCursorTo(int x, int y);
// True once a coarse grid of screen colours changed: something (the tunnel) is drawing.
bool ScreenChanges();
// Whether the mouse pointer shows (a hidden one does not).
bool CursorShowing();
// A real click (left, or right) at a point of `window`'s client area.
enum class ClickButton { kLeft, kRight };
void ClickAt(HWND window, POINT client, ClickButton button = ClickButton::kLeft);
int ScreenDpi();

bool RunningUnderWine();

std::string ReadFileBytes(const std::wstring& path);
// Names in `folder` matching `pattern`, sorted, without "." and "..".
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern = L"*");
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExistsAt(const std::wstring& path);

}  // namespace mirokan::e2e
