#include "saver/controls/button_state.h"

#include <utility>

namespace mirokan {
namespace {

constexpr std::uint8_t kNormal = 1;
constexpr std::uint8_t kHighLight = 2;
constexpr std::uint8_t kSelected = 3;
constexpr std::uint8_t kHighLightSelect = 4;

}  // namespace

ButtonMachine::ButtonMachine(const ButtonFont& ambient_font) : ambient_font_(ambient_font) {
  // Before any load the variables hold their zero values; the caption label starts with the
  // host's font, which a load then renames.
  properties_.Enabled = false;
  properties_.Caption.clear();
  properties_.Font = ambient_font;
  properties_.FirstRun = 0;
}

void ButtonMachine::Merge(ButtonEffects& into, const ButtonEffects& from) const {
  if (from.draw) into.draw = from.draw;
  if (from.caption) into.caption = from.caption;
  into.repaint = into.repaint || from.repaint;
  into.click = into.click || from.click;
  into.start_hover_timer = into.start_hover_timer || from.start_hover_timer;
  if (!from.property_changed.empty()) into.property_changed = from.property_changed;
}

FaceDrawing ButtonMachine::DrawFace(ButtonFace picture) {
  // Under the pointer without the focus the face turns upside down; with the focus (state 4)
  // it keeps whatever the last drawing had.
  if (vars_.ButtonState == kNormal || vars_.ButtonState == kSelected)
    vars_.GradientInverted = false;
  if (vars_.ButtonState == kHighLight) vars_.GradientInverted = true;
  return {picture, vars_.GradientInverted ? Gradient::kInverted : Gradient::kPlain};
}

ButtonEffects ButtonMachine::ReadProperties(const PropertyBag& bag) {
  LoadButtonProperties(bag, ambient_font_, properties_);
  ButtonEffects effects = RefreshLook();
  effects.repaint = true;
  return effects;
}

ButtonEffects ButtonMachine::WriteProperties(PropertyBag& bag) {
  SaveButtonProperties(properties_, ambient_font_, bag);
  return RefreshLook();
}

ButtonEffects ButtonMachine::Initialize() {
  vars_.ButtonState = kNormal;
  return {.start_hover_timer = true};
}

ButtonEffects ButtonMachine::PointerMovedOver() {
  ButtonEffects effects;
  if (!properties_.Enabled) return effects;
  if (vars_.ButtonState == kNormal) {
    vars_.ButtonState = kHighLight;
    effects.draw = DrawFace(ButtonFace::HighLight);
  }
  if (vars_.ButtonState == kSelected && !vars_.MouseHeld) {
    vars_.ButtonState = kHighLightSelect;
    effects.draw = DrawFace(ButtonFace::HighLightSelect);
  }
  return effects;
}

ButtonEffects ButtonMachine::ButtonPressed(MouseButton button) {
  ButtonEffects effects;
  if (!properties_.Enabled || button != MouseButton::kLeft) return effects;
  vars_.MouseHeld = true;
  effects.draw = DrawFace(ButtonFace::Pressed);
  return effects;
}

ButtonEffects ButtonMachine::LetGoOfLeft() {
  ButtonEffects effects;
  vars_.MouseHeld = false;
  if (vars_.ButtonState == kHighLight) effects.draw = DrawFace(ButtonFace::Normal);
  if (vars_.ButtonState == kHighLightSelect) effects.draw = DrawFace(ButtonFace::HighLightSelect);
  return effects;
}

ButtonEffects ButtonMachine::ButtonReleased(MouseButton button) {
  ButtonEffects effects;
  if (!properties_.Enabled) return effects;
  if (button == MouseButton::kLeft) effects = LetGoOfLeft();
  // Any button clicks, unless the pointer was seen leaving (state Selected) since the press.
  effects.click = vars_.ButtonState != kSelected && properties_.Enabled;
  return effects;
}

ButtonEffects ButtonMachine::CaptureLost() {
  if (!properties_.Enabled || !vars_.MouseHeld) return {};
  return LetGoOfLeft();
}

ButtonEffects ButtonMachine::FocusGained() {
  ButtonEffects effects;
  if (!properties_.Enabled) return effects;
  if (vars_.ButtonState == kHighLight) {
    // The focus comes with a press while the pointer is over the button.
    vars_.ButtonState = kHighLightSelect;
    effects.draw = DrawFace(ButtonFace::Pressed);
  } else {
    vars_.ButtonState = kSelected;
    effects.draw = DrawFace(ButtonFace::Selected);
  }
  return effects;
}

ButtonEffects ButtonMachine::FocusLost() {
  ButtonEffects effects;
  if (!properties_.Enabled || vars_.ButtonState == kNormal) return effects;
  vars_.ButtonState = kNormal;
  effects.draw = DrawFace(ButtonFace::Normal);
  return effects;
}

ButtonEffects ButtonMachine::HoverTick(PointerPlace pointer) {
  ButtonEffects effects;
  if (pointer == PointerPlace::kOverControl || !properties_.Enabled) return effects;
  if (vars_.ButtonState == kHighLight) {
    vars_.ButtonState = kNormal;
    effects.draw = DrawFace(ButtonFace::Normal);
  } else if (vars_.ButtonState == kHighLightSelect) {
    vars_.ButtonState = kSelected;
    effects.draw = DrawFace(ButtonFace::Selected);
  }
  return effects;
}

ButtonMachine::ReadResult ButtonMachine::ReadVisible() {
  if (properties_.Visible == BackStyle::kTransparent) return {0, {}};
  return {255, RefreshLook()};
}

ButtonEffects ButtonMachine::WriteVisible(std::uint8_t value) {
  ButtonEffects effects;
  if (value != 0) {
    properties_.Visible = BackStyle::kOpaque;
    effects = RefreshLook();
  } else {
    properties_.Visible = BackStyle::kTransparent;
  }
  effects.repaint = true;
  effects.property_changed = "Visible";
  return effects;
}

ButtonMachine::ReadResult ButtonMachine::ReadFontColour() {
  const std::uint32_t colour = properties_.FontColour;
  return {colour, RefreshLook()};
}

ButtonEffects ButtonMachine::WriteFontColour(std::uint32_t colour) {
  properties_.FontColour = colour;
  ButtonEffects effects = RefreshLook();
  effects.repaint = true;
  effects.property_changed = "FontColour";
  return effects;
}

ButtonMachine::ReadResult ButtonMachine::ReadEnabled() {
  ButtonEffects effects;
  if (properties_.FirstRun == 0) {
    // A control fresh from the designer initialises itself on its first read.
    effects = RefreshLook();
    properties_.FirstRun = 1;
    properties_.Enabled = true;
  }
  const bool enabled = properties_.Enabled;
  Merge(effects, ShowEnabledLook());
  return {enabled ? 1u : 0u, effects};
}

ButtonEffects ButtonMachine::WriteEnabled(bool enabled) {
  properties_.Enabled = enabled;
  ButtonEffects effects = ShowEnabledLook();
  effects.property_changed = "Enabled";
  return effects;
}

ButtonEffects ButtonMachine::WriteCaption(std::string caption) {
  properties_.Caption = std::move(caption);
  return {.repaint = true, .property_changed = "Caption"};
}

ButtonEffects ButtonMachine::WriteFont(ButtonFont font) {
  properties_.Font = std::move(font);
  return {.repaint = true, .property_changed = "Font"};
}

ButtonEffects ButtonMachine::ShowEnabledLook() {
  ButtonEffects effects;
  if (properties_.Enabled) {
    effects.draw = DrawFace(ButtonFace::Normal);
    caption_look_ = CaptionLook::kEnabled;
  } else {
    effects.draw = DrawFace(ButtonFace::Disable);
    caption_look_ = CaptionLook::kGreyed;
  }
  effects.caption = caption_look_;
  return effects;
}

ButtonEffects ButtonMachine::RefreshLook() {
  ButtonEffects effects;
  if (!properties_.Enabled) return effects;
  caption_look_ = CaptionLook::kEnabled;
  effects.caption = caption_look_;
  if (properties_.FirstRun == 0) {
    properties_.FontColour = 0;
    effects.repaint = true;
  }
  effects.draw = DrawFace(ButtonFace::Normal);
  return effects;
}

}  // namespace mirokan
