#include "saver/controls/button_state.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace mirokan {
namespace {

const ButtonFont kAmbient{.name = "MS PGothic", .size_points = 9.75, .charset = 128};

using Event = ButtonEffects (*)(ButtonMachine&);
const Event Init = [](ButtonMachine& m) { return m.Initialize(); };
const Event Over = [](ButtonMachine& m) { return m.PointerMovedOver(); };
const Event TickOver = [](ButtonMachine& m) { return m.HoverTick(PointerPlace::kOverControl); };
const Event TickAway = [](ButtonMachine& m) { return m.HoverTick(PointerPlace::kAway); };
const Event Focus = [](ButtonMachine& m) { return m.FocusGained(); };
const Event Blur = [](ButtonMachine& m) { return m.FocusLost(); };
const Event PressL = [](ButtonMachine& m) { return m.ButtonPressed(MouseButton::kLeft); };
const Event PressR = [](ButtonMachine& m) { return m.ButtonPressed(MouseButton::kRight); };
const Event ReleaseL = [](ButtonMachine& m) { return m.ButtonReleased(MouseButton::kLeft); };
const Event ReleaseR = [](ButtonMachine& m) { return m.ButtonReleased(MouseButton::kRight); };
const Event CaptureLost = [](ButtonMachine& m) { return m.CaptureLost(); };
const Event Enable = [](ButtonMachine& m) { return m.WriteEnabled(true); };
const Event Disable = [](ButtonMachine& m) { return m.WriteEnabled(false); };

struct Step {
  Event event;
  int state;                         // ButtonState after the step
  std::optional<FaceDrawing> drawn;  // nullopt: nothing drawn
  bool click = false;
};

using F = ButtonFace;
const auto Plain = [](ButtonFace face) { return FaceDrawing{face, Gradient::kPlain}; };
const auto Inv = [](ButtonFace face) { return FaceDrawing{face, Gradient::kInverted}; };

ButtonMachine LoadedMachine() {
  ButtonMachine machine(kAmbient);
  machine.ReadProperties(PropertyBag{});
  return machine;
}

// Events in the order the window delivers them: a press first gives the focus, then presses.
TEST(ButtonMachine, StepSequences) {
  struct Scenario {
    const char* name;
    std::vector<Step> steps;
  };
  // clang-format off
  const Scenario scenarios[] = {
      // A release away from the button that comes before the next tick is this same sequence.
      {"press and release over the button clicks",
       {{Init, 1, {}}, {Over, 2, Inv(F::HighLight)}, {Focus, 4, Inv(F::Pressed)},
        {PressL, 4, Inv(F::Pressed)}, {ReleaseL, 4, Inv(F::HighLightSelect), true},
        {TickAway, 3, Plain(F::Selected)}, {TickAway, 3, {}}}},
      {"press, move away, release: no click",
       {{Init, 1, {}}, {Over, 2, Inv(F::HighLight)}, {Focus, 4, Inv(F::Pressed)},
        {PressL, 4, Inv(F::Pressed)}, {TickAway, 3, Plain(F::Selected)}, {ReleaseL, 3, {}},
        {TickAway, 3, {}}}},
      {"press, away, back, release: no click",
       {{Init, 1, {}}, {Over, 2, Inv(F::HighLight)}, {Focus, 4, Inv(F::Pressed)},
        {PressL, 4, Inv(F::Pressed)}, {TickAway, 3, Plain(F::Selected)}, {Over, 3, {}},
        {TickOver, 3, {}}, {ReleaseL, 3, {}}, {Over, 4, Plain(F::HighLightSelect)}}},
      {"capture lost while held: no click, and the next press and release click again",
       {{Init, 1, {}}, {Over, 2, Inv(F::HighLight)}, {Focus, 4, Inv(F::Pressed)},
        {PressL, 4, Inv(F::Pressed)}, {CaptureLost, 4, Inv(F::HighLightSelect)},
        {TickAway, 3, Plain(F::Selected)}, {Over, 4, Plain(F::HighLightSelect)},
        {PressL, 4, Plain(F::Pressed)}, {ReleaseL, 4, Plain(F::HighLightSelect), true}}},
      {"right click over a hovered button clicks",
       {{Init, 1, {}}, {Over, 2, Inv(F::HighLight)}, {Focus, 4, Inv(F::Pressed)},
        {PressR, 4, {}}, {ReleaseR, 4, {}, true}, {PressR, 4, {}}, {ReleaseR, 4, {}, true}}},
      {"hover in and out, focus by Tab, then hover",
       {{Init, 1, {}}, {Over, 2, Inv(F::HighLight)}, {Over, 2, {}}, {TickOver, 2, {}},
        {TickAway, 1, Plain(F::Normal)}, {TickAway, 1, {}}, {Focus, 3, Plain(F::Selected)},
        {Over, 4, Plain(F::HighLightSelect)}, {TickAway, 3, Plain(F::Selected)},
        {Blur, 1, Plain(F::Normal)}, {Blur, 1, {}}}},
      {"before Initialize the pointer does nothing and the first release does not click",
       {{Over, 0, {}}, {TickAway, 0, {}}, {Focus, 3, Plain(F::Selected)},
        {PressL, 3, Plain(F::Pressed)}, {ReleaseL, 3, {}}, {Init, 1, {}},
        {Over, 2, Inv(F::HighLight)}}},
      {"disabled: shows Disable, ignores the mouse, never clicks",
       {{Init, 1, {}}, {Disable, 1, Plain(F::Disable)}, {Over, 1, {}}, {Focus, 1, {}},
        {PressL, 1, {}}, {ReleaseL, 1, {}}, {PressR, 1, {}}, {ReleaseR, 1, {}}, {Blur, 1, {}},
        {Enable, 1, Plain(F::Normal)}, {Over, 2, Inv(F::HighLight)},
        // Disabled while hovered freezes the state.
        {Disable, 2, Inv(F::Disable)}, {TickAway, 2, {}}, {Enable, 2, Inv(F::Normal)},
        {TickAway, 1, Plain(F::Normal)}}},
  };
  // clang-format on
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    ButtonMachine machine = LoadedMachine();
    for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
      const Step& step = scenario.steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      const ButtonEffects effects = step.event(machine);
      EXPECT_EQ(machine.ButtonState(), step.state);
      EXPECT_EQ(effects.draw, step.drawn);
      EXPECT_EQ(effects.click, step.click);
      // Without the hover timer the pointer leaving is never noticed.
      EXPECT_EQ(effects.start_hover_timer, step.event == Init);
    }
  }
}

TEST(ButtonMachine, VisibleIsZeroOr255) {
  ButtonMachine machine = LoadedMachine();
  machine.Initialize();
  machine.PointerMovedOver();  // hovered: reading puts the plain frame back
  const auto read = machine.ReadVisible();
  EXPECT_EQ(std::pair(read.value, read.effects.draw),
            std::pair(255u, std::optional(Inv(F::Normal))));
  const ButtonEffects hidden = machine.WriteVisible(0);
  EXPECT_EQ(std::pair(hidden.draw.has_value(), hidden.repaint), std::pair(false, true));
  EXPECT_EQ(machine.ReadVisible().value, 0u);                   // the face goes, the caption stays
  EXPECT_EQ(machine.WriteVisible(7).draw->picture, F::Normal);  // any non-zero value is opaque
  EXPECT_EQ(machine.ReadVisible().value, 255u);
  machine.WriteEnabled(false);
  EXPECT_FALSE(machine.ReadVisible().effects.draw);  // no plain look while disabled
}

TEST(ButtonMachine, DisabledLoadGreysTheCaptionAndDrawsDisableOnResize) {
  PropertyBag bag;
  bag.Put("Enabled", false);
  ButtonMachine machine(kAmbient);
  EXPECT_FALSE(machine.ReadProperties(bag).draw);
  const ButtonEffects effects = machine.Resized();
  EXPECT_EQ(std::pair(effects.draw->picture, effects.caption),
            std::pair(F::Disable, std::optional(CaptionLook::kGreyed)));
  EXPECT_EQ(machine.WriteEnabled(true).caption, CaptionLook::kEnabled);
}

TEST(ButtonMachine, FirstRunZeroBlackensTheCaptionUntilTheFirstEnabledRead) {
  PropertyBag bag, saved;
  bag.Put("FirstRun", std::int64_t{0});
  bag.Put("FontColour", std::int64_t{0x00FF00});
  ButtonMachine machine(kAmbient);
  EXPECT_EQ(machine.ReadProperties(bag).draw->picture, F::Normal);
  EXPECT_EQ(machine.Properties().FontColour, 0u);
  machine.WriteProperties(saved);
  EXPECT_EQ(saved.Read("FirstRun"), PropertyValue(std::int64_t{0}));
  const auto read = machine.ReadEnabled();
  EXPECT_EQ(std::pair(read.value, read.effects.draw->picture), std::pair(1u, F::Normal));
  machine.WriteProperties(saved);
  EXPECT_FALSE(saved.Contains("FirstRun"));
}

}  // namespace
}  // namespace mirokan
