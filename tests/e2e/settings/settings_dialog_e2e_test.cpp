// The settings dialog: the real Mirokan.scr /c driven with real input and its file read back
// byte for byte, at 96 and 144 dpi; and the banner in-process, where its pixels and the GDI
// objects it holds can be read.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "common/win32_handles.h"
#include "common/win32_text.h"
#include "e2e_support.h"
#include "saver/settings/dialog_rules.h"
#include "saver/settings/win32_settings_dialog.h"

namespace mirokan {
namespace {

using namespace std::chrono_literals;
using e2e::InFolder;
using e2e::Process;

std::wstring Saver() {
  return InFolder(L"Mirokan.scr");
}

// The settings file as the platform writes it, in code page 932.
std::string IniBytes(const std::string& kind, const std::string& repeat, const std::string& file) {
  return "[Section]\r\n"
         "BGM\x8B\xE6\x95\xAA=" +
         kind +
         "\r\n"
         "BGM\xD8\xCB\xDF\xB0\xC4=" +
         repeat +
         "\r\n"
         "BGM\xCC\xA7\xB2\xD9=" +
         file + "\r\n";
}

// The text of a control of another process (GetWindowTextW would answer its caption).
std::wstring ControlText(HWND control) {
  wchar_t text[64] = {};
  SendMessageW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  return text;
}

void Click(POINT at, bool right = false) {
  e2e::MoveCursorTo(at.x, at.y);
  INPUT input[2]{{.type = INPUT_MOUSE}, {.type = INPUT_MOUSE}};
  input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

// A dialog of another process and the places of its controls on a screen of `tpp` twips per
// pixel.
class RemoteDialog {
 public:
  RemoteDialog(HWND window, int tpp) : window_(window), tpp_(tpp) {}

  RECT ClientRect(const DesignRect& design, bool in_panel) const {
    DesignRect d = design;
    if (in_panel) {
      d.left += dialog_layout::kMusicPanel.left;
      d.top += dialog_layout::kMusicPanel.top;
    }
    const DesignRect r = ScaleRect(d, tpp_);
    return {r.left, r.top, r.left + r.width, r.top + r.height};
  }
  POINT ScreenCentre(const DesignRect& design, bool in_panel) const {
    const RECT r = ClientRect(design, in_panel);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(window_, &centre);
    return centre;
  }
  // The child window standing exactly at the control's place.
  HWND ChildAt(const DesignRect& design, bool in_panel) const {
    const RECT want = ClientRect(design, in_panel);
    HWND found = nullptr;
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r{};
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
      if (r.left == want.left && r.top == want.top && r.right == want.right) found = child;
    }
    return found;
  }

 private:
  HWND window_;
  int tpp_;
};

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteFileW(InFolder(L"Mirokan.ini").c_str()); }

  HWND Open(Process& saver) {
    saver = Process::Start(Saver(), L"/c");
    HWND dialog = e2e::WaitForWindow(saver.Id(), nullptr, L"<Mirokan>");
    EXPECT_TRUE(e2e::WaitUntil([&] { return dialog && IsWindowVisible(dialog); }));
    return dialog;
  }
  static void ExpectEnds(Process& saver) {
    DWORD code = 99;
    ASSERT_TRUE(saver.WaitExit(20s, &code));
    EXPECT_EQ(code, 0u);
  }
};

TEST_F(SettingsDialogTest, KindsChosenByEitherButtonAndSavedAsCodePage932) {
  ASSERT_TRUE(e2e::WriteFileBytes(InFolder(L"Mirokan.ini"), IniBytes("1", "5", "")));
  Process saver;
  HWND dialog = Open(saver);
  ASSERT_NE(dialog, nullptr);

  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 481);
  EXPECT_EQ(client.bottom, 250);
  const LONG style = GetWindowLongW(dialog, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  EXPECT_NE(style & WS_SYSMENU, 0);

  const RemoteDialog remote(dialog, 15);
  HWND repeat = remote.ChildAt(dialog_layout::kRepeatBox, true);
  HWND file_button = remote.ChildAt(dialog_layout::kFileButton, true);
  ASSERT_NE(repeat, nullptr);
  ASSERT_NE(file_button, nullptr);
  ASSERT_NE(remote.ChildAt(dialog_layout::kDisplay, true), nullptr);
  EXPECT_EQ(ControlText(repeat), L"5");
  EXPECT_EQ(SendMessageW(repeat, CB_GETCOUNT, 0, 0), 31);
  EXPECT_TRUE(IsWindowEnabled(repeat));
  EXPECT_FALSE(IsWindowEnabled(file_button));

  // "無し" with the right button, then "MP3、WAV" with the left: the controls follow.
  Click(remote.ScreenCentre(dialog_layout::kKindCaptions[0], true), /*right=*/true);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowEnabled(repeat); }));
  EXPECT_FALSE(IsWindowEnabled(file_button));
  Click(remote.ScreenCentre(dialog_layout::kKindCaptions[2], true));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(file_button) != FALSE; }));
  EXPECT_FALSE(IsWindowEnabled(repeat));
  // The disabled box keeps its text; a typed track is rounded half to even.
  SendMessageW(repeat, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3.5"));

  // "..." opens the chooser; a file with a Japanese name comes back in code page 932.
  const std::wstring music = InFolder(L"曲.mp3");
  ASSERT_TRUE(e2e::WriteFileBytes(music, "ID3"));
  Click(remote.ScreenCentre(dialog_layout::kFileButton, true));
  HWND chooser = e2e::WaitForWindow(saver.Id(), nullptr, L"ﾌｧｲﾙを開く");
  ASSERT_NE(chooser, nullptr);
  // The file name field: the chooser's one edit, however deep its combo boxes hold it.
  HWND name = nullptr;
  e2e::WaitUntil([&] {
    EnumChildWindows(
        chooser,
        [](HWND child, LPARAM found) {
          if (e2e::ClassName(child) != L"Edit") return TRUE;
          *reinterpret_cast<HWND*>(found) = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&name));
    return name != nullptr;
  });
  ASSERT_NE(name, nullptr);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(music.c_str()));
  PostMessageW(chooser, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(chooser); }));

  Click(remote.ScreenCentre(dialog_layout::kSetButton, false));
  ExpectEnds(saver);
  EXPECT_EQ(e2e::ReadFileBytes(InFolder(L"Mirokan.ini")),
            IniBytes("2", "4", win32::WideToAnsi(music)));
}

TEST_F(SettingsDialogTest, CancelAndTheCloseBoxLeaveTheFileAsItWas) {
  const std::string before = IniBytes("7", "12", "C:\\\x89\xB9\x8A\x79.mp3") + "; kept\r\n";
  ASSERT_TRUE(e2e::WriteFileBytes(InFolder(L"Mirokan.ini"), before));
  for (const bool close_box : {false, true}) {
    Process saver;
    HWND dialog = Open(saver);
    ASSERT_NE(dialog, nullptr);
    const RemoteDialog remote(dialog, 15);
    // A hand-edited kind: no control enabled, nothing marked.
    HWND repeat = remote.ChildAt(dialog_layout::kRepeatBox, true);
    EXPECT_FALSE(IsWindowEnabled(repeat));
    EXPECT_FALSE(IsWindowEnabled(remote.ChildAt(dialog_layout::kFileButton, true)));
    if (close_box) {
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      Click(remote.ScreenCentre(dialog_layout::kCancelButton, false));
    }
    ExpectEnds(saver);
    EXPECT_EQ(e2e::ReadFileBytes(InFolder(L"Mirokan.ini")), before) << close_box;
  }
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Run by its own test entry on a prefix set to 144 dpi (10 twips to the pixel).
TEST_F(SettingsDialogTest, ScaledScreenGrowsTheWholeDialogByHalf) {
  if (ScreenDpi() != 144) GTEST_SKIP() << "needs a 144-dpi screen";
  Process saver;
  HWND dialog = Open(saver);
  ASSERT_NE(dialog, nullptr);
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_NEAR(client.right, 721, 1);
  EXPECT_EQ(client.bottom, 375);
  const RemoteDialog remote(dialog, 10);
  for (const DesignRect& control :
       {dialog_layout::kRepeatBox, dialog_layout::kFileButton, dialog_layout::kDisplay}) {
    EXPECT_NE(remote.ChildAt(control, true), nullptr) << control.left << "," << control.top;
  }
  EXPECT_NE(remote.ChildAt(dialog_layout::kSetButton, false), nullptr);
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ExpectEnds(saver);
}

// ---- The banner, in this process ---------------------------------------------------------

Rgb PixelOf(const win32::BackingImage& image, int x, int y) {
  const std::size_t stride = (static_cast<std::size_t>(image.Width()) * 3 + 3) & ~std::size_t{3};
  const std::uint8_t* p = image.Bits() + y * stride + x * 3;
  return {p[2], p[1], p[0]};
}

std::size_t PrivateBytes() {
  // Wine leaves PrivateUsage at 0; the commit charge counts the same pages.
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage;
}

TEST(SettingsDialogBanner, LightOnlyOnTheLettersAndTheStarAtTheRightEndWithoutLeaks) {
  SaverState state;
  win32::SettingsDialog dialog(state);
  dialog.Load();
  dialog.Show(win32::Form::ShowMode::Modeless);
  const win32::BackingImage& shown = dialog.DisplayImage();
  ASSERT_EQ(shown.Width(), 309);
  ASSERT_EQ(shown.Height(), 25);

  // The first frame: the letters alone, in their own colour, on black.
  dialog.DrawFrame();
  std::vector<bool> letter(309 * 25);
  int letters = 0;
  for (int y = 0; y < 25; ++y) {
    for (int x = 0; x < 309; ++x) {
      const Rgb p = PixelOf(shown, x, y);
      letter[y * 309 + x] = p != Rgb{};
      letters += letter[y * 309 + x];
      ASSERT_TRUE(p.r <= 200 && p.g <= 200 && p.b <= 100) << x << "," << y;
    }
  }
  ASSERT_GT(letters, 200);

  bool glare = false, star = false;
  for (int tick = 1; tick < 48; ++tick) {
    const PanelState before = dialog.Panel();
    dialog.DrawFrame();
    const bool star_drawn = before.HiliteX >= 243 && before.HiliteX <= 299;
    for (int y = 0; y < 25; ++y) {
      for (int x = 0; x < 309; ++x) {
        const Rgb p = PixelOf(shown, x, y);
        const bool in_star = x >= 287 && y >= 4;
        if (!letter[y * 309 + x] && !(star_drawn && in_star)) {
          ASSERT_EQ(p, Rgb{}) << "light off the letters at " << x << "," << y << " tick " << tick;
        }
        glare |= letter[y * 309 + x] && p.r == 255 && p.g == 255;
        star |= star_drawn && in_star && !letter[y * 309 + x] && p.r > 200;
      }
    }
  }
  EXPECT_TRUE(glare) << "the band never lit the letters to white";
  EXPECT_TRUE(star) << "the star never lit the right end";

  // A long run holds no more GDI objects and no more memory than a short one.
  for (int tick = 0; tick < 200; ++tick) dialog.DrawFrame();
  const long objects = win32::LiveGdiObjects();
  const std::size_t memory = PrivateBytes();
  const auto start = std::chrono::steady_clock::now();
  for (int tick = 0; tick < 2000; ++tick) dialog.DrawFrame();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(win32::LiveGdiObjects(), objects);
  EXPECT_LT(PrivateBytes(), memory + 512 * 1024);
  // Figures for the record, never a pass mark.
  std::printf("after 2,000 ticks: %ld live GDI objects, %zu KiB committed; %.1f us a frame\n",
              objects, PrivateBytes() / 1024, spent.count() / 2000);
  dialog.Unload();
}

}  // namespace
}  // namespace mirokan
