// The push button's window: its own class, a message procedure that turns mouse, focus and
// the hover poll into ButtonMachine events, and the drawing of the face (GradientFill and
// eight stretched frame pieces) and caption into a back buffer that WM_PAINT copies out.
#include "saver/controls/win32_command_button.h"

#include <windowsx.h>

#include <utility>

#include "common/win32_gdi.h"
#include "common/win32_handler_scope.h"
#include "common/win32_system_library.h"
#include "common/win32_text.h"
#include "common/win32_trace.h"
#include "common/win32_window_class.h"
#include "common/win32_window_proc.h"
#include "saver/controls/button_faces.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kClassName[] = L"MirokanCommandButton";
unsigned ButtonFlag(MouseButton button) {
  switch (button) {
    case MouseButton::kLeft:
      return MK_LBUTTON;
    case MouseButton::kRight:
      return MK_RBUTTON;
    case MouseButton::kMiddle:
      return MK_MBUTTON;
  }
  return 0;
}

bool RegisterButtonClass(WNDPROC procedure) {
  // No CS_DBLCLKS: the second press of a double click is an ordinary press.
  static const bool registered =
      Traced(RegisterWindowClass(kClassName, procedure), L"RegisterClassExW");
  return registered;
}

COLORREF ToColorRef(std::uint32_t colour) {
  // Colours with the top bit set name a system colour by its index.
  if (colour & 0x80000000u) return GetSysColor(int(colour & 0xFF));
  return colour & 0xFFFFFFu;
}

COLOR16 Channel16(std::uint8_t value) {
  return COLOR16(value << 8);
}

}  // namespace

CommandButton::CommandButton(const ButtonFont& ambient_font) : machine_(ambient_font) {}

std::unique_ptr<CommandButton> CommandButton::Create(HWND parent, const RECT& bounds,
                                                     const ButtonFont& ambient_font,
                                                     const PropertyBag& stored, int control_id) {
  if (!RegisterButtonClass(&WindowProcOf<CommandButton>)) return nullptr;
  std::unique_ptr<CommandButton> button(new CommandButton(ambient_font));
  button->pending_properties_ = &stored;
  const HWND window =
      Traced(CreateWindowExW(0, kClassName, L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, bounds.left,
                             bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                             GetModuleHandleW(nullptr), button.get()),
             L"CreateWindowExW");
  button->pending_properties_ = nullptr;
  if (!window) return nullptr;
  return button;
}

CommandButton::~CommandButton() {
  if (window_) DestroyWindow(window_);
}

void CommandButton::Initialize() {
  Apply(machine_.Initialize());
}

std::uint8_t CommandButton::Visible() {
  const auto read = machine_.ReadVisible();
  Apply(read.effects);
  return static_cast<std::uint8_t>(read.value);
}

void CommandButton::SetVisible(std::uint8_t value) {
  Apply(machine_.WriteVisible(value));
}

std::uint32_t CommandButton::FontColour() {
  const auto read = machine_.ReadFontColour();
  Apply(read.effects);
  return read.value;
}

void CommandButton::SetFontColour(std::uint32_t colour) {
  Apply(machine_.WriteFontColour(colour));
}

bool CommandButton::Enabled() {
  const auto read = machine_.ReadEnabled();
  Apply(read.effects);
  return read.value != 0;
}

void CommandButton::SetEnabled(bool enabled) {
  // The window follows, so keyboard focus and accessibility tools see a disabled button too.
  if (window_) EnableWindow(window_, enabled ? TRUE : FALSE);
  Apply(machine_.WriteEnabled(enabled));
}

std::string CommandButton::Caption() const {
  return machine_.Properties().Caption;
}

void CommandButton::SetCaption(std::string caption) {
  Apply(machine_.WriteCaption(std::move(caption)));
}

ButtonFont CommandButton::Font() const {
  return machine_.Properties().Font;
}

void CommandButton::SetFont(const ButtonFont& font) {
  Apply(machine_.WriteFont(font));
}

void CommandButton::SaveProperties(PropertyBag& bag) {
  Apply(machine_.WriteProperties(bag));
}

LRESULT CommandButton::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      width_ = create->cx;
      height_ = create->cy;
      ResizeBuffers();
      static const PropertyBag kNothingStored;
      Apply(machine_.ReadProperties(pending_properties_ ? *pending_properties_ : kNothingStored));
      return 0;
    }
    case WM_SIZE: {
      const int width = GET_X_LPARAM(lparam), height = GET_Y_LPARAM(lparam);
      if (width != width_ || height != height_) {
        width_ = width;
        height_ = height;
        ResizeBuffers();
      }
      Apply(machine_.Resized());
      return 0;
    }
    case WM_MOUSEMOVE: {
      // While captured, moves arrive from anywhere; only those over the control count.
      const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      RECT client{};
      GetClientRect(window_, &client);
      if (PtInRect(&client, point)) {
        HandlerScope scope;
        Apply(machine_.PointerMovedOver());
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
      Press(MouseButton::kLeft);
      return 0;
    case WM_RBUTTONDOWN:
      Press(MouseButton::kRight);
      return 0;
    case WM_MBUTTONDOWN:
      Press(MouseButton::kMiddle);
      return 0;
    // The release may end in Click, after which this object may be gone: return at once.
    case WM_LBUTTONUP:
      Release(MouseButton::kLeft);
      return 0;
    case WM_RBUTTONUP:
      Release(MouseButton::kRight);
      return 0;
    case WM_MBUTTONUP:
      Release(MouseButton::kMiddle);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != window_ && pressed_buttons_ != 0) {
        const bool left_held = pressed_buttons_ & ButtonFlag(MouseButton::kLeft);
        pressed_buttons_ = 0;
        if (left_held) {
          HandlerScope scope;
          Apply(machine_.CaptureLost());
        }
      }
      return 0;
    case WM_SETFOCUS: {
      HandlerScope scope;
      Apply(machine_.FocusGained());
      return 0;
    }
    case WM_KILLFOCUS: {
      HandlerScope scope;
      Apply(machine_.FocusLost());
      return 0;
    }
    case WM_TIMER:
      if (wparam == kTmrMouseId) HoverTick();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the back buffer covers everything
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = BeginPaint(window_, &paint);
      if (dc && back_dc_) BitBlt(dc, 0, 0, width_, height_, back_dc_.Get(), 0, 0, SRCCOPY);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (back_dc_) {
        BitBlt(reinterpret_cast<HDC>(wparam), 0, 0, width_, height_, back_dc_.Get(), 0, 0, SRCCOPY);
      }
      return 0;
    case WM_DESTROY:
      KillTimer(window_, kTmrMouseId);
      return 0;
    case WM_NCDESTROY:
      return DefWindowProcW(std::exchange(window_, nullptr), message, wparam, lparam);
    default:
      return DefWindowProcW(window_, message, wparam, lparam);
  }
}

void CommandButton::Press(MouseButton button) {
  HandlerScope scope;
  // As the host toolkit does: a press captures the mouse, so the release comes back here
  // wherever it happens, and gives the focus to the control (not while it is disabled).
  pressed_buttons_ |= ButtonFlag(button);
  if (GetCapture() != window_) SetCapture(window_);
  if (machine_.Properties().Enabled && GetFocus() != window_) SetFocus(window_);
  Apply(machine_.ButtonPressed(button));
}

void CommandButton::Release(MouseButton button) {
  // A release whose press began elsewhere belongs to that window, not to the button.
  const unsigned flag = ButtonFlag(button);
  if (!(pressed_buttons_ & flag)) return;
  pressed_buttons_ &= ~flag;
  if (pressed_buttons_ == 0 && GetCapture() == window_) ReleaseCapture();
  HandlerScope scope;
  Apply(machine_.ButtonReleased(button));
}

void CommandButton::HoverTick() {
  if (HandlerScope::Running()) return;
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return;
  // The caption has no window of its own, so over it counts as over the control; any window
  // lying over the control counts as away.
  const PointerPlace place =
      WindowFromPoint(cursor) == window_ ? PointerPlace::kOverControl : PointerPlace::kAway;
  HandlerScope scope;
  Apply(machine_.HoverTick(place));
}

bool CommandButton::Apply(const ButtonEffects& effects) {
  if (!window_) return true;
  if (effects.start_hover_timer) SetTimer(window_, kTmrMouseId, kTmrMouseInterval, nullptr);
  if (effects.draw) DrawFace(*effects.draw);
  // The property-changed notice only matters to a form designer; there is none at run time.
  if (effects.Visible()) {
    ComposeBackBuffer();
    InvalidateRect(window_, nullptr, FALSE);
    // Show the new look before a Click handler gets the chance to open a modal window.
    UpdateWindow(window_);
  }
  if (!effects.click || !Click) return true;
  const std::weak_ptr<int> alive = alive_;
  // The handler may destroy this object, and `Click` with it.
  const std::function<void()> click = Click;
  click();
  return !alive.expired();
}

void CommandButton::ResizeBuffers() {
  back_dc_.Reset();
  back_bitmap_.Reset();
  surface_dc_.Reset();
  surface_bitmap_.Reset();
  const WindowDc screen(window_);
  if (!screen) return;
  if (!faces_dc_) {
    // The six pictures side by side in one bitmap, built once per window.
    RgbImage faces(kFaceWidth * kButtonFaceCount, kFaceHeight);
    for (int f = 0; f < kButtonFaceCount; ++f) {
      const RgbImage picture = FacePicture(static_cast<ButtonFace>(f));
      for (int y = 0; y < kFaceHeight; ++y) {
        for (int x = 0; x < kFaceWidth; ++x) faces.Set(f * kFaceWidth + x, y, picture.At(x, y));
      }
    }
    faces_bitmap_ = BitmapOf(faces);
    faces_dc_.Reset(Traced(CreateCompatibleDC(screen.Get()), L"CreateCompatibleDC"));
    if (faces_bitmap_ && faces_dc_) {
      GdiFlush();
      SelectObject(faces_dc_.Get(), faces_bitmap_.Get());
    }
  }
  if (width_ <= 0 || height_ <= 0) return;
  surface_bitmap_.Reset(CreateCompatibleBitmap(screen.Get(), width_, height_));
  surface_dc_.Reset(CreateCompatibleDC(screen.Get()));
  back_bitmap_.Reset(CreateCompatibleBitmap(screen.Get(), width_, height_));
  back_dc_.Reset(CreateCompatibleDC(screen.Get()));
  if (!surface_bitmap_ || !surface_dc_ || !back_bitmap_ || !back_dc_) {
    back_dc_.Reset();
    surface_dc_.Reset();
    return;
  }
  // Each bitmap stays selected for its DC's whole life.
  SelectObject(surface_dc_.Get(), surface_bitmap_.Get());
  SelectObject(back_dc_.Get(), back_bitmap_.Get());
  const RECT all{0, 0, width_, height_};
  FillRect(surface_dc_.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
  FillRect(back_dc_.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
}

void CommandButton::DrawFace(const FaceDrawing& drawing) {
  if (!surface_dc_ || !faces_dc_) return;
  const HDC surface = surface_dc_.Get();
  const RECT all{0, 0, width_, height_};
  FillRect(surface, &all, GetSysColorBrush(COLOR_BTNFACE));
  PaintGradient(drawing.gradient);
  SetStretchBltMode(surface, COLORONCOLOR);
  const int picture_left = static_cast<int>(drawing.picture) * kFaceWidth;
  for (const FramePiece& piece : FramePieces(width_, height_)) {
    const PixelRect& d = piece.destination;
    const PixelRect& s = piece.source;
    // A control smaller than two corners has pieces of no span; a negative one would mirror.
    if (d.width <= 0 || d.height <= 0) continue;
    StretchBlt(surface, d.x, d.y, d.width, d.height, faces_dc_.Get(), picture_left + s.x, s.y,
               s.width, s.height, SRCCOPY);
  }
}

void CommandButton::PaintGradient(Gradient gradient) {
  const Rgb first = gradient == Gradient::kPlain ? kGradientLight : kGradientDark;
  const Rgb second = gradient == Gradient::kPlain ? kGradientDark : kGradientLight;
  TRIVERTEX vertices[2] = {
      {0, 0, Channel16(first.r), Channel16(first.g), Channel16(first.b), 0},
      {width_ - 1, height_ - 1, Channel16(second.r), Channel16(second.g), Channel16(second.b), 0},
  };
  GRADIENT_RECT rect{1, 0};
  static const auto gradient_fill =
      SystemFunction<decltype(GradientFill)>(L"msimg32.dll", "GradientFill");
  if (gradient_fill) gradient_fill(surface_dc_.Get(), vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

void CommandButton::ComposeBackBuffer() {
  if (!back_dc_) return;
  if (machine_.Properties().Visible == BackStyle::kOpaque) {
    BitBlt(back_dc_.Get(), 0, 0, width_, height_, surface_dc_.Get(), 0, 0, SRCCOPY);
  } else {
    PaintParentBackground();
  }
  DrawCaption();
}

void CommandButton::PaintParentBackground() {
  // A transparent control shows what its parent draws beneath it.
  const HDC back = back_dc_.Get();
  const RECT all{0, 0, width_, height_};
  FillRect(back, &all, GetSysColorBrush(COLOR_BTNFACE));
  const HWND parent = GetParent(window_);
  if (!parent) return;
  POINT origin{0, 0};
  MapWindowPoints(window_, parent, &origin, 1);
  POINT previous{};
  SetViewportOrgEx(back, -origin.x, -origin.y, &previous);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(back), 0);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(back), PRF_CLIENT);
  SetViewportOrgEx(back, previous.x, previous.y, nullptr);
}

void CommandButton::DrawCaption() {
  const ButtonProperties& properties = machine_.Properties();
  if (!font_made_ || !(made_font_ == properties.Font)) MakeFont();
  if (properties.Caption.empty()) return;
  const HDC back = back_dc_.Get();
  const std::wstring text = Utf8ToWide(properties.Caption);
  SelectGuard font(back,
                   font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(back, TRANSPARENT);
  SetTextColor(back, machine_.Look() == CaptionLook::kEnabled ? ToColorRef(properties.FontColour)
                                                              : GetSysColor(COLOR_GRAYTEXT));
  // The label is as high as its text and as wide as the control.
  constexpr UINT kFormat = DT_CENTER | DT_NOPREFIX;
  RECT label{0, 0, width_, 0};
  DrawTextW(back, text.c_str(), int(text.size()), &label, kFormat | DT_CALCRECT);
  const int label_height = label.bottom - label.top;
  const int top = CaptionTop(height_, label_height);
  label = {0, top, width_, top + label_height};
  DrawTextW(back, text.c_str(), int(text.size()), &label, kFormat);
}

void CommandButton::MakeFont() {
  const ButtonFont& font = machine_.Properties().Font;
  font_ = win32::MakeFont({.name = Utf8ToWide(font.name),
                           .points = font.size_points,
                           .weight = font.weight,
                           .italic = font.italic,
                           .underline = font.underline,
                           .strikeout = font.strikethrough,
                           .charset = font.charset});
  made_font_ = font;
  font_made_ = true;
}

}  // namespace mirokan::win32
