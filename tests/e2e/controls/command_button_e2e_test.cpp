// The push button inside a test window of this process, against the real platform: its
// pixels (read back through WM_PRINTCLIENT and the window's own DC), real mouse input, the
// hover poll and the GDI objects it holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

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

// Pumps this thread's messages until `condition` holds or `deadline` passes.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 5s) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// Dispatches whatever is queued now (input sent earlier, a second click if there were one).
void DrainQueue() {
  PumpUntil([] { return true; });
}

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

Rgb ToRgb(COLORREF c) {
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

bool Near(Rgb a, Rgb b, int tolerance = 2) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

// The button's pixels as it paints them for WM_PRINTCLIENT.
RgbImage Capture(HWND window) {
  RgbImage image(kWidth, kHeight);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win32::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || !bits) return image;
  {
    win32::SelectGuard select(dc.Get(), bitmap.Get());
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    GdiFlush();
  }
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t p = pixels[y * kWidth + x];
      image.Set(x, y, {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
    }
  }
  return image;
}

// Number of pixels further than the tolerance from the composed face.
int Differences(const RgbImage& actual, ButtonFace face, Gradient gradient) {
  const RgbImage expected = ComposeFace(face, gradient, kWidth, kHeight);
  int differences = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (!Near(actual.At(x, y), expected.At(x, y))) ++differences;
    }
  }
  return differences;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

class CommandButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXW host_class{};
    host_class.cbSize = sizeof(host_class);
    host_class.lpfnWndProc = HostProc;
    host_class.hInstance = GetModuleHandleW(nullptr);
    host_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    host_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    host_class.lpszClassName = L"MirokanButtonTestHost";
    RegisterClassExW(&host_class);
    gdi_before_ = win32::LiveGdiObjects();
    host_ = CreateWindowExW(WS_EX_TOPMOST, L"MirokanButtonTestHost", L"button test",
                            WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kLeft, kTop, 300, 120, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    SetForegroundWindow(host_);
    SetFocus(host_);
    // Keep the pointer away from the button while it comes up.
    e2e::MoveCursorTo(kLeft + 250, kTop + 100);
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
    // Every GDI object the button made went with it.
    EXPECT_EQ(win32::LiveGdiObjects(), gdi_before_);
  }

  POINT ButtonCentre() const {
    return {kLeft + kButtonX + kWidth / 2, kTop + kButtonY + kHeight / 2};
  }
  void PointerOverButton() {
    const POINT centre = ButtonCentre();
    e2e::MoveCursorTo(centre.x, centre.y);
  }
  void PointerAway() { e2e::MoveCursorTo(kLeft + 250, kTop + 100); }
  int State() const { return button_->Machine().ButtonState(); }

  HWND host_ = nullptr;
  std::unique_ptr<CommandButton> button_;
  int clicks_ = 0;
  long gdi_before_ = 0;
};

TEST_F(CommandButtonTest, FaceIsTheGradientUnderTheNormalFrame) {
  const RgbImage face = Capture(button_->Window());
  EXPECT_EQ(Differences(face, ButtonFace::Normal, Gradient::Plain), 0);
  // The face's first and last rows inside the frame, white shading to the cool grey.
  EXPECT_TRUE(Near(face.At(36, 4), GradientRow(Gradient::Plain, 4, kHeight)));
  EXPECT_TRUE(Near(face.At(36, 20), GradientRow(Gradient::Plain, 20, kHeight)));
  // Rounded corners: the border's corner pixel shows the rim colour.
  EXPECT_EQ(face.At(1, 1), RgbOf(0xDCD6C2));
  EXPECT_EQ(face.At(kWidth - 2, kHeight - 2), RgbOf(0xFAFAF6));
  EXPECT_EQ(face.At(5, 1), RgbOf(0x003C74));

  // What WM_PAINT put on the window itself.
  HDC window_dc = GetDC(button_->Window());
  EXPECT_EQ(ToRgb(GetPixel(window_dc, 1, 1)), RgbOf(0xDCD6C2));
  EXPECT_TRUE(Near(ToRgb(GetPixel(window_dc, 36, 4)), face.At(36, 4)));
  ReleaseDC(button_->Window(), window_dc);
}

TEST_F(CommandButtonTest, HoverInvertsTheGradientAndLeavingRepaintsWithinATick) {
  PointerOverButton();
  ASSERT_TRUE(PumpUntil([&] { return State() == 2; })) << "no pointer move reached the button";
  RgbImage face = Capture(button_->Window());
  EXPECT_EQ(Differences(face, ButtonFace::HighLight, Gradient::Inverted), 0);
  EXPECT_TRUE(Near(face.At(36, 4), GradientRow(Gradient::Inverted, 4, kHeight)));
  EXPECT_TRUE(Near(face.At(36, 20), GradientRow(Gradient::Inverted, 20, kHeight)));

  // The pointer stays: a hover tick keeps the look.
  SendMessageW(button_->Window(), WM_TIMER, CommandButton::kTmrMouseId, 0);
  EXPECT_EQ(State(), 2);

  PointerAway();
  ASSERT_TRUE(PumpUntil([&] { return State() == 1; }));
  face = Capture(button_->Window());
  EXPECT_EQ(Differences(face, ButtonFace::Normal, Gradient::Plain), 0);
}

TEST_F(CommandButtonTest, RealClickRaisesClickOnce) {
  PointerOverButton();
  ASSERT_TRUE(PumpUntil([&] { return State() == 2; }));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return button_->Machine().MouseHeld(); }));
  EXPECT_EQ(State(), 4);  // the press brought the focus
  EXPECT_EQ(GetFocus(), button_->Window());
  EXPECT_EQ(Differences(Capture(button_->Window()), ButtonFace::Pressed, Gradient::Inverted), 0);
  EXPECT_EQ(clicks_, 0);

  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return clicks_ > 0; }));
  DrainQueue();
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(State(), 4);
  EXPECT_EQ(
      Differences(Capture(button_->Window()), ButtonFace::HighLightSelect, Gradient::Inverted), 0);
}

TEST_F(CommandButtonTest, PressMoveAwayReleaseDoesNotClick) {
  PointerOverButton();
  ASSERT_TRUE(PumpUntil([&] { return State() == 2; }));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return button_->Machine().MouseHeld(); }));
  PointerAway();
  ASSERT_TRUE(PumpUntil([&] { return State() == 3; }));  // the hover poll saw it leave
  EXPECT_EQ(Differences(Capture(button_->Window()), ButtonFace::Selected, Gradient::Plain), 0);
  SendMouse(MOUSEEVENTF_LEFTUP);
  // The capture brings the release back to the button although the pointer is away.
  ASSERT_TRUE(PumpUntil([&] { return !button_->Machine().MouseHeld(); }));
  DrainQueue();
  EXPECT_EQ(clicks_, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(CommandButtonTest, DisabledShowsDisableAndNeverClicks) {
  button_->SetEnabled(false);
  EXPECT_EQ(Differences(Capture(button_->Window()), ButtonFace::Disable, Gradient::Plain), 0);
  PointerOverButton();
  // The mouse is still captured while disabled, which shows when each message got there.
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return GetCapture() == button_->Window(); }));
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return GetCapture() == nullptr; }));
  SendMessageW(button_->Window(), WM_TIMER, CommandButton::kTmrMouseId, 0);
  EXPECT_EQ(clicks_, 0);
  EXPECT_EQ(State(), 1);
  EXPECT_EQ(Differences(Capture(button_->Window()), ButtonFace::Disable, Gradient::Plain), 0);
  button_->SetEnabled(true);
  EXPECT_EQ(Differences(Capture(button_->Window()), ButtonFace::Normal, Gradient::Plain), 0);
}

TEST_F(CommandButtonTest, CaptionOverTheFaceAndAloneWhenTransparent) {
  button_->SetCaption("OK");
  button_->SetFontColour(RGB(255, 0, 0));
  const auto count_reddish = [](const RgbImage& image) {
    int count = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const Rgb c = image.At(x, y);
        if (c.r > 150 && c.g < 120 && c.b < 120) ++count;
      }
    }
    return count;
  };
  RgbImage face = Capture(button_->Window());
  EXPECT_GT(count_reddish(face), 5);
  EXPECT_TRUE(Near(face.At(36, 4), GradientRow(Gradient::Plain, 4, kHeight)));

  button_->SetVisible(0);
  EXPECT_EQ(button_->Visible(), 0);
  face = Capture(button_->Window());
  EXPECT_EQ(face.At(1, 1), RgbOf(0x000000));  // the host's black shows through
  EXPECT_EQ(face.At(36, 4), RgbOf(0x000000));
  EXPECT_GT(count_reddish(face), 5);  // the caption stays

  button_->SetVisible(1);
  EXPECT_EQ(button_->Visible(), 255);
  EXPECT_EQ(Capture(button_->Window()).At(1, 1), RgbOf(0xDCD6C2));
}

TEST_F(CommandButtonTest, ThousandHoverChangesLeaveNoGdiObjectBehind) {
  PointerAway();
  DrainQueue();
  const long before = win32::LiveGdiObjects();
  const LPARAM inside = MAKELPARAM(kWidth / 2, kHeight / 2);
  int changes = 0;
  for (int i = 0; i < 1000; ++i) {
    // A move over the button, then a hover tick delivered early with the pointer away.
    SendMessageW(button_->Window(), WM_MOUSEMOVE, 0, inside);
    if (State() == 2) ++changes;
    SendMessageW(button_->Window(), WM_TIMER, CommandButton::kTmrMouseId, 0);
    if (State() == 1) ++changes;
  }
  EXPECT_EQ(changes, 2000);
  EXPECT_EQ(win32::LiveGdiObjects(), before);
  EXPECT_EQ(Differences(Capture(button_->Window()), ButtonFace::Normal, Gradient::Plain), 0);
}

TEST_F(CommandButtonTest, ClickHandlerMayDestroyTheButton) {
  button_->Click = [this] {
    ++clicks_;
    button_.reset();
  };
  PointerOverButton();
  ASSERT_TRUE(PumpUntil([&] { return State() == 2; }));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return clicks_ > 0; }));
  DrainQueue();
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(button_, nullptr);
}

}  // namespace
}  // namespace mirokan
