// The form layer against the real platform, in-process: timers and modal loops, the unload
// sequence, windowless controls and the persistent image.
#include <vector>

#include "common/win32_file.h"
#include "common/win32_gdi.h"
#include "e2e_checks.h"
#include "saver/forms/win32_form_controls.h"
#include "saver/forms/win32_forms.h"

namespace mirokan::win32 {
namespace {

using namespace e2e;

class TestForm final : public Form {
 public:
  TestForm()
      : Form(FormOptions{.caption = L"Form layer test",
                         .client_width = 120,
                         .client_height = 80,
                         .persistent_image = true}) {}
};

COLORREF ImagePixel(const BackingImage& image, int x, int y) {
  GdiFlush();
  const std::uint8_t* pixel = image.Row(y) + x * 3;
  return RGB(pixel[2], pixel[1], pixel[0]);
}

TEST(FormLayer, ATimerNeverRunsInsideARunningHandler) {
  TestForm form;
  int depth = 0;
  int deepest = 0;
  int ticks = 0;
  FormTimer timer(form, 10, [&] {
    ++depth;
    deepest = std::max(deepest, depth);
    if (++ticks == 1)
      PumpUntil([] { return false; }, 300ms);  // as a message box or file chooser would
    --depth;
  });
  form.Load();
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 5; }));
  EXPECT_EQ(deepest, 1);

  // Off means off, on again means on.
  timer.SetEnabled(false);
  const int stopped_at = ticks;
  PumpUntil([] { return false; }, 100ms);
  EXPECT_EQ(ticks, stopped_at);
  form.Unload();
}

// Presses reaching windowless labels and the unload sequence are the product's own paths,
// proven by the settings dialog (a right click on a kind's caption; Cancel and the close box
// ending the program) and by the session (its unload stops the music, deletes the snapshot).
TEST(FormLayer, WindowlessControlsDrawIntoThePersistentImageAnd) {
  TestForm form;
  form.Load();
  Shape frame(RECT{10, 10, 60, 40}, RGB(255, 255, 255));
  UniqueFont font =
      MakeFont({.name = L"MS UI Gothic", .points = 9.75, .charset = SHIFTJIS_CHARSET});
  Label label(RECT{70, 10, 110, 30}, L"音楽CD", RGB(255, 255, 255), font.Get());
  form.AddWindowless(frame);
  form.AddWindowless(label);
  form.DrawWindowless();

  EXPECT_EQ(ImagePixel(form.Image(), 10, 10), RGB(255, 255, 255));
  EXPECT_EQ(ImagePixel(form.Image(), 59, 39), RGB(255, 255, 255));
  EXPECT_EQ(ImagePixel(form.Image(), 30, 25), RGB(0, 0, 0)) << "a shape has no fill";
  bool text_drawn = false;
  for (int y = 10; y < 30; ++y) {
    for (int x = 70; x < 110; ++x) text_drawn |= ImagePixel(form.Image(), x, y) != RGB(0, 0, 0);
  }
  EXPECT_TRUE(text_drawn);
  form.Unload();
}

TEST(FormLayer, PictureBoxAndSavedImage) {
  TestForm form;
  form.Load();
  PictureBox box(form, RECT{5, 5, 45, 25}, RGB(0, 0, 0));
  ASSERT_NE(box.Handle(), nullptr);
  UniqueBrush red(CreateSolidBrush(RGB(255, 0, 0)));
  RECT corner{0, 0, 10, 10};
  FillRect(box.Dc(), &corner, red.Get());
  EXPECT_EQ(ImagePixel(box.Image(), 3, 3), RGB(255, 0, 0));
  EXPECT_EQ(ImagePixel(box.Image(), 20, 15), RGB(0, 0, 0));
  int clicks = 0;
  box.OnClick = [&] { ++clicks; };
  SendMessageW(box.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(clicks, 1);

  const std::wstring path = InFolder(L"picture.bmp");
  ASSERT_TRUE(box.Image().SaveAsBitmap(path));
  const std::string file = ReadFileBytes(path);
  const Pixels saved = DecodeBitmap(file);
  ASSERT_EQ(saved.width, 40);
  ASSERT_EQ(saved.height, 20);
  EXPECT_EQ(saved.At(3, 3), RGB(255, 0, 0));
  EXPECT_EQ(saved.At(20, 15), RGB(0, 0, 0));

  // A write that fails part-way (the bytes run into an unreadable page) leaves the old file
  // as it was, and nothing else beside it.
  auto* pages = static_cast<std::uint8_t*>(
      VirtualAlloc(nullptr, 2 * 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old_protection = 0;
  VirtualProtect(pages + 4096, 4096, PAGE_NOACCESS, &old_protection);
  EXPECT_FALSE(WriteWholeFile(path, std::span<const std::uint8_t>(pages, 2 * 4096)));
  VirtualFree(pages, 0, MEM_RELEASE);
  EXPECT_TRUE(ReadFileBytes(path) == file) << "the old file changed";
  EXPECT_EQ(FilesIn(TestFolder(), L"picture.bmp*").size(), 1u);
  // A whole write replaces it.
  FillRect(box.Dc(), &corner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ASSERT_TRUE(box.Image().SaveAsBitmap(path));
  EXPECT_EQ(DecodeBitmap(ReadFileBytes(path)).At(3, 3), RGB(255, 255, 255));
  form.Unload();
}

}  // namespace
}  // namespace mirokan::win32
