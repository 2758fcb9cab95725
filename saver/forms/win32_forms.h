// The small form layer the saver's windows stand on: forms with load / query-unload /
// unload handlers and a persistent backing image, timers that tick on the UI thread but
// never inside a running handler, and modal and modeless show.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/win32_handles.h"

namespace mirokan::win32 {

// ---- Persistent image ----------------------------------------------------------------

// An off-screen 24-bit image; drawing on its DC draws into it; it survives being covered.
class BackingImage {
 public:
  BackingImage() = default;
  BackingImage(const BackingImage&) = delete;
  BackingImage& operator=(const BackingImage&) = delete;
  ~BackingImage();

  bool Resize(int width, int height);
  HDC Dc() const { return dc_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Rows bottom-up, as a bitmap file holds them, each 3 × width bytes of blue, green, red
  // padded to Stride() bytes. Row(y) is the row y pixels from the top.
  const std::uint8_t* Bits() const { return bits_; }
  std::size_t Stride() const {
    return (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3};
  }
  const std::uint8_t* Row(int y) const {
    return bits_ + static_cast<std::size_t>(height_ - 1 - y) * Stride();
  }
  std::uint8_t* Row(int y) { return bits_ + static_cast<std::size_t>(height_ - 1 - y) * Stride(); }
  // Writes the image as an uncompressed bottom-up 24-bit bitmap file, replacing one, that
  // only the user running us may read.
  bool SaveAsBitmap(const std::wstring& path) const;
  void Fill(COLORREF colour);
  // The whole image from `screen`, its top-left corner from (left, top) there.
  void CopyFromScreen(HDC screen, int left, int top);

 private:
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ original_bitmap_ = nullptr;
  std::uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// ---- Forms ----------------------------------------------------------------------------

class Form;
class WindowlessControl;

// A timer of a form: interval in ms and an enabled flag, ticking on the UI thread.
class FormTimer {
 public:
  FormTimer(Form& form, UINT interval_ms, std::function<void()> on_tick);
  FormTimer(const FormTimer&) = delete;
  FormTimer& operator=(const FormTimer&) = delete;
  ~FormTimer();

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  UINT Interval() const { return interval_; }

 private:
  friend class Form;
  void Arm();
  void Tick();

  Form& form_;
  UINT id_;
  UINT interval_;
  bool enabled_ = false;
  std::function<void()> on_tick_;
};

enum class FormBorder { kNone, kFixedDialog };

struct FormOptions {
  std::wstring caption;
  FormBorder border = FormBorder::kNone;
  int client_width = 0;  // pixels
  int client_height = 0;
  COLORREF background = RGB(0, 0, 0);
  bool persistent_image = false;  // paint from the backing image
};

class Form {
 public:
  explicit Form(FormOptions options);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  // Creates the window hidden and runs Form_Load before returning.
  void Load();
  // Modeless returns at once; modal returns after the form has unloaded.
  enum class ShowMode { kModeless, kModal };
  void Show(ShowMode mode);
  // Runs Form_QueryUnload, then Form_Unload, and destroys the window. When no form is
  // left loaded the message loop ends.
  void Unload();

  bool Loaded() const { return window_ != nullptr; }
  HWND Handle() const { return window_; }
  BackingImage& Image() { return image_; }
  // Resizes the client area (pixels) and the backing image with it.
  void SetClientSize(int width, int height);
  void Move(int x, int y, int width, int height);
  int ClientWidth() const;
  int ClientHeight() const;

  static int LoadedForms();

  // For the window procedure (common/win32_window_proc.h). A form that handles a message of
  // its own overrides HandleMessage and passes the others on to Form::HandleMessage.
  void Attach(HWND window) { window_ = window; }
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // Windowless controls, drawn in the order they were added; the form does not own them.
  void AddWindowless(WindowlessControl& control);
  // Draws the windowless controls over the persistent image and shows the result.
  void DrawWindowless();
  // Shows what was drawn on the persistent image since the last refresh.
  void Refresh();

 protected:
  virtual void Form_Load() {}
  virtual void Form_QueryUnload() {}
  virtual void Form_Unload() {}
  virtual void Form_Resize() {}

 private:
  friend class FormTimer;
  LRESULT Destroyed();

  FormOptions options_;
  HWND window_ = nullptr;
  bool unloading_ = false;
  BackingImage image_;
  UniqueBrush background_brush_;
  std::vector<FormTimer*> timers_;
  std::vector<WindowlessControl*> windowless_;
  UINT next_timer_id_ = 1;
};

// The caption zoom from a point of the screen (the cursor's start) to the window, and back.
void ZoomFromCursor(HWND window, POINT start);
void ZoomToCursor(HWND window, POINT start);

}  // namespace mirokan::win32
