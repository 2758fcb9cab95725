// Black covers over the monitors the tunnel window does not fill, and the read of the
// monitor layout. The placement itself is the portable CoverRects.
#include "renderer/win32_monitor_covers.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kCoverClassName[] = L"Tunnel_Cover";
// Far more than any desk holds; the list is reserved up front so the enumeration callback
// never allocates.
constexpr std::size_t kMaxMonitors = 32;

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    monitors.push_back(
        {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return monitors.size() < kMaxMonitors;
}

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

std::vector<Monitor> ReadMonitorLayout() {
  std::vector<Monitor> monitors;
  monitors.reserve(kMaxMonitors);
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

void MonitorCovers::Place(std::span<const ScreenRect> rects) {
  if (!class_registered_ && !rects.empty()) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = CoverProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = kCoverClassName;
    class_registered_ = RegisterClassW(&window_class) != 0;
    if (!class_registered_) return;
  }
  while (windows_.size() > rects.size()) {
    DestroyWindow(windows_.back());
    windows_.pop_back();
  }
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const ScreenRect& rect = rects[i];
    if (i == windows_.size()) {
      // Made hidden: a window made visible would be activated and take the focus.
      const HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
                                         kCoverClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
      if (!cover) return;
      windows_.push_back(cover);
    }
    SetWindowPos(windows_[i], HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

void MonitorCovers::Clear() {
  for (const HWND cover : windows_) DestroyWindow(cover);
  windows_.clear();
  if (class_registered_) UnregisterClassW(kCoverClassName, GetModuleHandleW(nullptr));
  class_registered_ = false;
}

}  // namespace mirokan::win32
