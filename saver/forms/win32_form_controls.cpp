// Picture boxes, windowless labels / images / shapes and combo boxes for the saver's forms.
#include "saver/forms/win32_form_controls.h"

#include <cmath>

#include "common/win32_window_class.h"
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

UniqueFont MakeFont(const std::wstring& name, double points, bool bold, BYTE charset) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = charset;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, name.c_str(), LF_FACESIZE);
  return UniqueFont(CreateFontIndirectW(&font));
}

// ---- PictureBox -----------------------------------------------------------------------

PictureBox::PictureBox(Form& parent, RECT bounds, COLORREF background) : background_(background) {
  Create(parent.Handle(), bounds);
}

PictureBox::PictureBox(HWND parent, RECT bounds, COLORREF background) : background_(background) {
  Create(parent, bounds);
}

void PictureBox::Create(HWND parent, RECT bounds) {
  static const bool registered = RegisterWindowClass(kPictureClass, WindowProc);
  (void)registered;
  image_.Resize(RectWidth(bounds), RectHeight(bounds));
  image_.Fill(background_);
  if (image_.Dc()) SetBkMode(image_.Dc(), TRANSPARENT);
  window_ = CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                            RectWidth(bounds), RectHeight(bounds), parent, nullptr,
                            GetModuleHandleW(nullptr), this);
}

PictureBox::~PictureBox() {
  if (original_font_ && image_.Dc()) SelectObject(image_.Dc(), original_font_);
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void PictureBox::Move(RECT bounds) {
  // The image keeps its font across a resize only if it is selected again.
  if (original_font_ && image_.Dc()) SelectObject(image_.Dc(), original_font_);
  original_font_ = nullptr;
  image_.Resize(RectWidth(bounds), RectHeight(bounds));
  image_.Fill(background_);
  if (image_.Dc()) {
    SetBkMode(image_.Dc(), TRANSPARENT);
    if (font_) original_font_ = SelectObject(image_.Dc(), font_.Get());
  }
  if (window_)
    MoveWindow(window_, bounds.left, bounds.top, RectWidth(bounds), RectHeight(bounds), TRUE);
}

void PictureBox::Clear() {
  image_.Fill(background_);
}

void PictureBox::Refresh() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void PictureBox::SetFont(UniqueFont font) {
  if (!image_.Dc()) return;
  if (original_font_) SelectObject(image_.Dc(), original_font_);
  font_ = std::move(font);
  original_font_ = font_ ? SelectObject(image_.Dc(), font_.Get()) : nullptr;
}

LRESULT CALLBACK PictureBox::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* box = reinterpret_cast<PictureBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (box) {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (box->image_.Dc()) {
          BitBlt(dc, 0, 0, box->image_.Width(), box->image_.Height(), box->image_.Dc(), 0, 0,
                 SRCCOPY);
        }
        EndPaint(window, &paint);
        return 0;
      }
      case WM_SETCURSOR:
        if (ApplyScreenMousePointer()) return TRUE;
        if (box->cursor_ && LOWORD(lparam) == HTCLIENT) {
          ::SetCursor(box->cursor_);
          return TRUE;
        }
        break;
      case WM_LBUTTONUP:
        if (box->OnClick) {
          const auto on_click = box->OnClick;  // the handler may destroy the box
          RunHandler(on_click);
        }
        return 0;
      default:
        break;
    }
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
      border_pen_(border == Border::Single ? CreatePen(PS_SOLID, 1, colour) : nullptr) {}

void Label::Draw(HDC dc) const {
  RECT area = Bounds();
  if (border_ == Border::Single) {
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
  const UINT layout = border_ == Border::Single ? DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS
                                                : DT_SINGLELINE | DT_NOCLIP;
  const UINT format = (align_ == Align::Centre ? DT_CENTER : DT_LEFT) | DT_NOPREFIX | layout;
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

int ComboBox::ItemCount() const {
  return static_cast<int>(SendMessageW(window_, CB_GETCOUNT, 0, 0));
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
