#include "saver/controls/button_state.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace mirokan {
namespace {

const ButtonFont kAmbient{.name = "MS PGothic", .size_points = 9.75, .charset = 128};

// Events in the order the window delivers them: a press first gives the focus, then presses.
enum class Event {
  Initialize,
  MoveOver,
  TickOver,
  TickAway,
  Focus,
  Blur,
  PressLeft,
  PressRight,
  ReleaseLeft,
  ReleaseRight,
  Enable,
  Disable,
};

struct Step {
  Event event;
  int state;                         // ButtonState after the step
  std::optional<FaceDrawing> drawn;  // nullopt: nothing drawn
  bool click = false;
};

constexpr FaceDrawing Plain(ButtonFace face) {
  return {face, Gradient::Plain};
}
constexpr FaceDrawing Inverted(ButtonFace face) {
  return {face, Gradient::Inverted};
}

ButtonEffects Deliver(ButtonMachine& machine, Event event) {
  switch (event) {
    case Event::Initialize:
      return machine.Initialize();
    case Event::MoveOver:
      return machine.PointerMovedOver();
    case Event::TickOver:
      return machine.HoverTick(PointerPlace::OverControl);
    case Event::TickAway:
      return machine.HoverTick(PointerPlace::Away);
    case Event::Focus:
      return machine.FocusGained();
    case Event::Blur:
      return machine.FocusLost();
    case Event::PressLeft:
      return machine.ButtonPressed(MouseButton::Left);
    case Event::PressRight:
      return machine.ButtonPressed(MouseButton::Right);
    case Event::ReleaseLeft:
      return machine.ButtonReleased(MouseButton::Left);
    case Event::ReleaseRight:
      return machine.ButtonReleased(MouseButton::Right);
    case Event::Enable:
      return machine.WriteEnabled(true);
    case Event::Disable:
      return machine.WriteEnabled(false);
  }
  return {};
}

ButtonMachine LoadedMachine() {
  ButtonMachine machine(kAmbient);
  machine.ReadProperties(PropertyBag{});
  return machine;
}

struct Scenario {
  const char* name;
  std::vector<Step> steps;
};

using F = ButtonFace;
using E = Event;

TEST(ButtonMachine, StepSequences) {
  const Scenario scenarios[] = {
      {"hover in and out",
       {{E::Initialize, 1, {}},
        {E::MoveOver, 2, Inverted(F::HighLight)},
        {E::MoveOver, 2, {}},
        {E::TickOver, 2, {}},
        {E::TickAway, 1, Plain(F::Normal)},
        {E::TickAway, 1, {}}}},
      // A release away from the button that comes before the next tick is this same sequence.
      {"press and release over the button clicks",
       {{E::Initialize, 1, {}},
        {E::MoveOver, 2, Inverted(F::HighLight)},
        {E::Focus, 4, Inverted(F::Pressed)},
        {E::PressLeft, 4, Inverted(F::Pressed)},
        {E::ReleaseLeft, 4, Inverted(F::HighLightSelect), true},
        // The focus stays: the next tick away shows Selected, the plain gradient again.
        {E::TickAway, 3, Plain(F::Selected)}}},
      {"press, move away, release: no click",
       {{E::Initialize, 1, {}},
        {E::MoveOver, 2, Inverted(F::HighLight)},
        {E::Focus, 4, Inverted(F::Pressed)},
        {E::PressLeft, 4, Inverted(F::Pressed)},
        {E::TickAway, 3, Plain(F::Selected)},
        {E::ReleaseLeft, 3, {}, false},
        {E::TickAway, 3, {}}}},
      {"press, away, back, release: no click",
       {{E::Initialize, 1, {}},
        {E::MoveOver, 2, Inverted(F::HighLight)},
        {E::Focus, 4, Inverted(F::Pressed)},
        {E::PressLeft, 4, Inverted(F::Pressed)},
        {E::TickAway, 3, Plain(F::Selected)},
        {E::MoveOver, 3, {}},  // held: stays Selected
        {E::TickOver, 3, {}},
        {E::ReleaseLeft, 3, {}, false},
        {E::MoveOver, 4, Plain(F::HighLightSelect)}}},
      {"right click over a hovered button clicks",
       {{E::Initialize, 1, {}},
        {E::MoveOver, 2, Inverted(F::HighLight)},
        {E::Focus, 4, Inverted(F::Pressed)},
        {E::PressRight, 4, {}},
        {E::ReleaseRight, 4, {}, true},
        {E::PressRight, 4, {}},
        {E::ReleaseRight, 4, {}, true}}},
      {"focus by Tab, then hover",
       {{E::Initialize, 1, {}},
        {E::Focus, 3, Plain(F::Selected)},
        {E::MoveOver, 4, Plain(F::HighLightSelect)},
        {E::TickAway, 3, Plain(F::Selected)},
        {E::Blur, 1, Plain(F::Normal)},
        {E::Blur, 1, {}}}},
      {"before Initialize the pointer does nothing and the first release does not click",
       {{E::MoveOver, 0, {}},
        {E::TickAway, 0, {}},
        {E::Focus, 3, Plain(F::Selected)},
        {E::PressLeft, 3, Plain(F::Pressed)},
        {E::ReleaseLeft, 3, {}, false},
        {E::Initialize, 1, {}},
        {E::MoveOver, 2, Inverted(F::HighLight)}}},
      {"disabled: shows Disable, ignores the mouse, never clicks",
       {{E::Initialize, 1, {}},
        {E::Disable, 1, Plain(F::Disable)},
        {E::MoveOver, 1, {}},
        {E::Focus, 1, {}},
        {E::PressLeft, 1, {}},
        {E::ReleaseLeft, 1, {}, false},
        {E::PressRight, 1, {}},
        {E::ReleaseRight, 1, {}, false},
        {E::Blur, 1, {}},
        {E::Enable, 1, Plain(F::Normal)},
        {E::MoveOver, 2, Inverted(F::HighLight)}}},
      {"disabled while hovered freezes the state; enabling shows Normal",
       {{E::Initialize, 1, {}},
        {E::MoveOver, 2, Inverted(F::HighLight)},
        {E::Disable, 2, Inverted(F::Disable)},
        {E::TickAway, 2, {}},
        {E::Enable, 2, Inverted(F::Normal)},
        {E::TickAway, 1, Plain(F::Normal)}}},
  };
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    ButtonMachine machine = LoadedMachine();
    int index = 0;
    for (const Step& step : scenario.steps) {
      SCOPED_TRACE("step " + std::to_string(index++));
      const ButtonEffects effects = Deliver(machine, step.event);
      EXPECT_EQ(machine.ButtonState(), step.state);
      EXPECT_EQ(effects.draw, step.drawn);
      EXPECT_EQ(effects.click, step.click);
    }
  }
}

TEST(ButtonMachine, InitializeStartsTheHoverTimerAndDrawsNothing) {
  ButtonMachine machine = LoadedMachine();
  const ButtonEffects effects = machine.Initialize();
  EXPECT_TRUE(effects.start_hover_timer);
  EXPECT_FALSE(effects.Visible());
}

TEST(ButtonMachine, MouseHeldFollowsTheLeftButtonOnly) {
  ButtonMachine machine = LoadedMachine();
  machine.Initialize();
  machine.ButtonPressed(MouseButton::Right);
  EXPECT_FALSE(machine.MouseHeld());
  machine.ButtonPressed(MouseButton::Left);
  EXPECT_TRUE(machine.MouseHeld());
  machine.ButtonReleased(MouseButton::Right);
  EXPECT_TRUE(machine.MouseHeld());
  machine.ButtonReleased(MouseButton::Left);
  EXPECT_FALSE(machine.MouseHeld());
}

TEST(ButtonMachine, DisabledLookGreysTheCaption) {
  ButtonMachine machine = LoadedMachine();
  ButtonEffects effects = machine.WriteEnabled(false);
  EXPECT_EQ(effects.caption, CaptionLook::Greyed);
  EXPECT_EQ(effects.property_changed, "Enabled");
  // The plain look cannot come back while disabled.
  EXPECT_FALSE(machine.RefreshLook().Visible());
  EXPECT_EQ(machine.ReadEnabled().value, 0u);
  effects = machine.WriteEnabled(true);
  EXPECT_EQ(effects.caption, CaptionLook::Enabled);
  EXPECT_EQ(machine.Look(), CaptionLook::Enabled);
}

TEST(ButtonMachine, VisibleReadsAndWrites) {
  ButtonMachine machine = LoadedMachine();
  machine.Initialize();
  machine.PointerMovedOver();  // hovered: reading puts the plain frame back
  auto read = machine.ReadVisible();
  EXPECT_EQ(read.value, 255u);
  EXPECT_EQ(read.effects.draw, Inverted(ButtonFace::Normal));
  EXPECT_EQ(machine.ButtonState(), 2);

  ButtonEffects effects = machine.WriteVisible(0);
  EXPECT_EQ(machine.Properties().Visible, BackStyle::Transparent);
  EXPECT_FALSE(effects.draw);
  EXPECT_TRUE(effects.repaint);  // the face goes, the caption stays
  EXPECT_EQ(effects.property_changed, "Visible");
  read = machine.ReadVisible();
  EXPECT_EQ(read.value, 0u);
  EXPECT_FALSE(read.effects.Visible());

  effects = machine.WriteVisible(7);  // any non-zero value is opaque
  EXPECT_EQ(machine.Properties().Visible, BackStyle::Opaque);
  EXPECT_EQ(effects.draw->picture, ButtonFace::Normal);
  EXPECT_EQ(machine.ReadVisible().value, 255u);

  machine.WriteEnabled(false);
  read = machine.ReadVisible();
  EXPECT_EQ(read.value, 255u);
  EXPECT_FALSE(read.effects.draw);  // RefreshLook does nothing while disabled
}

TEST(ButtonMachine, FontColourAndCaption) {
  ButtonMachine machine = LoadedMachine();
  ButtonEffects effects = machine.WriteFontColour(0x0000FF);
  EXPECT_EQ(machine.Properties().FontColour, 0x0000FFu);
  EXPECT_EQ(effects.draw->picture, ButtonFace::Normal);
  EXPECT_EQ(effects.property_changed, "FontColour");
  const auto read = machine.ReadFontColour();
  EXPECT_EQ(read.value, 0x0000FFu);
  EXPECT_EQ(read.effects.draw->picture, ButtonFace::Normal);

  effects = machine.WriteCaption("設定");
  EXPECT_EQ(machine.Properties().Caption, "設定");
  EXPECT_FALSE(effects.draw);  // the caption alone changes, no face drawing
  EXPECT_TRUE(effects.repaint);
  EXPECT_EQ(effects.property_changed, "Caption");
}

TEST(ButtonMachine, FreshControlInitialisesOnItsFirstEnabledRead) {
  ButtonMachine machine(kAmbient);  // never loaded: FirstRun 0, Enabled false
  EXPECT_EQ(machine.Properties().FirstRun, 0);
  const auto read = machine.ReadEnabled();
  EXPECT_EQ(read.value, 1u);
  EXPECT_EQ(machine.Properties().FirstRun, 1);
  EXPECT_TRUE(machine.Properties().Enabled);
  EXPECT_EQ(read.effects.draw->picture, ButtonFace::Normal);
  EXPECT_EQ(read.effects.caption, CaptionLook::Enabled);
}

TEST(ButtonMachine, LoadWithFirstRunZeroBlackensTheCaption) {
  PropertyBag bag;
  bag.Put("FirstRun", std::int64_t{0});
  bag.Put("FontColour", std::int64_t{0x00FF00});
  ButtonMachine machine(kAmbient);
  const ButtonEffects effects = machine.ReadProperties(bag);
  EXPECT_EQ(machine.Properties().FontColour, 0u);
  EXPECT_EQ(effects.draw->picture, ButtonFace::Normal);
  // Saving afterwards still stores FirstRun 0 until the first read of Enabled.
  PropertyBag saved;
  machine.WriteProperties(saved);
  EXPECT_EQ(saved.Read("FirstRun"), PropertyValue(std::int64_t{0}));
  machine.ReadEnabled();
  machine.WriteProperties(saved);
  EXPECT_FALSE(saved.Contains("FirstRun"));
}

TEST(ButtonMachine, LoadingADisabledButtonDrawsDisableOnResize) {
  PropertyBag bag;
  bag.Put("Enabled", false);
  ButtonMachine machine(kAmbient);
  EXPECT_FALSE(machine.ReadProperties(bag).draw);
  const ButtonEffects effects = machine.Resized();
  EXPECT_EQ(effects.draw->picture, ButtonFace::Disable);
  EXPECT_EQ(effects.caption, CaptionLook::Greyed);
}

}  // namespace
}  // namespace mirokan
