// Starting, waiting for and ending processes of ours from another Windows program: the soak,
// the start-up benchmark and the end-to-end tests all drive the real programs this way.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace mirokan::tools {

// Polls every `poll` (0: as fast as it can, to win a race); true when `condition` held
// before `deadline`.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(20),
               std::chrono::milliseconds poll = std::chrono::milliseconds(20));

// A child process; the destructor kills it (and waits) if it still runs, so no run leaves
// a program of ours behind.
class Process {
 public:
  // In `folder`, this program's own folder when empty; on `desktop` (a desktop's name, as
  // the system starts a saver on its own), this program's when null.
  static Process Start(const std::wstring& program, const std::wstring& arguments = L"",
                       const std::wstring& folder = L"", const wchar_t* desktop = nullptr);
  // A process this program did not start (the renderer a session started), by its id.
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
  // The exit code once it ended within `deadline`; STILL_ACTIVE (259) if it runs on.
  DWORD ExitCode(std::chrono::milliseconds deadline = std::chrono::seconds(20));
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Ids of the processes whose executable file name is `name`; KillProcessesNamed ends them.
std::vector<DWORD> ProcessesNamed(const wchar_t* name);
void KillProcessesNamed(const wchar_t* name);

}  // namespace mirokan::tools
