// Picture boxes, windowless labels / images / shapes and combo boxes for the saver's forms.
#include "saver/forms/win32_form_controls.h"

#include <algorithm>

#include "common/win32_trace.h"
#include "common/win32_window_class.h"
#include "common/win32_window_proc.h"
#include "saver/forms/win32_application.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kPictureClass[] = L"MirokanPicture";

int RectWidth(const RECT& r) {
  return r.right - r.left;
}
int RectHeight(const RECT& r) {
  return r.bottom - r.top;
}

}  // namespace

// ---- PictureBox -----------------------------------------------------------------------

PictureBox::PictureBox(Form& parent, RECT bounds, COLORREF background) : background_(background) {
  Create(parent.Handle(), bounds);
}

PictureBox::PictureBox(HWND parent, RECT bounds, COLORREF background) : background_(background) {
  Create(parent, bounds);
}

void PictureBox::Create(HWND parent, RECT bounds) {
  // A box without its window is only an image; the form carries on without it.
  static const bool registered =
      Traced(RegisterWindowClass(kPictureClass, WindowProcOf<PictureBox>), L"RegisterClassExW");
  (void)registered;
  image_.Resize(RectWidth(bounds), RectHeight(bounds));
  image_.Fill(background_);
  if (image_.Dc()) SetBkMode(image_.Dc(), TRANSPARENT);
  Traced(CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                         RectWidth(bounds), RectHeight(bounds), parent, nullptr,
                         GetModuleHandleW(nullptr), this),
         L"CreateWindowExW");
}

PictureBox::~PictureBox() {
  // Its last message lets go of this object (window_ is null after it).
  if (window_) DestroyWindow(window_);
}

void PictureBox::Move(RECT bounds) {
  image_.Resize(RectWidth(bounds), RectHeight(bounds));
  image_.Fill(background_);
  if (image_.Dc()) SetBkMode(image_.Dc(), TRANSPARENT);
  if (window_)
    MoveWindow(window_, bounds.left, bounds.top, RectWidth(bounds), RectHeight(bounds), TRUE);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const HWND window = window_;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (image_.Dc()) {
        BitBlt(dc, 0, 0, image_.Width(), image_.Height(), image_.Dc(), 0, 0, SRCCOPY);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SETCURSOR:
      if (ApplyScreenMousePointer()) return TRUE;
      if (cursor_ && LOWORD(lparam) == HTCLIENT) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      break;
    case WM_LBUTTONUP:
      if (OnClick) {
        const auto on_click = OnClick;  // the handler may destroy the box
        RunHandler(on_click);
      }
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// ---- Windowless controls --------------------------------------------------------------

Label::Label(RECT bounds, std::wstring text, COLORREF colour, HFONT font, Align align,
             Border border)
    : WindowlessControl(bounds),
      text_(std::move(text)),
      colour_(colour),
      font_(font),
      align_(align),
      border_(border),
      border_pen_(border == Border::kSingle ? CreatePen(PS_SOLID, 1, colour) : nullptr) {}

void Label::Draw(HDC dc) const {
  RECT area = Bounds();
  if (border_ == Border::kSingle) {
    SelectGuard select_pen(dc, border_pen_.Get());
    SelectGuard select_brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, area.left, area.top, area.right, area.bottom);
    InflateRect(&area, -2, -2);
  }
  SelectGuard select_font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF colour = SetTextColor(dc, colour_);
  // A caption runs on past its box rather than lose its end where the font mapper picked a
  // wider face. A bordered box holds a path: there the middle gives way instead, so the
  // file's own name stays in view.
  const UINT layout = border_ == Border::kSingle ? DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS
                                                 : DT_SINGLELINE | DT_NOCLIP;
  const UINT format = (align_ == Align::kCentre ? DT_CENTER : DT_LEFT) | DT_NOPREFIX | layout;
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &area, format);
  SetTextColor(dc, colour);
  SetBkMode(dc, mode);
}

void ImageControl::Draw(HDC dc) const {
  if (!picture_) return;
  BITMAP info{};
  if (!GetObjectW(picture_, sizeof(info), &info)) return;
  if (!source_) source_.Reset(CreateCompatibleDC(dc));
  if (!source_) return;
  SelectGuard select(source_.Get(), picture_);
  const RECT& area = Bounds();
  BitBlt(dc, area.left, area.top, std::min<int>(info.bmWidth, RectWidth(area)),
         std::min<int>(info.bmHeight, RectHeight(area)), source_.Get(), 0, 0, SRCCOPY);
}

void Shape::Draw(HDC dc) const {
  SelectGuard select_pen(dc, pen_.Get());
  SelectGuard select_brush(dc, GetStockObject(NULL_BRUSH));
  const RECT& area = Bounds();
  Rectangle(dc, area.left, area.top, area.right, area.bottom);
}

// ---- ComboBox -------------------------------------------------------------------------

ComboBox::ComboBox(HWND parent, RECT bounds, HFONT font) {
  // The height covers the drop-down list; the edit field keeps the font's height.
  window_ = CreateWindowExW(
      0, L"COMBOBOX", L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, bounds.left,
      bounds.top, RectWidth(bounds), RectHeight(bounds) + 200, parent, nullptr,
      GetModuleHandleW(nullptr), nullptr);
  if (window_ && font) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

ComboBox::~ComboBox() {
  if (window_) DestroyWindow(window_);
}

void ComboBox::AddItem(const std::wstring& item) {
  SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

std::wstring ComboBox::Text() const {
  const int length = GetWindowTextLengthW(window_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window_, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void ComboBox::SetText(const std::wstring& text) {
  SetWindowTextW(window_, text.c_str());
}

void ComboBox::SetEnabled(bool enabled) {
  EnableWindow(window_, enabled ? TRUE : FALSE);
}

}  // namespace mirokan::win32
