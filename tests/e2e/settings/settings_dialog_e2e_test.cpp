// The settings dialog: the real Mirokan.scr /c driven with real input and its file read back
// byte for byte, at 96 and 144 dpi; and the banner in-process, where its pixels and the GDI
// objects it holds can be read.
#include <windows.h>

#include <algorithm>

#include "common/win32_handles.h"
#include "e2e_checks.h"
#include "saver/state/settings.h"
#include "saver/settings/dialog_rules.h"
#include "saver/settings/win32_settings_dialog.h"

namespace mirokan {
namespace {

using namespace dialog_layout;
using namespace e2e;

// The settings file as the platform writes it, in code page 932.
std::string IniBytes(const std::string& kind, const std::string& repeat, const std::string& file) {
  return "[Section]\r\nBGM\x8B\xE6\x95\xAA=" + kind + "\r\nBGM\xD8\xCB\xDF\xB0\xC4=" + repeat +
         "\r\nBGM\xCC\xA7\xB2\xD9=" + file + "\r\n";
}

// Where the dialog's layout puts `control` on this screen.
RECT PlaceOf(const DesignRect& control) {
  const DesignRect r = ScaleRect(control, 1440 / ScreenDpi());
  return {r.left, r.top, r.left + r.width, r.top + r.height};
}

// Mirokan.scr /c in another process, and its controls where the layout puts them.
class RemoteDialog {
 public:
  explicit RemoteDialog(const std::wstring& program = InFolder(L"Mirokan.scr")) {
    process_ = Process::Start(program, L"/c");
    window_ = WaitForWindow(process_.Id(), nullptr, L"<Mirokan>");
    WaitUntil([&] { return window_ && IsWindowVisible(window_); });
  }
  HWND Window() const { return window_; }
  DWORD Id() const { return process_.Id(); }

  // The child window standing exactly at the control's place.
  HWND ChildAt(const DesignRect& design) const {
    const RECT want = PlaceOf(design);
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r{};
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
      if (r.left == want.left && r.top == want.top && r.right == want.right) return child;
    }
    return nullptr;
  }
  // A real click at the control's middle.
  void Click(const DesignRect& design, ClickButton button = ClickButton::kLeft) const {
    const RECT r = PlaceOf(design);
    ClickAt(window_, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}, button);
  }
  void ExpectEnds() { EXPECT_EQ(process_.ExitCode(), 0u); }

 private:
  Process process_;
  HWND window_ = nullptr;
};

// Another process's combo box text (GetWindowTextW would answer its caption).
std::wstring ControlText(HWND control) {
  wchar_t text[64] = {};
  SendMessageW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  return text;
}

// Also run by its own test entry on a prefix set to 144 dpi (10 twips to the pixel), where
// the whole dialog grows by half.
TEST(SettingsDialog, KindsFileChooserAndSaveInCodePage932) {
  ASSERT_TRUE(WriteFileBytes(InFolder(L"Mirokan.ini"), IniBytes("1", "5", "")));
  RemoteDialog dialog;
  ASSERT_NE(dialog.Window(), nullptr);
  RECT client{};
  GetClientRect(dialog.Window(), &client);
  EXPECT_NEAR(client.right, 481 * ScreenDpi() / 96, 1);
  EXPECT_EQ(client.bottom, 250 * ScreenDpi() / 96);
  const LONG style = GetWindowLongW(dialog.Window(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);

  HWND repeat = dialog.ChildAt(InMusicPanel(kRepeatBox));
  HWND file_button = dialog.ChildAt(InMusicPanel(kFileButton));
  ASSERT_TRUE(repeat && file_button && dialog.ChildAt(InMusicPanel(kDisplay)));
  EXPECT_EQ(ControlText(repeat), L"5");
  EXPECT_EQ(SendMessageW(repeat, CB_GETCOUNT, 0, 0), 31);
  EXPECT_TRUE(IsWindowEnabled(repeat));
  EXPECT_FALSE(IsWindowEnabled(file_button));

  // "無し" with the right button, then "MP3、WAV" with the left: the controls follow.
  dialog.Click(InMusicPanel(kKindCaptions[0]), ClickButton::kRight);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(repeat); }));
  // The change of kind disables every control before it enables its own: what counts is
  // the state once its handler has returned.
  SendMessageW(dialog.Window(), WM_NULL, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(repeat));
  EXPECT_FALSE(IsWindowEnabled(file_button));
  dialog.Click(InMusicPanel(kKindCaptions[2]));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(file_button) != FALSE; }));
  EXPECT_FALSE(IsWindowEnabled(repeat));
  // The disabled box keeps its text; a typed track is rounded half to even.
  SendMessageW(repeat, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3.5"));

  // "..." opens the chooser; a name code page 932 lacks is stored in its short form.
  const std::wstring music = InFolder(L"曲 Łódź.mp3");
  ASSERT_TRUE(WriteFileBytes(music, "ID3"));
  dialog.Click(InMusicPanel(kFileButton));
  HWND chooser = WaitForWindow(dialog.Id(), nullptr, L"ﾌｧｲﾙを開く");
  ASSERT_NE(chooser, nullptr);
  HWND name = nullptr;  // the one edit, however deep its combo boxes hold it
  WaitUntil([&] {
    EnumChildWindows(
        chooser,
        [](HWND child, LPARAM found) {
          if (ClassName(child) != L"Edit") return TRUE;
          *reinterpret_cast<HWND*>(found) = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&name));
    return name != nullptr;
  });
  ASSERT_NE(name, nullptr);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(music.c_str()));
  PostMessageW(chooser, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));

  dialog.Click(kSetButton);
  dialog.ExpectEnds();
  wchar_t short_form[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(music.c_str(), short_form, MAX_PATH), 0u);
  EXPECT_EQ(ReadFileBytes(InFolder(L"Mirokan.ini")),
            IniBytes("2", "4", win32::WideToAnsi(short_form)));
}

TEST(SettingsDialog, CancelAndTheCloseBoxLeaveAHandEditedFileAsItWas) {
  // "012" is read as 12 and would be written back as "12": a save would show.
  const std::string before = IniBytes("7", "012", "C:\\\x89\xB9\x8A\x79.mp3") + "; kept\r\n";
  ASSERT_TRUE(WriteFileBytes(InFolder(L"Mirokan.ini"), before));
  for (const bool close_box : {false, true}) {
    RemoteDialog dialog;
    ASSERT_NE(dialog.Window(), nullptr);
    // A kind outside 0 to 2: nothing enabled.
    EXPECT_FALSE(IsWindowEnabled(dialog.ChildAt(InMusicPanel(kRepeatBox))));
    EXPECT_FALSE(IsWindowEnabled(dialog.ChildAt(InMusicPanel(kFileButton))));
    if (close_box) {
      PostMessageW(dialog.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      dialog.Click(kCancelButton);
    }
    dialog.ExpectEnds();
    EXPECT_EQ(ReadFileBytes(InFolder(L"Mirokan.ini")), before) << close_box;
  }
}

// Settings files that a hand, another program or a locked disk may leave: the dialog opens
// on what the rules make of them, "設定" still closes it, and no line that was in the file
// is lost. (A cut music path or a value the rules refuse takes the product's path of the
// cases above; the profile functions' cut itself is the settings file test's.)
TEST(SettingsDialog, HostileSettingsFilesOpenAndSaveWithoutLoss) {
  // A thousand lines are as foreign to the rules as ten thousand; more only time Wine's
  // profile writer, which parses and rewrites the whole file at every value saved.
  std::string junk;
  for (int i = 0; i < 1000; ++i) junk += "junk " + std::to_string(i) + " ][=;\r\n";
  struct Case {
    const char* name;
    std::string before;
    bool read_only;
    const wchar_t* folder;      // a folder of its own for the programs, or the test's own
    std::int16_t kind, repeat;  // what the dialog shows, and so writes back
    bool held_open = false;     // by another program that shares it with no one
    std::string after;          // the whole file after the save, when not as before
  };
  const Case cases[] = {
      {"read-only file", IniBytes("1", "3", "") + "; kept\r\n", true, nullptr, 1, 3},
      // Unreadable while held, so the dialog opens on nothing chosen.
      {"file held open", IniBytes("1", "3", "") + "; kept\r\n", false, nullptr, 0, 0, true},
      {"1,000 junk lines", junk + IniBytes("1", "12", ""), false, nullptr, 1, 12},
      // The dialog keeps what is stored; only a session gives up a file it cannot open.
      {"music on an unplugged drive", IniBytes("2", "0", "Q:\\Music\\unplugged.mp3"), false,
       nullptr, 2, 0},
      // A user profile whose name the code page lacks: the same bytes as from any folder.
      {"folder outside the code page", "[Section]\r\nBGM\x8B\xE6\x95\xAA=1\r\n", false,
       L"Łukasz 민수", 1, 0, false, IniBytes("1", "0", "")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring folder = TestFolder();
    if (c.folder) {
      folder = FolderWithSaver(c.folder);
      CopyFileW(InFolder(L"Mirokan.data").c_str(), (folder + L"\\Mirokan.data").c_str(), FALSE);
    }
    const std::wstring ini = folder + L"\\Mirokan.ini";
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteFileBytes(ini, c.before));
    SetFileAttributesW(ini.c_str(), c.read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    const HANDLE holder =
        c.held_open ? CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                    : INVALID_HANDLE_VALUE;
    // Whether the platform refuses the save (Wine run by root writes a read-only file).
    const HANDLE probe = CreateFileW(ini.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    const bool refused = probe == INVALID_HANDLE_VALUE;
    if (!refused) CloseHandle(probe);

    RemoteDialog dialog(folder + L"\\Mirokan.scr");
    ASSERT_NE(dialog.Window(), nullptr);
    EXPECT_EQ(IsWindowEnabled(dialog.ChildAt(InMusicPanel(kRepeatBox))) != FALSE, c.kind == 1);
    EXPECT_EQ(ControlText(dialog.ChildAt(InMusicPanel(kRepeatBox))),
              win32::Utf8ToWide(RepeatText(c.repeat)));
    dialog.Click(kSetButton);
    if (refused) {
      const MessageBoxInfo box = WaitForMessageBox(dialog.Id());
      EXPECT_NE(box.text.find(ini), std::wstring::npos) << "the file is not named";
      PostMessageW(box.window, WM_COMMAND, IDOK, 0);
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }));
      EXPECT_TRUE(IsWindowVisible(dialog.Window())) << "closed as if it had saved";
      dialog.Click(kCancelButton);
    }
    dialog.ExpectEnds();
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(ini), refused || c.after.empty() ? c.before : c.after);
  }
}

// ---- The banner, in this process ---------------------------------------------------------

Rgb PixelOf(const win32::BackingImage& image, int x, int y) {
  const std::uint8_t* p = image.Row(y) + x * 3;
  return {p[2], p[1], p[0]};
}

TEST(SettingsDialogBanner, LightOnlyOnTheLettersAndTheStarAtTheRightEndWithoutLeaks) {
  SaverState state;
  win32::SettingsDialog dialog(state);
  dialog.Load();
  dialog.Show(win32::Form::ShowMode::kModeless);
  const win32::BackingImage& shown = dialog.DisplayImage();
  ASSERT_EQ(shown.Width(), 309);
  ASSERT_EQ(shown.Height(), 25);

  // The first frame: the letters alone, in their own colour, on black.
  dialog.DrawFrame();
  std::vector<bool> letter(309 * 25);
  for (int y = 0; y < 25; ++y) {
    for (int x = 0; x < 309; ++x) {
      const Rgb p = PixelOf(shown, x, y);
      letter[y * 309 + x] = p != Rgb{};
      ASSERT_TRUE(p.r <= 200 && p.g <= 200 && p.b <= 100) << x << "," << y;
    }
  }
  ASSERT_GT(std::count(letter.begin(), letter.end(), true), 200);

  bool glare = false, star = false;
  for (int tick = 1; tick < 48; ++tick) {
    const bool star_drawn = dialog.Panel().HiliteX >= 243 && dialog.Panel().HiliteX <= 299;
    dialog.DrawFrame();
    for (int y = 0; y < 25; ++y) {
      for (int x = 0; x < 309; ++x) {
        const Rgb p = PixelOf(shown, x, y);
        const bool on_letter = letter[y * 309 + x];
        const bool in_star = star_drawn && x >= 287 && y >= 4;
        if (!on_letter && !in_star) {
          ASSERT_EQ(p, Rgb{}) << x << "," << y << " tick " << tick;
        }
        glare |= on_letter && p.r == 255 && p.g == 255;
        star |= in_star && !on_letter && p.r > 200;
      }
    }
  }
  EXPECT_TRUE(glare) << "the band never lit the letters to white";
  EXPECT_TRUE(star) << "the star never lit the right end";

  // A long run holds no more GDI objects than a short one.
  const long objects = win32::LiveGdiObjects();
  for (int tick = 0; tick < 1000; ++tick) dialog.DrawFrame();
  EXPECT_EQ(win32::LiveGdiObjects(), objects);
  dialog.Unload();
}

}  // namespace
}  // namespace mirokan
