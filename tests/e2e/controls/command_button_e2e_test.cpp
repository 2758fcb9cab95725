// The push button inside a test window of this process, against the real platform: its
// pixels, real mouse input, the hover poll and the GDI objects it holds.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <tuple>

#include "common/win32_handles.h"
#include "e2e_checks.h"
#include "saver/controls/button_faces.h"
#include "saver/controls/win32_command_button.h"

namespace mirokan {
namespace {

using namespace e2e;
using win32::CommandButton;

constexpr int kLeft = 200, kTop = 150;       // the test window on the screen
constexpr int kButtonX = 20, kButtonY = 30;  // the button in the test window
constexpr int kWidth = 73, kHeight = 25;     // the settings dialog's button size

void SendMouse(DWORD flags) {
  INPUT input{.type = INPUT_MOUSE};
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

bool Near(COLORREF a, Rgb b) {
  return std::abs(GetRValue(a) - b.r) <= 2 && std::abs(GetGValue(a) - b.g) <= 2 &&
         std::abs(GetBValue(a) - b.b) <= 2;
}

// Number of pixels the button paints further than the tolerance from the composed face.
int Differences(HWND button, ButtonFace face, Gradient gradient) {
  const Pixels actual = Printed(button, {kWidth, kHeight});
  const RgbImage expected = ComposeFace(face, gradient, kWidth, kHeight);
  int differences = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) differences += !Near(actual.At(x, y), expected.At(x, y));
  }
  return differences;
}

class CommandButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ =
        std::make_unique<TestWindow>(L"button test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                     POINT{kLeft, kTop}, SIZE{300, 120}, nullptr, WS_EX_TOPMOST);
    ASSERT_NE(host_->Get(), nullptr);
    SetForegroundWindow(host_->Get());
    SetFocus(host_->Get());
    PointerAway();  // while the button comes up
    gdi_before_ = win32::LiveGdiObjects();
    const RECT bounds{kButtonX, kButtonY, kButtonX + kWidth, kButtonY + kHeight};
    button_ = CommandButton::Create(host_->Get(), bounds, ButtonFont{.name = "Tahoma"});
    ASSERT_NE(button_, nullptr);
    button_->SetCaption("");  // the caption would cover face pixels
    button_->Click = [this] { ++clicks_; };
    button_->Initialize();
    UpdateWindow(host_->Get());
    Pump();
  }

  void TearDown() override {
    button_.reset();
    Pump();
    EXPECT_EQ(win32::LiveGdiObjects(), gdi_before_);  // the button's objects went with it
  }

  // False when no pointer move reached the button (and put it in `state`).
  bool PointerOverButton(int state = 2) {
    MoveCursorTo(kLeft + kButtonX + kWidth / 2, kTop + kButtonY + kHeight / 2);
    return PumpUntil([&] { return State() == state; });
  }
  void PointerAway() { MoveCursorTo(kLeft + 250, kTop + 100); }
  void HoverTick() { SendMessageW(button_->Window(), WM_TIMER, CommandButton::kTmrMouseId, 0); }
  int State() const { return button_->Machine().ButtonState(); }

  std::unique_ptr<TestWindow> host_;
  std::unique_ptr<CommandButton> button_;
  int clicks_ = 0;
  long gdi_before_ = 0;
};

// The faces' pixels are the unit tests' (ComposeFace); this proves the button paints them
// and follows the hover.
TEST_F(CommandButtonTest, PaintsTheComposedGradientInvertedWhileHovered) {
  EXPECT_EQ(Differences(button_->Window(), ButtonFace::Normal, Gradient::kPlain), 0);
  // What WM_PAINT put on the window itself: the rim's corner.
  EXPECT_EQ(GetPixel(win32::WindowDc(button_->Window()).Get(), 1, 1), RGB(0xDC, 0xD6, 0xC2));
  ASSERT_TRUE(PointerOverButton());
  EXPECT_EQ(Differences(button_->Window(), ButtonFace::HighLight, Gradient::kInverted), 0);
  HoverTick();  // the pointer stays: the look stays
  EXPECT_EQ(State(), 2);
  PointerAway();
  HoverTick();  // one tick is enough to notice it left
  EXPECT_EQ(State(), 1);

  // A thousand hover changes hold no more GDI objects than none.
  const long objects = win32::LiveGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    SendMessageW(button_->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(kWidth / 2, kHeight / 2));
    HoverTick();
  }
  EXPECT_EQ(win32::LiveGdiObjects(), objects);
}

// The rows of the button that hold pixels of exactly `colour`: how many, the first, the last.
struct Rows {
  int count = 0, first = -1, last = -1;
};

Rows RowsIn(HWND button, COLORREF colour) {
  const Pixels shown = Printed(button, {kWidth, kHeight});
  Rows rows;
  for (int y = 0; y < kHeight; ++y) {
    const auto row = shown.at.begin() + y * kWidth;
    if (std::find(row, row + kWidth, colour) == row + kWidth) continue;
    rows.first = rows.first < 0 ? y : rows.first;
    rows.last = y;
    ++rows.count;
  }
  return rows;
}

TEST_F(CommandButtonTest, CaptionCentredInItsFontAndColourAndGreyedWhenDisabled) {
  button_->SetFontColour(RGB(255, 0, 0));
  button_->SetCaption("HH");
  button_->SetFont(ButtonFont{.name = "Tahoma", .size_points = 14});
  Pump();
  const Rows large = RowsIn(button_->Window(), RGB(255, 0, 0));
  button_->SetFont(ButtonFont{.name = "Tahoma", .size_points = 9});
  Pump();
  const Rows small = RowsIn(button_->Window(), RGB(255, 0, 0));
  EXPECT_GT(large.count, small.count + 3) << "the font's size is used";
  // The 9-point label stands 20 twips above the middle; its capitals stand above its
  // baseline, so they are centred a little higher still.
  EXPECT_NEAR(small.first + small.last, kHeight - 4, 2);
  button_->SetEnabled(false);
  Pump();
  const Rows grey = RowsIn(button_->Window(), GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(std::tie(grey.count, grey.first, grey.last),
            std::tie(small.count, small.first, small.last));
  EXPECT_EQ(RowsIn(button_->Window(), RGB(255, 0, 0)).count, 0);
}

TEST_F(CommandButtonTest, RealInputClicksOnlyOnAReleaseOverTheButton) {
  ASSERT_TRUE(PointerOverButton());
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return button_->Machine().MouseHeld(); }));
  EXPECT_EQ(State(), 4);  // the press brought the focus
  EXPECT_EQ(clicks_, 0);
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return clicks_ > 0; }));
  Pump();
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(Differences(button_->Window(), ButtonFace::HighLightSelect, Gradient::kInverted), 0);

  // Press, move away, release: the capture brings the release back, and it does not click.
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return button_->Machine().MouseHeld(); }));
  PointerAway();
  HoverTick();
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !button_->Machine().MouseHeld(); }));
  Pump();
  EXPECT_EQ(clicks_, 1);

  // The capture taken away while held: the press is over, and the next one clicks again.
  ASSERT_TRUE(PointerOverButton(4));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return button_->Machine().MouseHeld(); }));
  SetCapture(host_->Get());
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pump();
  ReleaseCapture();
  PointerAway();
  HoverTick();
  ASSERT_TRUE(PointerOverButton(4)) << "the focused button shows its highlighted look again";
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return clicks_ > 1; }));
  EXPECT_EQ(clicks_, 2);
}

TEST_F(CommandButtonTest, ClickHandlerMayDestroyTheButton) {
  button_->Click = [this] {
    ++clicks_;
    button_.reset();
  };
  ASSERT_TRUE(PointerOverButton());
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return clicks_ > 0; }));
  Pump();
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(button_, nullptr);
}

}  // namespace
}  // namespace mirokan
