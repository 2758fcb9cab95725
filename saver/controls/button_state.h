// The push button's behaviour without a window: mouse, focus and hover events and property
// calls go in; the new state and what to draw come out. The Win32 control only applies it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "saver/controls/button_properties.h"

namespace mirokan {

// The six frame pictures, by the design's own names, in the order they sit in the picture
// strip.
enum class ButtonFace : std::uint8_t {
  Normal,
  HighLight,
  Selected,
  HighLightSelect,
  Pressed,
  Disable
};
inline constexpr int kButtonFaceCount = 6;

enum class Gradient { kPlain, kInverted };  // white on top / white at the bottom
enum class CaptionLook { kEnabled, kGreyed };
enum class MouseButton { kLeft, kRight, kMiddle };
enum class PointerPlace { kOverControl, kAway };

struct FaceDrawing {
  ButtonFace picture = ButtonFace::Normal;
  Gradient gradient = Gradient::kPlain;
  bool operator==(const FaceDrawing&) const = default;
};

// What one step asks of the window. Apply in this order: caption look, face, repaint, then
// the click last (the host's handler may destroy the control).
struct ButtonEffects {
  std::optional<FaceDrawing> draw;     // repaint gradient and frame with this picture
  std::optional<CaptionLook> caption;  // the caption is shown this way from now on
  bool repaint = false;                // caption text, font, colour or background changed
  bool click = false;                  // raise Click
  bool start_hover_timer = false;      // 100 ms hover tick from now on
  std::string_view property_changed;   // property-changed notice for a designer, or empty

  bool Visible() const { return draw || caption || repaint; }
};

class ButtonMachine {
 public:
  // A control whose values were never loaded: FirstRun 0, state 0 (see ReadProperties).
  explicit ButtonMachine(const ButtonFont& ambient_font);

  // The host form loads and saves the persisted values.
  ButtonEffects ReadProperties(const PropertyBag& bag);
  ButtonEffects WriteProperties(PropertyBag& bag);

  ButtonEffects Initialize();
  ButtonEffects Resized() { return ShowEnabledLook(); }

  // Events. A press, move or release over the caption counts as over the control.
  ButtonEffects PointerMovedOver();
  ButtonEffects ButtonPressed(MouseButton button);
  ButtonEffects ButtonReleased(MouseButton button);
  // The mouse capture was taken away while the left button was held: its release will not
  // come, so the press ends here, without a click.
  ButtonEffects CaptureLost();
  ButtonEffects FocusGained();
  ButtonEffects FocusLost();
  ButtonEffects HoverTick(PointerPlace pointer);

  // Properties. Reads have effects of their own, so they return both.
  struct ReadResult {
    std::uint32_t value;
    ButtonEffects effects;
  };
  ReadResult ReadVisible();
  ButtonEffects WriteVisible(std::uint8_t value);
  ReadResult ReadFontColour();
  ButtonEffects WriteFontColour(std::uint32_t colour);
  ReadResult ReadEnabled();
  ButtonEffects WriteEnabled(bool enabled);
  ButtonEffects WriteCaption(std::string caption);
  ButtonEffects WriteFont(ButtonFont font);

  ButtonEffects ShowEnabledLook();
  ButtonEffects RefreshLook();

  std::uint8_t ButtonState() const { return vars_.ButtonState; }
  bool MouseHeld() const { return vars_.MouseHeld; }
  bool GradientInverted() const { return vars_.GradientInverted; }
  CaptionLook Look() const { return caption_look_; }
  const ButtonProperties& Properties() const { return properties_; }

 private:
  FaceDrawing DrawFace(ButtonFace picture);
  ButtonEffects LetGoOfLeft();
  void Merge(ButtonEffects& into, const ButtonEffects& from) const;

  ButtonFont ambient_font_;
  ButtonProperties properties_;
  // The button's own variables, by their design names.
  struct {
    std::uint8_t ButtonState = 0;
    bool MouseHeld = false;
    bool GradientInverted = false;
  } vars_;
  CaptionLook caption_look_ = CaptionLook::kEnabled;
};

}  // namespace mirokan
