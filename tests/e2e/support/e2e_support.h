// Helpers for the end-to-end tests: they run under Wine as Windows programs and drive the
// real Mirokan.scr / Mirokan.data through Win32. Each test program runs in a folder of its
// own that also holds fresh copies of both programs.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace mirokan::e2e {

using namespace std::chrono_literals;

// The folder of the running test program (with copies of Mirokan.scr and Mirokan.data).
std::wstring TestFolder();
std::wstring InFolder(const std::wstring& name);

// Polls every `poll` (0: as fast as it can, to win a race); true when `condition` held
// before `deadline`.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(20),
               std::chrono::milliseconds poll = std::chrono::milliseconds(20));

// A child process; the destructor kills it (and waits) if it still runs, so no test leaves
// a program of ours behind.
class Process {
 public:
  // In `folder`, TestFolder() when empty.
  static Process Start(const std::wstring& program, const std::wstring& arguments = L"",
                       const std::wstring& folder = L"");
  // A process this test did not start (the renderer a session started), by its id.
  static Process Attach(DWORD id);
  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  bool Running() const;
  bool WaitExit(std::chrono::milliseconds deadline, DWORD* exit_code = nullptr);
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

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

// Ids of the processes whose executable file name is `name`; KillProcessesNamed ends them.
std::vector<DWORD> ProcessesNamed(const wchar_t* name);
void KillProcessesNamed(const wchar_t* name);

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
void DismissMessageBox(HWND box);

// Moves the real pointer (other processes see it) and waits until it reads back there.
void MoveCursorTo(int x, int y);
// True once a coarse grid of screen colours changed: something (the tunnel) is drawing.
bool ScreenChanges();
// Whether the mouse pointer shows (a hidden one does not).
bool CursorShowing();
// A real click (left, or right) at a point of `window`'s client area.
void ClickAt(HWND window, POINT client, bool right = false);
int ScreenDpi();

bool RunningUnderWine();

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExistsAt(const std::wstring& path);

}  // namespace mirokan::e2e
