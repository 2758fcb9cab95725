// RAII owners for the Win32 handles both programs hold (kernel handles, GDI objects, DCs).
// GDI owners keep a process-wide count of live objects: Wine's GetGuiResources always
// answers 0, so leak tests read this count instead.
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

namespace mirokan::win32 {

// Live GDI objects created through the owners below.
long LiveGdiObjects();

namespace detail {
std::atomic<long>& GdiCounter();
}

// Owns one handle of type H; Traits::Close releases it, Traits::kCounted says whether it
// counts towards LiveGdiObjects().
template <typename H, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : handle_(handle) {
    if (Traits::kCounted && Valid()) ++detail::GdiCounter();
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  H Get() const { return handle_; }
  bool Valid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return Valid(); }

  void Reset(H handle = Traits::Invalid()) {
    if (Valid()) {
      if constexpr (Traits::kCounted) {
        // An object still selected into a DC is not deleted (on Windows): it stays counted.
        if (Traits::Close(handle_)) --detail::GdiCounter();
      } else {
        Traits::Close(handle_);
      }
    }
    handle_ = handle;
    if (Traits::kCounted && Valid()) ++detail::GdiCounter();
  }
  H Release() {
    if (Traits::kCounted && Valid()) --detail::GdiCounter();
    return std::exchange(handle_, Traits::Invalid());
  }

 private:
  H handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
  static constexpr bool kCounted = false;
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
  static constexpr bool kCounted = false;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
template <typename G>
struct GdiObjectTraits {
  static constexpr bool kCounted = true;
  static G Invalid() { return nullptr; }
  static bool Close(G h) { return DeleteObject(h) != FALSE; }
};
struct MemoryDcTraits {
  static constexpr bool kCounted = true;
  static HDC Invalid() { return nullptr; }
  static bool Close(HDC h) { return DeleteDC(h) != FALSE; }
};

// Icons and cursors are the window manager's objects, not GDI's: not counted.
struct IconTraits {
  static constexpr bool kCounted = false;
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
struct CursorTraits : IconTraits {
  static void Close(HCURSOR h) { DestroyCursor(h); }
};

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueHandle<HANDLE, FileHandleTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<HPEN, GdiObjectTraits<HPEN>>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueCursor = UniqueHandle<HCURSOR, CursorTraits>;

// A DC from GetDC, released to its window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC for the lifetime of the guard.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace mirokan::win32
