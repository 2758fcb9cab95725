// The screen copy every picture of the desktop is made with, desktop names, and the watcher's
// picture in a named section: written only into a section the watcher has just created, its
// header's mark set last, so a reader sees a whole picture or none.
#include "common/win32_desktop_picture.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "common/win32_gdi.h"
#include "common/win32_trace.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kSectionName[] = L"Local\\Mirokan.DesktopPicture";

std::wstring DesktopName(HDESK desktop) {
  wchar_t name[128] = {};
  DWORD needed = 0;
  if (!desktop || !GetUserObjectInformationW(desktop, UOI_NAME, name,
                                             sizeof(name) - sizeof(wchar_t), &needed)) {
    return {};
  }
  return name;
}

}  // namespace

ScreenRect VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
          top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

void CopyScreenInBands(HDC target, int width, int height, HDC screen, int left, int top) {
  // Under Wine a copy from the screen of more than about half a megabyte went to the X
  // server as one request and came back five to six times slower at every screen size tried
  // (a whole 4K screen 350 ms, the same screen in bands of 256 KB 60 ms).
  constexpr int kBandBytes = 256 * 1024;
  const int band = std::max(1, kBandBytes / std::max(1, width * 4));
  for (int y = 0; y < height; y += band) {
    BitBlt(target, 0, y, width, std::min(band, height - y), screen, left, top + y, SRCCOPY);
  }
}

std::wstring ThreadDesktopName() {
  return DesktopName(GetThreadDesktop(GetCurrentThreadId()));
}

std::wstring InputDesktopName() {
  HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
  std::wstring name = DesktopName(input);
  if (input) CloseDesktop(input);
  return name;
}

std::uint32_t LastInputTick() {
  LASTINPUTINFO input{.cbSize = sizeof(input)};
  return GetLastInputInfo(&input) ? input.dwTime : 0;
}

bool DesktopPictureHolder::Take(std::uint32_t input_tick, const std::wstring& desktop) {
  Drop();
  const ScreenRect screen = VirtualScreen();
  const std::optional<std::size_t> bytes = DesktopPictureBytes(screen);
  if (!bytes) return false;
  // Backed by the paging file: the picture is never written to a file of ours.
  UniqueKernelHandle section(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                static_cast<DWORD>(*bytes >> 32),
                                                static_cast<DWORD>(*bytes), kSectionName));
  // A session still reading the last picture keeps its section alive; a new one waits for
  // the next stretch of idleness rather than write under the reader.
  if (!section || GetLastError() == ERROR_ALREADY_EXISTS) return false;

  void* bits = nullptr;
  UniqueMemoryDc dc(Traced(CreateCompatibleDC(nullptr), L"CreateCompatibleDC"));
  UniqueBitmap image = dc ? MakeDibSection(screen.Width(), screen.Height(), 24, RowOrder::kBottomUp,
                                           &bits, section.Get(), kDesktopPictureBitsOffset)
                          : UniqueBitmap();
  if (!image) return false;
  {
    SelectGuard select(dc.Get(), image.Get());
    WindowDc screen_dc(nullptr);
    if (!screen_dc) return false;
    CopyScreenInBands(dc.Get(), screen.Width(), screen.Height(), screen_dc.Get(), screen.left,
                      screen.top);
    GdiFlush();
  }
  void* view = MapViewOfFile(section.Get(), FILE_MAP_WRITE, 0, 0, kDesktopPictureBitsOffset);
  if (!view) return false;
  DesktopPictureHeader header;
  header.version = kDesktopPictureVersion;
  header.input_tick = input_tick;
  header.screen = screen;
  const std::size_t chars = std::min(desktop.size(), std::size(header.desktop) - 1);
  std::memcpy(header.desktop, desktop.data(), chars * sizeof(wchar_t));
  std::memcpy(view, &header, sizeof(header));
  // The mark last: a reader that sees it sees the rest.
  std::atomic_thread_fence(std::memory_order_release);
  static_cast<DesktopPictureHeader*>(view)->magic = kDesktopPictureMagic;
  UnmapViewOfFile(view);
  section_ = std::move(section);
  return true;
}

DesktopPictureView::DesktopPictureView()
    : section_(OpenFileMappingW(FILE_MAP_READ, FALSE, kSectionName)) {
  if (!section_) return;
  view_ = MapViewOfFile(section_.Get(), FILE_MAP_READ, 0, 0, 0);
  MEMORY_BASIC_INFORMATION region{};
  if (view_ && VirtualQuery(view_, &region, sizeof(region)) == sizeof(region)) {
    bytes_ = region.RegionSize;
  }
  if (bytes_ < kDesktopPictureBitsOffset) {
    if (view_) UnmapViewOfFile(view_);
    view_ = nullptr;
    bytes_ = 0;
  }
}

DesktopPictureView::~DesktopPictureView() {
  if (view_) UnmapViewOfFile(view_);
}

bool DesktopPictureView::IsFresh(std::uint32_t input_tick, const ScreenRect& screen) const {
  if (!view_ || Header().magic != kDesktopPictureMagic) return false;
  // The mark first: the rest was written before it.
  std::atomic_thread_fence(std::memory_order_acquire);
  return DesktopPictureIsFresh(Header(), bytes_, input_tick, screen);
}

}  // namespace mirokan::win32
