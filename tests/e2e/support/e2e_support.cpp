#include "e2e_support.h"

#include "common/win32_file.h"
#include "common/win32_handles.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace mirokan::e2e {

std::wstring TestFolder() {
  return win32::ProgramFolder();
}

std::wstring InFolder(const std::wstring& name) {
  return TestFolder() + L"\\" + name;
}

Process StartTraced(const std::wstring& program, const std::wstring& arguments,
                    const wchar_t* channels) {
  SetEnvironmentVariableW(L"WINEDEBUG", channels);
  Process process = Process::Start(program, arguments);
  SetEnvironmentVariableW(L"WINEDEBUG", L"-all");
  return process;
}

HWND TunnelWindow(DWORD pid, std::chrono::milliseconds deadline) {
  return WaitForWindow(pid, L"OpenGL", L"Tunnel_Velkan", deadline);
}

Process TunnelProcess() {
  const HWND found = TunnelWindow();
  DWORD id = 0;
  GetWindowThreadProcessId(found, &id);
  return found ? Process::Attach(id) : Process();
}

std::wstring FolderWithSaver(const std::wstring& name) {
  const std::wstring folder = InFolder(name);
  CreateDirectoryW(folder.c_str(), nullptr);
  CopyFileW(InFolder(L"Mirokan.scr").c_str(), (folder + L"\\Mirokan.scr").c_str(), FALSE);
  return folder;
}

constexpr const wchar_t* kTemporaryVariables[] = {L"TMP", L"TEMP"};

TemporaryFolderSet::TemporaryFolderSet(const std::wstring& folder) {
  for (int i = 0; i < 2; ++i) {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetEnvironmentVariableW(kTemporaryVariables[i], buffer.data(), 32768);
    if (length > 0 && length < 32768) saved_[i] = std::wstring(buffer.data(), length);
    SetEnvironmentVariableW(kTemporaryVariables[i], folder.c_str());
  }
}

TemporaryFolderSet::~TemporaryFolderSet() {
  for (int i = 0; i < 2; ++i) {
    SetEnvironmentVariableW(kTemporaryVariables[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
}

WineTrace::WineTrace() : start_(ReadFileBytes(InFolder(L"wine-stderr.log")).size()) {}

std::string WineTrace::Text() const {
  const std::string all = ReadFileBytes(InFolder(L"wine-stderr.log"));
  return all.size() > start_ ? all.substr(start_) : std::string();
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

bool Pump() {
  bool quit = false;
  for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
    if (message.message == WM_QUIT) {
      quit = true;
    } else {
      DispatchMessageW(&message);
    }
  }
  return quit;
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  return WaitUntil(
      [&] {
        Pump();
        return condition();
      },
      deadline, 5ms);
}

namespace {
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto brush = reinterpret_cast<HBRUSH>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message != WM_ERASEBKGND || !brush) return DefWindowProcW(window, message, wparam, lparam);
  RECT area{};
  GetClientRect(window, &area);
  FillRect(reinterpret_cast<HDC>(wparam), &area, brush);
  return 1;
}
}  // namespace

TestWindow::TestWindow(const wchar_t* caption, DWORD style, POINT at, SIZE size, HBRUSH background,
                       DWORD ex_style) {
  static const ATOM window_class = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MirokanTestWindow";
    return RegisterClassW(&wc);
  }();
  (void)window_class;
  window_ =
      CreateWindowExW(ex_style, L"MirokanTestWindow", caption, style & ~WS_VISIBLE, at.x, at.y,
                      size.cx, size.cy, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(background));
  if (style & WS_VISIBLE) ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

std::wstring TestWindow::PreviewArguments() const {
  return L"/p " + std::to_wstring(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window_)));
}

void TestWindow::Destroy() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
}

Pixels Capture(HDC source, const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  Pixels pixels{width, height, std::vector<COLORREF>(static_cast<std::size_t>(width) * height)};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  win32::UniqueMemoryDc dc(CreateCompatibleDC(source));
  win32::UniqueBitmap bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return pixels;
  {
    win32::SelectGuard select(dc.Get(), bitmap.Get());
    BitBlt(dc.Get(), 0, 0, width, height, source, area.left, area.top, SRCCOPY);
    GdiFlush();
  }
  const auto* quad = static_cast<const RGBQUAD*>(bits);
  for (std::size_t i = 0; i < pixels.at.size(); ++i) {
    pixels.at[i] = RGB(quad[i].rgbRed, quad[i].rgbGreen, quad[i].rgbBlue);
  }
  return pixels;
}

Pixels PictureOf(HBITMAP picture) {
  BITMAP info{};
  if (!picture || !GetObjectW(picture, sizeof(info), &info)) return {};
  win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  win32::SelectGuard select(dc.Get(), picture);
  return Capture(dc.Get(), {0, 0, info.bmWidth, info.bmHeight});
}

Pixels OnScreen(HWND window) {
  RECT area{};
  GetClientRect(window, &area);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
  win32::WindowDc screen(nullptr);
  return Capture(screen.Get(), area);
}

Pixels Printed(HWND window, SIZE size) {
  win32::WindowDc screen(nullptr);
  win32::UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
  win32::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), size.cx, size.cy));
  {
    win32::SelectGuard select(dc.Get(), bitmap.Get());
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
  }
  return PictureOf(bitmap.Get());
}

Pixels DecodeBitmap(const std::string& file) {
  const auto field = [&](std::size_t at) {
    std::int32_t value = 0;
    if (at + 4 <= file.size()) std::memcpy(&value, file.data() + at, 4);
    return value;
  };
  const int width = field(18), height = field(22);
  const std::size_t stride =
      (static_cast<std::size_t>(std::max(width, 0)) * 3 + 3) & ~std::size_t{3};
  if (width <= 0 || height <= 0 || file.size() < 54 + stride * height) return {};
  Pixels pixels{width, height, {}};
  for (int y = 0; y < height; ++y) {
    const auto* row =
        reinterpret_cast<const unsigned char*>(file.data()) + 54 + (height - 1 - y) * stride;
    for (int x = 0; x < width; ++x)
      pixels.at.push_back(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
  }
  return pixels;
}

COLORREF ScreenPixel(int x, int y) {
  return GetPixel(win32::WindowDc(nullptr).Get(), x, y);
}

std::vector<COLORREF> ScreenSamples(const RECT& area, int columns, int rows) {
  std::vector<COLORREF> colours;
  win32::WindowDc screen(nullptr);
  for (int j = 1; j <= rows; ++j) {
    for (int i = 1; i <= columns; ++i) {
      colours.push_back(GetPixel(screen.Get(),
                                 area.left + (area.right - area.left) * i / (columns + 1),
                                 area.top + (area.bottom - area.top) * j / (rows + 1)));
    }
  }
  return colours;
}

void ClickAt(HWND window, POINT client, ClickButton button) {
  const bool right = button == ClickButton::kRight;
  ClientToScreen(window, &client);
  MoveCursorTo(client.x, client.y);
  INPUT input[2]{{.type = INPUT_MOUSE}, {.type = INPUT_MOUSE}};
  input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

int ScreenDpi() {
  const win32::WindowDc screen(nullptr);
  return GetDeviceCaps(screen.Get(), LOGPIXELSY);
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
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const std::vector<COLORREF> before = ScreenSamples(screen, 9, 7);
  return WaitUntil([&] { return ScreenSamples(screen, 9, 7) != before; });
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

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

bool FileExistsAt(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace mirokan::e2e
