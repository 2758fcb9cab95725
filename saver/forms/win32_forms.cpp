// The form layer on plain Win32: one window class for every form, timers through SetTimer
// with a guard against re-entry from modal loops, and a DIB section as the persistent image.
#include "saver/forms/win32_forms.h"

#include <algorithm>

#include "common/win32_desktop_picture.h"
#include "common/win32_file.h"
#include "common/win32_gdi.h"
#include "common/win32_handler_scope.h"
#include "common/win32_memory.h"
#include "common/win32_trace.h"
#include "common/win32_window_class.h"
#include "common/win32_window_proc.h"
#include "common/bitmap_writer.h"
#include "saver/forms/win32_application.h"
#include "saver/forms/win32_form_controls.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"MirokanForm";
int g_loaded_forms = 0;

}  // namespace

// ---- Persistent image ----------------------------------------------------------------

BackingImage::~BackingImage() {
  // The bitmap is deleted after this body; a bitmap still selected into a DC would not be.
  if (original_bitmap_) SelectObject(dc_.Get(), original_bitmap_);
}

bool BackingImage::Resize(int width, int height) {
  if (width == width_ && height == height_ && dc_) return true;
  if (!dc_) {
    dc_.Reset(Traced(CreateCompatibleDC(nullptr), L"CreateCompatibleDC"));
    if (!dc_) return false;
  }
  if (original_bitmap_) {
    SelectObject(dc_.Get(), original_bitmap_);
    original_bitmap_ = nullptr;
  }
  bitmap_.Reset();
  bits_ = nullptr;
  width_ = height_ = 0;
  if (width <= 0 || height <= 0) return true;

  // Bottom-up rows are the bitmap file's own order: the snapshot goes out without a copy.
  void* bits = nullptr;
  bitmap_ = MakeDibSection(width, height, 24, RowOrder::kBottomUp, &bits);
  if (!bitmap_) return false;
  original_bitmap_ = SelectObject(dc_.Get(), bitmap_.Get());
  bits_ = static_cast<std::uint8_t*>(bits);
  width_ = width;
  height_ = height;
  // An image is filled whole as soon as it is made; the session's is as large as the desktop.
  BringInPages(bits_, Stride() * static_cast<std::size_t>(height_));
  return true;
}

void BackingImage::CopyFromScreen(HDC screen, int left, int top) {
  CopyScreenInBands(dc_.Get(), width_, height_, screen, left, top);
}

void BackingImage::Fill(COLORREF colour) {
  if (!dc_ || width_ == 0) return;
  // The stock DC brush takes any colour without creating a GDI object per fill.
  SelectGuard select(dc_.Get(), GetStockObject(DC_BRUSH));
  SetDCBrushColor(dc_.Get(), colour);
  RECT area{0, 0, width_, height_};
  FillRect(dc_.Get(), &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

bool BackingImage::SaveAsBitmap(const std::wstring& path) const {
  if (!bits_) return false;
  GdiFlush();  // the DIB's bits must hold every pending drawing
  const std::optional<BitmapHeader> header = BitmapHeader24(width_, height_);
  if (!header) return false;
  // A picture of the user's desktop: for the user's eyes alone.
  return Traced(WriteWholeFile(path,
                               {std::span<const std::uint8_t>(*header),
                                std::span<const std::uint8_t>(bits_, Stride() * height_)},
                               FileReaders::kUserOnly),
                L"WriteWholeFile");
}

// ---- Timers ---------------------------------------------------------------------------

FormTimer::FormTimer(Form& form, UINT interval_ms, std::function<void()> on_tick)
    : form_(form),
      id_(form.next_timer_id_++),
      interval_(interval_ms),
      on_tick_(std::move(on_tick)) {
  form_.timers_.push_back(this);
}

FormTimer::~FormTimer() {
  if (form_.window_) KillTimer(form_.window_, id_);
  auto& timers = form_.timers_;
  timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void FormTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Arm();
}

void FormTimer::Arm() {
  if (!form_.window_) return;  // armed when the window comes
  if (enabled_ && interval_ > 0) {
    SetTimer(form_.window_, id_, interval_, nullptr);
  } else {
    KillTimer(form_.window_, id_);
  }
}

void FormTimer::Tick() {
  // A tick that finds a handler running (its modal loop pumped this message) is dropped;
  // the next one comes an interval later.
  if (!enabled_ || HandlerScope::Running()) return;
  RunHandler(on_tick_);
}

// ---- Forms ----------------------------------------------------------------------------

Form::Form(FormOptions options) : options_(std::move(options)) {}

Form::~Form() {
  if (window_) {
    unloading_ = true;
    DestroyWindow(window_);
  }
}

int Form::LoadedForms() {
  return g_loaded_forms;
}

void Form::Load() {
  if (window_) return;
  static const bool registered =
      Traced(RegisterWindowClass(kFormClass, WindowProcOf<Form>), L"RegisterClassExW");
  if (!registered) return;

  background_brush_.Reset(CreateSolidBrush(options_.background));
  DWORD style = WS_POPUP | WS_CLIPCHILDREN;
  DWORD ex_style = 0;
  if (options_.border == FormBorder::kFixedDialog) {
    style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    ex_style = WS_EX_DLGMODALFRAME;
  }
  RECT frame{0, 0, options_.client_width, options_.client_height};
  AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  // The window procedure sets window_ as the window is made.
  if (!Traced(CreateWindowExW(ex_style, kFormClass, options_.caption.c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this),
              L"CreateWindowExW")) {
    window_ = nullptr;
    return;
  }
  ++g_loaded_forms;
  if (options_.persistent_image) {
    image_.Resize(options_.client_width, options_.client_height);
    image_.Fill(options_.background);
  }
  for (FormTimer* timer : timers_) timer->Arm();
  RunHandler([this] { Form_Load(); });
}

void Form::Show(ShowMode mode) {
  if (!window_) return;
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  if (mode == ShowMode::kModeless) return;
  MSG message;
  while (window_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // leave it for the outer loop
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Form::Unload() {
  if (!window_ || unloading_) return;
  unloading_ = true;
  RunHandler([this] {
    Form_QueryUnload();  // an unload is never cancelled
    Form_Unload();
  });
  if (window_) DestroyWindow(window_);
}

void Form::SetClientSize(int width, int height) {
  if (!window_) return;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (options_.persistent_image) image_.Resize(ClientWidth(), ClientHeight());
}

void Form::Move(int x, int y, int width, int height) {
  if (window_) MoveWindow(window_, x, y, width, height, TRUE);
}

int Form::ClientWidth() const {
  RECT area{};
  if (window_) GetClientRect(window_, &area);
  return area.right;
}

int Form::ClientHeight() const {
  RECT area{};
  if (window_) GetClientRect(window_, &area);
  return area.bottom;
}

void Form::AddWindowless(WindowlessControl& control) {
  windowless_.push_back(&control);
}

void Form::DrawWindowless() {
  if (!image_.Dc()) return;
  for (const WindowlessControl* control : windowless_) control->Draw(image_.Dc());
  Refresh();
}

void Form::Refresh() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      for (FormTimer* timer : timers_) {
        if (timer->id_ == wparam) {
          timer->Tick();
          return 0;
        }
      }
      return 0;
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_ERASEBKGND:
      if (options_.persistent_image) return 1;
      {
        RECT area{};
        GetClientRect(window_, &area);
        FillRect(reinterpret_cast<HDC>(wparam), &area, background_brush_.Get());
      }
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      if (options_.persistent_image && image_.Dc()) {
        BitBlt(dc, 0, 0, image_.Width(), image_.Height(), image_.Dc(), 0, 0, SRCCOPY);
      }
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      const UINT button = message == WM_LBUTTONDOWN   ? MK_LBUTTON
                          : message == WM_RBUTTONDOWN ? MK_RBUTTON
                                                      : MK_MBUTTON;
      // The topmost (last drawn) control under the pointer takes the press.
      for (auto it = windowless_.rbegin(); it != windowless_.rend(); ++it) {
        const RECT& bounds = (*it)->Bounds();
        if (PtInRect(&bounds, at) && (*it)->OnMouseDown) {
          const auto on_mouse_down = (*it)->OnMouseDown;
          const POINT inside{at.x - bounds.left, at.y - bounds.top};
          RunHandler([&] { on_mouse_down(button, inside); });
          return 0;
        }
      }
      break;
    }
    case WM_SETCURSOR:
      if (ApplyScreenMousePointer()) return TRUE;
      break;
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) RunHandler([this] { Form_Resize(); });
      break;
    case WM_DESTROY:
      // Destroyed from outside (with its parent, say): it unloads like any other form.
      if (!unloading_) {
        unloading_ = true;
        RunHandler([this] {
          Form_QueryUnload();
          Form_Unload();
        });
      }
      for (FormTimer* timer : timers_) KillTimer(window_, timer->id_);
      return 0;
    case WM_NCDESTROY:
      return Destroyed();
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT Form::Destroyed() {
  window_ = nullptr;
  unloading_ = false;
  if (--g_loaded_forms == 0) PostQuitMessage(0);
  return 0;
}

// ---- Zoom -------------------------------------------------------------------------------

namespace {

enum class ZoomDirection { kFromCursor, kToCursor };

void ZoomBetween(HWND window, POINT start, ZoomDirection direction) {
  const RECT point{start.x, start.y, start.x, start.y};
  RECT frame{};
  GetWindowRect(window, &frame);
  // Wine draws nothing here and answers TRUE; Windows animates the caption. Either way the
  // result is of no consequence.
  if (direction == ZoomDirection::kFromCursor) {
    DrawAnimatedRects(window, IDANI_CAPTION, &point, &frame);
  } else {
    DrawAnimatedRects(window, IDANI_CAPTION, &frame, &point);
  }
}

}  // namespace

void ZoomFromCursor(HWND window, POINT start) {
  ZoomBetween(window, start, ZoomDirection::kFromCursor);
}

void ZoomToCursor(HWND window, POINT start) {
  ZoomBetween(window, start, ZoomDirection::kToCursor);
}

}  // namespace mirokan::win32
