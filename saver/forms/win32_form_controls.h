// Controls of the form layer: picture boxes (child windows with a persistent image of their
// own), windowless labels, images and shapes that a form draws into its persistent image,
// and combo boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/win32_handles.h"
#include "saver/forms/win32_forms.h"

namespace mirokan::win32 {

// A child window with a persistent image: drawing on Dc() draws into it, and painting shows
// it. Optionally it takes clicks and shows its own mouse pointer.
class PictureBox {
 public:
  PictureBox(Form& parent, RECT bounds, COLORREF background);
  PictureBox(HWND parent, RECT bounds, COLORREF background);
  PictureBox(const PictureBox&) = delete;
  PictureBox& operator=(const PictureBox&) = delete;
  ~PictureBox();

  HWND Handle() const { return window_; }
  HDC Dc() { return image_.Dc(); }
  BackingImage& Image() { return image_; }
  int Width() const { return image_.Width(); }
  int Height() const { return image_.Height(); }
  void Move(RECT bounds);
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

  std::function<void()> OnClick;

  // For the window procedure (common/win32_window_proc.h).
  void Attach(HWND window) { window_ = window; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void Create(HWND parent, RECT bounds);

  HWND window_ = nullptr;
  BackingImage image_;
  COLORREF background_;
  HCURSOR cursor_ = nullptr;
};

// Controls without a window: the form draws them into its persistent image, in the order
// they were added, and routes a mouse press inside one to it.
class WindowlessControl {
 public:
  explicit WindowlessControl(RECT bounds) : bounds_(bounds) {}
  virtual ~WindowlessControl() = default;
  virtual void Draw(HDC dc) const = 0;
  const RECT& Bounds() const { return bounds_; }
  void Move(RECT bounds) { bounds_ = bounds; }

  // Any mouse button, with the point relative to the control.
  std::function<void(UINT button, POINT at)> OnMouseDown;

 private:
  RECT bounds_;
};

class Label final : public WindowlessControl {
 public:
  enum class Align { kLeft, kCentre };
  enum class Border { kNone, kSingle };
  Label(RECT bounds, std::wstring text, COLORREF colour, HFONT font, Align align = Align::kLeft,
        Border border = Border::kNone);
  void SetText(std::wstring text) { text_ = std::move(text); }
  const std::wstring& Text() const { return text_; }
  void Draw(HDC dc) const override;

 private:
  std::wstring text_;
  COLORREF colour_;
  HFONT font_;
  Align align_;
  Border border_;
  UniquePen border_pen_;
};

// Draws a bitmap at its own size from the top-left corner, cut off by the control's bounds.
class ImageControl final : public WindowlessControl {
 public:
  ImageControl(RECT bounds, HBITMAP picture) : WindowlessControl(bounds), picture_(picture) {}
  void SetPicture(HBITMAP picture) { picture_ = picture; }
  HBITMAP Picture() const { return picture_; }
  void Draw(HDC dc) const override;

 private:
  HBITMAP picture_;  // not owned
  mutable UniqueMemoryDc source_;
};

// A rectangle outline without fill.
class Shape final : public WindowlessControl {
 public:
  Shape(RECT bounds, COLORREF outline)
      : WindowlessControl(bounds), pen_(CreatePen(PS_SOLID, 1, outline)) {}
  void Draw(HDC dc) const override;

 private:
  UniquePen pen_;
};

// A drop-down combo box with an editable text field.
class ComboBox {
 public:
  ComboBox(HWND parent, RECT bounds, HFONT font);
  ComboBox(const ComboBox&) = delete;
  ComboBox& operator=(const ComboBox&) = delete;
  ~ComboBox();
  HWND Handle() const { return window_; }
  void AddItem(const std::wstring& item);
  std::wstring Text() const;
  void SetText(const std::wstring& text);
  void SetEnabled(bool enabled);

 private:
  HWND window_ = nullptr;
};

}  // namespace mirokan::win32
