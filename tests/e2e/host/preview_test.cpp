// The preview form in this process (Wine gives a child window of another process no drawing
// surface, so its pixels are read here): the still at its own size from the top-left corner,
// black beyond it, repainted from the persistent image, and the same still in Mirokan.scr;
// across processes, how a closed preview ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "common/win32_handles.h"
#include "e2e_support.h"
#include "saver/host/win32_preview_form.h"

namespace mirokan::win32 {
namespace {

using namespace e2e;

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> at;  // rows top-down
  COLORREF At(int x, int y) const { return at[static_cast<std::size_t>(y) * width + x]; }
};

// The picture of a DC's area, as 32-bit rows read back through a DIB section.
Pixels Capture(HDC source, int left, int top, int width, int height) {
  Pixels pixels{width, height, std::vector<COLORREF>(static_cast<std::size_t>(width) * height)};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  UniqueMemoryDc dc(CreateCompatibleDC(source));
  UniqueBitmap bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return pixels;
  {
    SelectGuard select(dc.Get(), bitmap.Get());
    BitBlt(dc.Get(), 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
  }
  const auto* quad = static_cast<const RGBQUAD*>(bits);
  for (std::size_t i = 0; i < pixels.at.size(); ++i) {
    pixels.at[i] = RGB(quad[i].rgbRed, quad[i].rgbGreen, quad[i].rgbBlue);
  }
  return pixels;
}

Pixels PictureOf(HBITMAP picture) {
  BITMAP info{};
  if (!picture || !GetObjectW(picture, sizeof(info), &info)) return {};
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.Get(), picture);
  return Capture(dc.Get(), 0, 0, info.bmWidth, info.bmHeight);
}

// What the screen shows of a window's client area.
Pixels OnScreen(HWND window) {
  RECT area{};
  GetClientRect(window, &area);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  WindowDc screen(nullptr);
  return Capture(screen.Get(), origin.x, origin.y, area.right, area.bottom);
}

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

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) DispatchMessageW(&message);
  }
}

// A borderless window standing in for the Display control panel's preview monitor; grey,
// so any of it the preview leaves uncovered shows.
HWND MakeHost(int width, int height) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"MirokanPreviewTestHost";
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  HWND host = CreateWindowExW(0, L"MirokanPreviewTestHost", L"", WS_POPUP | WS_VISIBLE, 40, 40,
                              width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  UpdateWindow(host);
  return host;
}

// Also run on a 144-dpi screen (the runner's MIROKAN_E2E_LOGPIXELS), where the host's pixel
// size goes through 10 twips to the pixel instead of 15.
TEST(Preview, ShowsTheStillUnscaledFromTheTopLeftAndRepaintsIt) {
  if (const char* dpi = std::getenv("MIROKAN_E2E_LOGPIXELS")) {
    WindowDc screen(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen.Get(), LOGPIXELSX), std::atoi(dpi));
  }
  UniqueBitmap own(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), kPreviewStill,
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  const Pixels still = PictureOf(own.Get());
  ASSERT_EQ(still.width, 152);
  ASSERT_EQ(still.height, 112);
  EXPECT_NE(std::count(still.at.begin(), still.at.end(), still.at[0]), 152 * 112)
      << "a uniform still is no tunnel";

  for (const SIZE area : {SIZE{152, 112}, SIZE{300, 220}, SIZE{100, 80}}) {
    SCOPED_TRACE(testing::Message() << area.cx << " x " << area.cy);
    HWND host = MakeHost(area.cx, area.cy);
    ASSERT_NE(host, nullptr);
    PreviewForm& preview = PreviewForm::Instance();
    preview.ShowIn(host);
    ASSERT_TRUE(preview.Loaded());
    EXPECT_EQ(GetParent(preview.Handle()), host);
    const RECT& bounds = preview.Img_Prev().Bounds();
    EXPECT_EQ(bounds.right - bounds.left, area.cx);
    EXPECT_EQ(bounds.bottom - bounds.top, area.cy);

    int wrong = -1;
    const auto shows_still = [&] {
      Pump();
      return (wrong = PixelsOffTheStill(OnScreen(host), still, bounds)) == 0;
    };
    EXPECT_TRUE(WaitUntil(shows_still, 5s)) << wrong << " pixels differ";

    // Scribbled over, then invalidated as an uncovering does: it paints the still again.
    {
      WindowDc dc(preview.Handle());
      RECT all{0, 0, area.cx, area.cy};
      FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    EXPECT_TRUE(WaitUntil(shows_still, 5s)) << wrong << " pixels differ after the repaint";

    // An image control smaller than the form: the form's black shows beyond it.
    preview.PlaceImage(RECT{0, 0, 60, 40});
    EXPECT_TRUE(WaitUntil(shows_still, 5s)) << wrong << " pixels differ in a 60 x 40 control";

    DestroyWindow(host);  // the preview goes with its host
    Pump();
    EXPECT_FALSE(preview.Loaded());
  }
}

// Across processes, from a Japanese-named folder without the renderer or a settings file:
// a close request ends the preview's program and nothing of the host.
TEST(Preview, AClosedPreviewEndsItsProgramAndLeavesTheHost) {
  const std::wstring folder = InFolder(L"プレビュー 試験");
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring program = folder + L"\\Mirokan.scr";
  ASSERT_TRUE(CopyFileW(InFolder(L"Mirokan.scr").c_str(), program.c_str(), FALSE));
  HWND host = MakeHost(152, 112);
  Process saver = Process::Start(
      program, L"/p " + std::to_wstring(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(host))),
      folder);
  HWND preview = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    Pump();
    preview = FindWindowExW(host, nullptr, nullptr, L"Preview Window");
    return preview != nullptr && IsWindowVisible(preview);
  }));

  PostMessageW(preview, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] {
    Pump();
    return !saver.Running();
  }));
  DWORD code = 99;
  ASSERT_TRUE(saver.WaitExit(1s, &code));
  EXPECT_EQ(code, 0u);
  Pump();
  EXPECT_TRUE(IsWindow(host)) << "the host's window was closed too";
  EXPECT_FALSE(FileExistsAt(folder + L"\\Mirokan.ini"));
  DestroyWindow(host);
}

TEST(Preview, TheSaverCarriesTheSameStill) {
  HMODULE saver = LoadLibraryExW(InFolder(L"Mirokan.scr").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(saver, nullptr);
  UniqueBitmap theirs(static_cast<HBITMAP>(
      LoadImageW(saver, kPreviewStill, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  UniqueBitmap own(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), kPreviewStill,
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  const Pixels in_saver = PictureOf(theirs.Get());
  const Pixels expected = PictureOf(own.Get());
  FreeLibrary(saver);
  ASSERT_EQ(in_saver.width, 152);
  EXPECT_EQ(in_saver.at, expected.at);
}

}  // namespace
}  // namespace mirokan::win32
