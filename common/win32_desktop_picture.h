// The desktop as the user sees it: every monitor copied from the screen, the name of a
// desktop, and the watcher's picture of the user's desktop, which lives in a named section
// of the user's session (in memory only, never on disk) for a session on another desktop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/desktop_picture.h"
#include "common/win32_handles.h"

namespace mirokan::win32 {

// Every monitor, in physical pixels for a program that is aware of each monitor's scale.
ScreenRect VirtualScreen();

// Copies `width` x `height` pixels of `screen` from (left, top) into `target` at (0, 0).
void CopyScreenInBands(HDC target, int width, int height, HDC screen, int left, int top);

// The name of the desktop this thread runs on ("Default" for the user's, "Screen-saver" for
// the one the system starts savers on), and of the desktop that takes input now; empty when
// it cannot be read (the input desktop of a locked machine is not ours to open).
std::wstring ThreadDesktopName();
std::wstring InputDesktopName();

// The watcher's side: one picture at a time, made in a section of its own.
class DesktopPictureHolder {
 public:
  // Photographs every monitor; false, holding nothing, when that failed.
  bool Take(std::uint32_t input_tick, const std::wstring& desktop);
  void Drop() { section_.Reset(); }
  bool Holding() const { return section_.Valid(); }

 private:
  UniqueKernelHandle section_;
};

// The session's side: the picture, mapped for reading while the object lives.
class DesktopPictureView {
 public:
  // Empty when no picture is held.
  DesktopPictureView();
  ~DesktopPictureView();
  DesktopPictureView(const DesktopPictureView&) = delete;
  DesktopPictureView& operator=(const DesktopPictureView&) = delete;

  explicit operator bool() const { return view_ != nullptr; }
  // Only on a view that holds a picture.
  const DesktopPictureHeader& Header() const {
    return *static_cast<const DesktopPictureHeader*>(view_);
  }
  const std::uint8_t* Rows() const {
    return static_cast<const std::uint8_t*>(view_) + kDesktopPictureBitsOffset;
  }
  // A picture the session may use: see DesktopPictureIsFresh.
  bool IsFresh(std::uint32_t input_tick, const ScreenRect& screen) const;

 private:
  UniqueKernelHandle section_;
  void* view_ = nullptr;
  std::size_t bytes_ = 0;
};

// The tick of the last input in this session (keyboard or mouse), whatever the desktop.
std::uint32_t LastInputTick();

}  // namespace mirokan::win32
