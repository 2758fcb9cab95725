// The owner-drawn push button as a child window of its own class: mouse, focus and the
// 100 ms hover poll feed ButtonMachine; the face is drawn with GradientFill and eight
// stretched frame pieces into a persistent back buffer, with the caption drawn over it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/win32_handles.h"
#include "saver/controls/button_properties.h"
#include "saver/controls/button_state.h"

namespace mirokan::win32 {

class CommandButton {
 public:
  // The hover poll's timer id (WM_TIMER wParam) and interval.
  static constexpr UINT_PTR kTmrMouseId = 1;
  static constexpr UINT kTmrMouseInterval = 100;

  // Creates the button as a child of `parent` at `bounds` (parent client pixels) and loads
  // `stored` (missing values take their load defaults). `ambient_font` is the host's font.
  // Null when the window cannot be created.
  static std::unique_ptr<CommandButton> Create(HWND parent, const RECT& bounds,
                                               const ButtonFont& ambient_font,
                                               const PropertyBag& stored = {}, int control_id = 0);
  CommandButton(const CommandButton&) = delete;
  CommandButton& operator=(const CommandButton&) = delete;
  // Destroys the window unless its parent already took it along.
  ~CommandButton();

  // Called once by the host after loading: starts the hover poll. Draws nothing.
  void Initialize();
  // The background style: 255 opaque (after putting the plain look back), 0 transparent.
  std::uint8_t Visible();
  void SetVisible(std::uint8_t value);
  // The caption's colour (COLORREF; a value with the top bit set names a system colour).
  std::uint32_t FontColour();
  void SetFontColour(std::uint32_t colour);
  bool Enabled();
  void SetEnabled(bool enabled);
  std::string Caption() const;  // UTF-8
  void SetCaption(std::string caption);
  ButtonFont Font() const;
  void SetFont(const ButtonFont& font);
  // Event Click: called synchronously from inside the release handling, after everything
  // else the release does. The handler may destroy the button, its host window or both.
  std::function<void()> Click;

  // Stores the persisted values (a value equal to its default is left out).
  void SaveProperties(PropertyBag& bag);
  HWND Window() const { return window_; }
  const ButtonMachine& Machine() const { return machine_; }

  // For the window procedure (common/win32_window_proc.h).
  void Attach(HWND window) { window_ = window; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  explicit CommandButton(const ButtonFont& ambient_font);
  // Returns false when a click handler destroyed this object: touch nothing then.
  bool Apply(const ButtonEffects& effects);
  void Press(MouseButton button);
  void Release(MouseButton button);
  void HoverTick();
  void ResizeBuffers();
  void DrawFace(const FaceDrawing& drawing);
  void PaintGradient(Gradient gradient);
  void ComposeBackBuffer();
  void DrawCaption();
  void PaintParentBackground();
  void MakeFont();
  HWND window_ = nullptr;
  ButtonMachine machine_;
  int width_ = 0;
  int height_ = 0;
  // Each DC is declared after its bitmap so it goes first and releases the selection.
  // The six pictures side by side, made once per window.
  UniqueBitmap faces_bitmap_;
  UniqueMemoryDc faces_dc_;
  // What DrawFace leaves on the control's surface, and that plus the caption for WM_PAINT.
  UniqueBitmap surface_bitmap_;
  UniqueMemoryDc surface_dc_;
  UniqueBitmap back_bitmap_;
  UniqueMemoryDc back_dc_;
  UniqueFont font_;
  ButtonFont made_font_;
  bool font_made_ = false;
  const PropertyBag* pending_properties_ = nullptr;  // during creation only
  unsigned pressed_buttons_ = 0;  // MK_ flags of presses that began on the control
  // Expires with the object, so code that called out to the host can tell it is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace mirokan::win32
