#include "e2e_support.h"

#include "common/win32_file.h"

#include <tlhelp32.h>

#include <utility>

namespace mirokan::e2e {

std::wstring TestFolder() {
  return win32::ProgramFolder();
}

std::wstring InFolder(const std::wstring& name) {
  return TestFolder() + L"\\" + name;
}

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
                       const std::wstring& folder) {
  std::wstring command_line = L"\"" + program + L"\"";
  if (!arguments.empty()) command_line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const std::wstring dir = folder.empty() ? TestFolder() : folder;
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

Process StartTraced(const std::wstring& program, const std::wstring& arguments,
                    const wchar_t* channels) {
  SetEnvironmentVariableW(L"WINEDEBUG", channels);
  Process process = Process::Start(program, arguments);
  SetEnvironmentVariableW(L"WINEDEBUG", L"-all");
  return process;
}

WineTrace::WineTrace() : start_(ReadFileBytes(InFolder(L"wine-stderr.log")).size()) {}

std::string WineTrace::Text() const {
  const std::string all = ReadFileBytes(InFolder(L"wine-stderr.log"));
  return all.size() > start_ ? all.substr(start_) : std::string();
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
  for (const DWORD id : ProcessesNamed(name)) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      TerminateProcess(process, 99);
      WaitForSingleObject(process, 10000);
      CloseHandle(process);
    }
  }
}

namespace {
struct Search {
  DWORD pid;
  const wchar_t* class_name;
  const wchar_t* caption;
  bool visible_only;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search.pid != 0 && owner != search.pid) return TRUE;
  if (search.visible_only && !IsWindowVisible(window)) return TRUE;
  if (search.class_name && ClassName(window) != search.class_name) return TRUE;
  if (search.caption && WindowText(window) != search.caption) return TRUE;
  search.found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM context) {
  auto& texts = *reinterpret_cast<std::vector<std::wstring>*>(context);
  if (_wcsicmp(ClassName(child).c_str(), L"Static") == 0) {
    std::wstring text = WindowText(child);
    if (!text.empty()) texts.push_back(std::move(text));
  }
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* class_name, const wchar_t* caption,
                             bool visible_only) {
  Search search{pid, class_name, caption, visible_only, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD pid, const wchar_t* class_name, const wchar_t* caption,
                   std::chrono::milliseconds deadline) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const auto windows = TopWindows(pid, class_name, caption);
        if (!windows.empty()) found = windows.front();
        return found != nullptr;
      },
      deadline);
  return found;
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  const int length = GetWindowTextW(window, buffer, 1024);
  return std::wstring(buffer, length > 0 ? length : 0);
}

std::wstring ClassName(HWND window) {
  wchar_t buffer[256] = {};
  const int length = GetClassNameW(window, buffer, 256);
  return std::wstring(buffer, length > 0 ? length : 0);
}

MessageBoxInfo WaitForMessageBox(DWORD pid, std::chrono::milliseconds deadline) {
  MessageBoxInfo info;
  WaitUntil(
      [&] {
        const auto boxes = TopWindows(pid, L"#32770", nullptr, true);
        if (boxes.empty()) return false;
        info.window = boxes.front();
        return true;
      },
      deadline);
  if (!info.window) return info;
  info.caption = WindowText(info.window);
  // The text is the box's static control (id 0xFFFF on Windows); the icon is a static too,
  // but without text.
  std::vector<std::wstring> texts;
  WaitUntil(
      [&] {
        texts.clear();
        EnumChildWindows(info.window, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
        return !texts.empty();
      },
      2s);
  if (!texts.empty()) info.text = texts.front();
  return info;
}

void DismissMessageBox(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void ClickAt(HWND window, POINT client, bool right) {
  ClientToScreen(window, &client);
  MoveCursorTo(client.x, client.y);
  INPUT input[2]{{.type = INPUT_MOUSE}, {.type = INPUT_MOUSE}};
  input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

void MoveCursorTo(int x, int y) {
  // Wine warps the X pointer only for a thread that has a window on the X screen; without
  // one the move stays private to this process.
  static const HWND anchor = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1,
                                             nullptr, nullptr, nullptr, nullptr);
  (void)anchor;
  WaitUntil(
      [&] {
        SetCursorPos(x, y);
        POINT now{};
        GetCursorPos(&now);
        return now.x == x && now.y == y;
      },
      5s);
}

bool ScreenChanges() {
  const auto samples = [] {
    std::vector<COLORREF> colours;
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < 63; ++i) {
      colours.push_back(GetPixel(screen, GetSystemMetrics(SM_CXSCREEN) * (i % 9 + 1) / 10,
                                 GetSystemMetrics(SM_CYSCREEN) * (i / 9 + 1) / 8));
    }
    ReleaseDC(nullptr, screen);
    return colours;
  };
  const std::vector<COLORREF> before = samples();
  return WaitUntil([&] { return samples() != before; });
}

bool CursorShowing() {
  CURSORINFO info{};
  info.cbSize = sizeof(info);
  return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ReadFileBytes(const std::wstring& path) {
  const auto bytes = win32::ReadWholeFile(path);
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  return win32::WriteWholeFile(
      path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool FileExistsAt(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace mirokan::e2e
