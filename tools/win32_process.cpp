#include "tools/win32_process.h"

#include <tlhelp32.h>

#include <thread>
#include <utility>

#include "common/win32_file.h"

namespace mirokan::tools {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline,
               std::chrono::milliseconds poll) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(poll);
  }
}

Process Process::Start(const std::wstring& program, const std::wstring& arguments,
                       const std::wstring& folder, const wchar_t* desktop) {
  std::wstring command_line = L"\"" + program + L"\"";
  if (!arguments.empty()) command_line += L" " + arguments;
  std::wstring desktop_name = desktop ? desktop : L"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (desktop) startup.lpDesktop = desktop_name.data();
  PROCESS_INFORMATION info{};
  const std::wstring dir = folder.empty() ? win32::ProgramFolder() : folder;
  Process process;
  if (CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     dir.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process.process_ = info.hProcess;
    process.id_ = info.dwProcessId;
  }
  return process;
}

Process Process::Attach(DWORD id) {
  Process process;
  process.process_ =
      OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process.process_) process.id_ = id;
  return process;
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    process_ = std::exchange(other.process_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() {
  Kill();
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(std::chrono::milliseconds deadline, DWORD* exit_code) {
  if (!process_) return false;
  if (WaitForSingleObject(process_, static_cast<DWORD>(deadline.count())) != WAIT_OBJECT_0) {
    return false;
  }
  if (exit_code) GetExitCodeProcess(process_, exit_code);
  return true;
}

DWORD Process::ExitCode(std::chrono::milliseconds deadline) {
  DWORD code = STILL_ACTIVE;
  WaitExit(deadline, &code);
  return code;
}

void Process::Kill() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  id_ = 0;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* name) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry{.dwSize = sizeof(PROCESSENTRY32W)};
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, name) == 0) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

void KillProcessesNamed(const wchar_t* name) {
  for (const DWORD id : ProcessesNamed(name)) Process::Attach(id).Kill();
}
}  // namespace mirokan::tools
