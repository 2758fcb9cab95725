// The push button inside a test window of this process, against the real platform: its
// pixels, real mouse input, the hover poll and the GDI objects it holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <tuple>

#include "common/win32_handles.h"
#include "e2e_support.h"
#include "saver/controls/button_faces.h"
#include "saver/controls/win32_command_button.h"

namespace mirokan {
namespace {

using namespace std::chrono_literals;
using win32::CommandButton;

constexpr int kLeft = 200, kTop = 150;       // the test window on the screen
constexpr int kButtonX = 20, kButtonY = 30;  // the button in the test window
constexpr int kWidth = 73, kHeight = 25;     // the settings dialog's button size

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 5s) {
  return e2e::WaitUntil(
      [&] {
        for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
        return condition();
      },
      deadline);
}

// Dispatches what is queued now (input sent earlier, a second click if there were one).
void DrainQueue() {
  PumpUntil([] { return true; });
}

void SendMouse(DWORD flags) {
  INPUT input{.type = INPUT_MOUSE};
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

bool Near(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

// The button's pixels as it paints them for WM_PRINTCLIENT.
RgbImage Capture(HWND window) {
  BITMAPINFO info{.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB}};
  void* bits = nullptr;
  win32::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  win32::SelectGuard select(dc.Get(), bitmap.Get());
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
  RgbImage image(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const COLORREF c = GetPixel(dc.Get(), x, y);
      image.Set(x, y, {GetRValue(c), GetGValue(c), GetBValue(c)});
    }
  }
  return image;
}

// Number of pixels further than the tolerance from the composed face.
int Differences(const RgbImage& actual, ButtonFace face, Gradient gradient) {
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
    const WNDCLASSEXW host_class{.cbSize = sizeof(WNDCLASSEXW),
                                 .lpfnWndProc = DefWindowProcW,
                                 .hInstance = GetModuleHandleW(nullptr),
                                 .lpszClassName = L"MirokanButtonTestHost"};
    RegisterClassExW(&host_class);
    gdi_before_ = win32::LiveGdiObjects();
    host_ = CreateWindowExW(WS_EX_TOPMOST, L"MirokanButtonTestHost", L"button test",
                            WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kLeft, kTop, 300, 120, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    SetForegroundWindow(host_);
    SetFocus(host_);
    PointerAway();  // while the button comes up
    const RECT bounds{kButtonX, kButtonY, kButtonX + kWidth, kButtonY + kHeight};
    button_ = CommandButton::Create(host_, bounds, ButtonFont{.name = "Tahoma"});
    ASSERT_NE(button_, nullptr);
    button_->SetCaption("");  // the caption would cover face pixels
    button_->Click = [this] { ++clicks_; };
    button_->Initialize();
    UpdateWindow(host_);
    DrainQueue();
  }

  void TearDown() override {
    button_.reset();
    if (host_) DestroyWindow(host_);
    DrainQueue();
    EXPECT_EQ(win32::LiveGdiObjects(), gdi_before_);  // the button's objects went with it
  }

  // False when no pointer move reached the button (and put it in `state`).
  bool PointerOverButton(int state = 2) {
    e2e::MoveCursorTo(kLeft + kButtonX + kWidth / 2, kTop + kButtonY + kHeight / 2);
    return PumpUntil([&] { return State() == state; });
  }
  void PointerAway() { e2e::MoveCursorTo(kLeft + 250, kTop + 100); }
  void HoverTick() { SendMessageW(button_->Window(), WM_TIMER, CommandButton::kTmrMouseId, 0); }
  int State() const { return button_->Machine().ButtonState(); }

  HWND host_ = nullptr;
  std::unique_ptr<CommandButton> button_;
  int clicks_ = 0;
  long gdi_before_ = 0;
};

TEST_F(CommandButtonTest, RoundedFrameAroundTheGradientInvertedWhileHovered) {
  const auto expect_face = [&](ButtonFace picture, Gradient gradient) {
    const RgbImage face = Capture(button_->Window());
    EXPECT_EQ(Differences(face, picture, gradient), 0);
    for (int y : {4, 20}) {  // the first and last rows inside the frame
      EXPECT_TRUE(Near(face.At(36, y), GradientRow(gradient, y, kHeight))) << y;
    }
    // The border's corner pixels show the rim colour.
    EXPECT_EQ(face.At(1, 1), RgbOf(0xDCD6C2));
    EXPECT_EQ(face.At(kWidth - 2, kHeight - 2), RgbOf(0xFAFAF6));
  };
  expect_face(ButtonFace::Normal, Gradient::Plain);
  HDC window_dc = GetDC(button_->Window());  // what WM_PAINT put on the window itself
  EXPECT_EQ(GetPixel(window_dc, 1, 1), RGB(0xDC, 0xD6, 0xC2));
  ReleaseDC(button_->Window(), window_dc);

  ASSERT_TRUE(PointerOverButton());
  expect_face(ButtonFace::HighLight, Gradient::Inverted);
  HoverTick();  // the pointer stays: the look stays
  EXPECT_EQ(State(), 2);
  PointerAway();
  HoverTick();  // one tick is enough to notice it left
  EXPECT_EQ(State(), 1);
  expect_face(ButtonFace::Normal, Gradient::Plain);

  // A thousand hover changes hold no more GDI objects than none.
  const long objects = win32::LiveGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    SendMessageW(button_->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(kWidth / 2, kHeight / 2));
    HoverTick();
  }
  EXPECT_EQ(win32::LiveGdiObjects(), objects);
  expect_face(ButtonFace::Normal, Gradient::Plain);
}

// Where the caption shows: the pixels that differ from the bare face, and how many of them
// have exactly the caption's colour.
struct CaptionPixels {
  int left = kWidth, top = kHeight, right = -1, bottom = -1;
  int in_colour = 0;
};

CaptionPixels FindCaption(HWND window, ButtonFace face, COLORREF colour) {
  const RgbImage actual = Capture(window);
  const RgbImage bare = ComposeFace(face, Gradient::Plain, kWidth, kHeight);
  CaptionPixels found;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb pixel = actual.At(x, y);
      if (Near(pixel, bare.At(x, y))) continue;
      found.left = std::min(found.left, x), found.right = std::max(found.right, x);
      found.top = std::min(found.top, y), found.bottom = std::max(found.bottom, y);
      found.in_colour += RGB(pixel.r, pixel.g, pixel.b) == colour;
    }
  }
  return found;
}

TEST_F(CommandButtonTest, CaptionCentredInItsFontAndColourAndGreyedWhenDisabled) {
  button_->SetFontColour(RGB(255, 0, 0));
  button_->SetCaption("HH");
  int heights[2] = {};
  for (const int points : {14, 9}) {
    button_->SetFont(ButtonFont{.name = "Tahoma", .size_points = static_cast<double>(points)});
    DrainQueue();
    const CaptionPixels red = FindCaption(button_->Window(), ButtonFace::Normal, RGB(255, 0, 0));
    EXPECT_GE(red.in_colour, 20) << points;
    EXPECT_LE(std::abs(red.left + red.right - (kWidth - 1)), 2) << "centred across";
    heights[points == 9] = red.bottom - red.top;
  }
  EXPECT_GT(heights[0], heights[1] + 3) << "the font's size is used";

  // The 9-point label stands 20 twips above the middle; its capitals stand above its
  // baseline, so they are centred a little higher still.
  const CaptionPixels red = FindCaption(button_->Window(), ButtonFace::Normal, RGB(255, 0, 0));
  EXPECT_NEAR(red.top + red.bottom, kHeight - 4, 2);
  button_->SetEnabled(false);
  DrainQueue();
  const CaptionPixels grey =
      FindCaption(button_->Window(), ButtonFace::Disable, GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(grey.in_colour, red.in_colour);
  EXPECT_EQ(std::tie(grey.left, grey.top, grey.right, grey.bottom),
            std::tie(red.left, red.top, red.right, red.bottom));
}

TEST_F(CommandButtonTest, RealInputClicksOnlyOnAReleaseOverTheButton) {
  ASSERT_TRUE(PointerOverButton());
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return button_->Machine().MouseHeld(); }));
  EXPECT_EQ(State(), 4);  // the press brought the focus
  EXPECT_EQ(clicks_, 0);
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return clicks_ > 0; }));
  DrainQueue();
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(
      Differences(Capture(button_->Window()), ButtonFace::HighLightSelect, Gradient::Inverted), 0);

  // Press, move away, release: the capture brings the release back, and it does not click.
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return button_->Machine().MouseHeld(); }));
  PointerAway();
  HoverTick();
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !button_->Machine().MouseHeld(); }));
  DrainQueue();
  EXPECT_EQ(clicks_, 1);

  // The capture taken away while held: the press is over, and the next one clicks again.
  ASSERT_TRUE(PointerOverButton(4));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return button_->Machine().MouseHeld(); }));
  SetCapture(host_);
  SendMouse(MOUSEEVENTF_LEFTUP);
  DrainQueue();
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
  DrainQueue();
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(button_, nullptr);
}

}  // namespace
}  // namespace mirokan
