// The preview form in this process (Wine gives a child window of another process no drawing
// surface, so its pixels are read here): the still at its own size from the top-left corner,
// black beyond it, repainted from the persistent image, and the same still in Mirokan.scr;
// across processes, where the preview lives and how it ends.
#include <algorithm>
#include <cstdlib>

#include "common/win32_handles.h"
#include "e2e_checks.h"
#include "saver/host/win32_preview_form.h"

namespace mirokan::win32 {
namespace {

using namespace e2e;

// The still where it fits in the image control, from the top-left corner, and black beyond.
int PixelsOffTheStill(const Pixels& shown, const Pixels& still, const RECT& control) {
  int wrong = 0;
  for (int y = 0; y < shown.height; ++y) {
    for (int x = 0; x < shown.width; ++x) {
      const bool inside = x < std::min<int>(still.width, control.right) &&
                          y < std::min<int>(still.height, control.bottom);
      wrong += shown.At(x, y) != (inside ? still.At(x, y) : RGB(0, 0, 0));
    }
  }
  return wrong;
}

Pixels StillIn(HMODULE module) {
  UniqueBitmap still(static_cast<HBITMAP>(
      LoadImageW(module, kPreviewStill, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return PictureOf(still.Get());
}

// A borderless window standing in for the Display control panel's preview monitor; grey,
// so any of it the preview leaves uncovered shows.
TestWindow Host(SIZE size) {
  return TestWindow(L"", WS_POPUP | WS_VISIBLE, {40, 40}, size,
                    static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

// Also run on a 144-dpi screen (the runner's MIROKAN_E2E_LOGPIXELS), where the host's pixel
// size goes through 10 twips to the pixel instead of 15.
TEST(Preview, ShowsTheStillUnscaledFromTheTopLeftAndRepaintsIt) {
  if (const char* dpi = std::getenv("MIROKAN_E2E_LOGPIXELS")) {
    ASSERT_EQ(ScreenDpi(), std::atoi(dpi));
  }
  const Pixels still = StillIn(GetModuleHandleW(nullptr));
  ASSERT_EQ(still.width, 152);
  ASSERT_EQ(still.height, 112);
  EXPECT_NE(std::count(still.at.begin(), still.at.end(), still.at[0]), 152 * 112)
      << "a uniform still is no tunnel";
  EXPECT_EQ(StillIn(LoadLibraryExW(InFolder(L"Mirokan.scr").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
                .at,
            still.at)
      << "the saver carries another still";

  for (const SIZE area : {SIZE{152, 112}, SIZE{300, 220}, SIZE{100, 80}}) {
    SCOPED_TRACE(testing::Message() << area.cx << " x " << area.cy);
    TestWindow host = Host(area);
    PreviewForm& preview = PreviewForm::Instance();
    preview.ShowIn(host.Get());
    ASSERT_TRUE(preview.Loaded());
    EXPECT_EQ(GetParent(preview.Handle()), host.Get());
    const RECT& bounds = preview.StillImage().Bounds();
    EXPECT_EQ(bounds.right - bounds.left, area.cx);
    EXPECT_EQ(bounds.bottom - bounds.top, area.cy);

    int wrong = -1;
    const auto shows_still = [&] {
      return (wrong = PixelsOffTheStill(OnScreen(host.Get()), still, bounds)) == 0;
    };
    EXPECT_TRUE(PumpUntil(shows_still, 5s)) << wrong << " pixels differ";

    // Scribbled over, then invalidated as an uncovering does: it paints the still again.
    {
      WindowDc dc(preview.Handle());
      RECT all{0, 0, area.cx, area.cy};
      FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    RedrawWindow(host.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    EXPECT_TRUE(PumpUntil(shows_still, 5s)) << wrong << " pixels differ after the repaint";

    // An image control smaller than the form: the form's black shows beyond it.
    preview.PlaceImage(RECT{0, 0, 60, 40});
    EXPECT_TRUE(PumpUntil(shows_still, 5s)) << wrong << " pixels differ in a 60 x 40 control";

    host.Destroy();  // the preview goes with its host
    Pump();
    EXPECT_FALSE(preview.Loaded());
  }
}

// Across processes, from a Japanese-named folder without the renderer or a settings file:
// the preview fills its host's client area, and ends its program when closed or when the
// host goes, closing nothing of the host itself.
TEST(Preview, LivesInsideItsHostAndEndsWithItOrWhenClosed) {
  const std::wstring folder = FolderWithSaver(L"プレビュー 試験");
  for (const bool close_preview : {true, false}) {
    SCOPED_TRACE(close_preview ? "preview closed" : "host destroyed");
    TestWindow host = Host({152, 112});
    Process saver = Process::Start(folder + L"\\Mirokan.scr", host.PreviewArguments(), folder);
    HWND preview = nullptr;
    RECT placed{};
    ASSERT_TRUE(PumpUntil([&] {
      preview = FindWindowExW(host.Get(), nullptr, nullptr, L"Preview Window");
      GetWindowRect(preview, &placed);
      return preview && IsWindowVisible(preview) && placed.right - placed.left == 152;
    }));
    POINT client_origin{0, 0};
    ClientToScreen(host.Get(), &client_origin);
    EXPECT_EQ(placed.left, client_origin.x);
    EXPECT_EQ(placed.top, client_origin.y);
    EXPECT_EQ(placed.bottom - placed.top, 112);
    EXPECT_TRUE(GetWindowLongW(preview, GWL_STYLE) & WS_CHILD);

    if (close_preview) {
      // The settings start beside a running preview (and here find no renderer to go with).
      Process beside = Process::Start(folder + L"\\Mirokan.scr", L"/c", folder);
      EXPECT_TRUE(
          MessageBoxShown(beside.Id(), L"Mirokan", L"Mirokan.dataが同じﾌｫﾙﾀﾞに見つかりません！"));
      PostMessageW(preview, WM_CLOSE, 0, 0);
    } else {
      host.Destroy();
    }
    ASSERT_TRUE(PumpUntil([&] { return !saver.Running(); }));
    EXPECT_EQ(saver.ExitCode(1s), 0u);
    Pump();
    EXPECT_EQ(IsWindow(host.Get()) != FALSE, close_preview) << "the host's window was closed";
  }
  EXPECT_FALSE(FileExistsAt(folder + L"\\Mirokan.ini"));
  // A handle that is no window: nothing to live in, so the preview ends at once.
  Process nowhere = Process::Start(folder + L"\\Mirokan.scr", L"/p 0", folder);
  EXPECT_EQ(nowhere.ExitCode(), 0u);
}

}  // namespace
}  // namespace mirokan::win32
