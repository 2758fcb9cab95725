// The settings dialog: the real Mirokan.scr /c driven with real input and its file read back
// byte for byte, at 96 and 144 dpi; and the banner in-process, where its pixels and the GDI
// objects it holds can be read.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>

#include "common/number_text.h"
#include "common/win32_handles.h"
#include "common/win32_text.h"
#include "e2e_support.h"
#include "saver/host/settings.h"
#include "saver/host/win32_profile_store.h"
#include "saver/settings/dialog_rules.h"
#include "saver/settings/win32_settings_dialog.h"

namespace mirokan {
namespace {

using namespace std::chrono_literals;
using namespace dialog_layout;
using e2e::InFolder;
using e2e::ScreenDpi;

// The settings file as the platform writes it, in code page 932.
std::string IniBytes(const std::string& kind, const std::string& repeat, const std::string& file) {
  return "[Section]\r\nBGM\x8B\xE6\x95\xAA=" + kind + "\r\nBGM\xD8\xCB\xDF\xB0\xC4=" + repeat +
         "\r\nBGM\xCC\xA7\xB2\xD9=" + file + "\r\n";
}

// Mirokan.scr /c in another process, and its controls where the layout puts them.
class RemoteDialog {
 public:
  explicit RemoteDialog(const std::wstring& program = InFolder(L"Mirokan.scr")) {
    process_ = e2e::Process::Start(program, L"/c");
    window_ = e2e::WaitForWindow(process_.Id(), nullptr, L"<Mirokan>");
    e2e::WaitUntil([&] { return window_ && IsWindowVisible(window_); });
  }
  HWND Window() const { return window_; }
  DWORD Id() const { return process_.Id(); }

  RECT Place(const DesignRect& design) const {
    const DesignRect r = ScaleRect(design, 1440 / ScreenDpi());
    return {r.left, r.top, r.left + r.width, r.top + r.height};
  }
  // The child window standing exactly at the control's place.
  HWND ChildAt(const DesignRect& design) const {
    const RECT want = Place(design);
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r{};
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
      if (r.left == want.left && r.top == want.top && r.right == want.right) return child;
    }
    return nullptr;
  }
  void Click(const DesignRect& design, bool right = false) const {
    const RECT r = Place(design);
    e2e::ClickAt(window_, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}, right);
  }
  void ExpectEnds() {
    DWORD code = 99;
    ASSERT_TRUE(process_.WaitExit(20s, &code));
    EXPECT_EQ(code, 0u);
  }

 private:
  e2e::Process process_;
  HWND window_ = nullptr;
};

// Another process's combo box text (GetWindowTextW would answer its caption).
std::wstring ControlText(HWND control) {
  wchar_t text[64] = {};
  SendMessageW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST(SettingsDialog, KindsFileChooserAndSaveInCodePage932) {
  ASSERT_TRUE(e2e::WriteFileBytes(InFolder(L"Mirokan.ini"), IniBytes("1", "5", "")));
  RemoteDialog dialog;
  ASSERT_NE(dialog.Window(), nullptr);
  RECT client{};
  GetClientRect(dialog.Window(), &client);
  EXPECT_EQ(client.right, 481);
  EXPECT_EQ(client.bottom, 250);
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
  dialog.Click(InMusicPanel(kKindCaptions[0]), /*right=*/true);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowEnabled(repeat); }));
  EXPECT_FALSE(IsWindowEnabled(file_button));
  dialog.Click(InMusicPanel(kKindCaptions[2]));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(file_button) != FALSE; }));
  EXPECT_FALSE(IsWindowEnabled(repeat));
  // The disabled box keeps its text; a typed track is rounded half to even.
  SendMessageW(repeat, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3.5"));

  // "..." opens the chooser; a file with a Japanese name comes back in code page 932.
  const std::wstring music = InFolder(L"曲.mp3");
  ASSERT_TRUE(e2e::WriteFileBytes(music, "ID3"));
  dialog.Click(InMusicPanel(kFileButton));
  HWND chooser = e2e::WaitForWindow(dialog.Id(), nullptr, L"ﾌｧｲﾙを開く");
  ASSERT_NE(chooser, nullptr);
  HWND name = nullptr;  // the one edit, however deep its combo boxes hold it
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

  dialog.Click(kSetButton);
  dialog.ExpectEnds();
  EXPECT_EQ(e2e::ReadFileBytes(InFolder(L"Mirokan.ini")),
            IniBytes("2", "4", win32::WideToAnsi(music)));
}

TEST(SettingsDialog, CancelAndTheCloseBoxLeaveAHandEditedFileAsItWas) {
  const std::string before = IniBytes("7", "12", "C:\\\x89\xB9\x8A\x79.mp3") + "; kept\r\n";
  ASSERT_TRUE(e2e::WriteFileBytes(InFolder(L"Mirokan.ini"), before));
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
    EXPECT_EQ(e2e::ReadFileBytes(InFolder(L"Mirokan.ini")), before) << close_box;
  }
}

// Run by its own test entry on a prefix set to 144 dpi (10 twips to the pixel).
TEST(SettingsDialog, ScaledScreenGrowsTheWholeDialogByHalf) {
  if (ScreenDpi() != 144) GTEST_SKIP() << "needs a 144-dpi screen";
  RemoteDialog dialog;
  ASSERT_NE(dialog.Window(), nullptr);
  RECT client{};
  GetClientRect(dialog.Window(), &client);
  EXPECT_NEAR(client.right, 721, 1);
  EXPECT_EQ(client.bottom, 375);
  for (const DesignRect& control :
       {InMusicPanel(kRepeatBox), InMusicPanel(kFileButton), InMusicPanel(kDisplay), kSetButton}) {
    EXPECT_NE(dialog.ChildAt(control), nullptr) << control.left << "," << control.top;
  }
  PostMessageW(dialog.Window(), WM_CLOSE, 0, 0);
  dialog.ExpectEnds();
}

// The lines of `text` that do not set one of the three keys, in order.
std::vector<std::string> OtherLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    bool key = false;
    for (const char* name : {kKeyBgmKind, kKeyBgmRepeat, kKeyBgmFile}) {
      key = key || line.starts_with(win32::Utf8ToAnsi(name) + "=");
    }
    if (!key) lines.push_back(line);
  }
  return lines;
}

// Settings files that a hand, another program or a locked disk may leave: the dialog opens
// on what the rules make of them, "設定" still closes it, and no line that was in the file
// is lost.
TEST(SettingsDialog, HostileSettingsFilesOpenAndSaveWithoutLoss) {
  std::string junk;
  for (int i = 0; i < 10000; ++i) junk += "junk " + std::to_string(i) + " ][=;\r\n";
  std::string long_path = "C:\\";  // 300 characters, 600 bytes in code page 932
  while (long_path.size() < 296 * 3) long_path += "曲";
  long_path += ".mp3";
  struct Case {
    const char* name;
    std::string before;
    DWORD file_attributes;
    const wchar_t* folder;  // a folder of its own for the programs, or the test's own
    bool folder_read_only;
    std::int16_t kind, repeat;  // what the dialog shows, and so writes back
    // Lines that are no text of the code page may come back re-encoded: Wine's profile
    // writer decodes the whole file and writes it out again, '・' for every byte it could not
    // decode. Only the three values are checked then.
    bool other_lines_kept = true;
    bool held_open = false;  // by another program that shares it with no one
    std::string after;       // the whole file after the save, when given
  };
  const std::string kind_only = "[Section]\r\nBGM\x8B\xE6\x95\xAA=1\r\n";
  const Case cases[] = {
      {"read-only file", IniBytes("1", "3", "") + "; kept\r\n", FILE_ATTRIBUTE_READONLY, nullptr,
       false, 1, 3},
      {"file held open", IniBytes("1", "3", "") + "; kept\r\n", 0, nullptr, false, 0, 0, true,
       true},
      {"read-only folder", IniBytes("1", "3", "") + "; kept\r\n", 0, L"読み取り専用", true, 1, 3},
      {"10,000 junk lines", junk + IniBytes("1", "12", ""), 0, nullptr, false, 1, 12},
      {"control characters", IniBytes("1\001", "7\177", "C:\\\a\x1b.mp3") + "\x7f\r\n", 0, nullptr,
       false, 0, 0},
      {"music path of 300 characters", IniBytes("2", "", win32::Utf8ToAnsi(long_path)), 0, nullptr,
       false, 0, 0},
      {"keys in UTF-8", "[Section]\r\nBGM区分=1\r\nBGMﾘﾋﾟｰﾄ=3\r\n", 0, nullptr, false, 0, 0, false},
      // A user profile whose name the code page lacks: the same bytes as from any folder.
      {"folder outside the code page", kind_only, 0, L"Łukasz 민수", false, 1, 0, true, false,
       IniBytes("1", "0", "")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring folder = e2e::TestFolder();
    if (c.folder) {
      folder = InFolder(c.folder);
      CreateDirectoryW(folder.c_str(), nullptr);
      for (const wchar_t* program : {L"\\Mirokan.scr", L"\\Mirokan.data"}) {
        CopyFileW(InFolder(program + 1).c_str(), (folder + program).c_str(), FALSE);
      }
    }
    const std::wstring ini = folder + L"\\Mirokan.ini";
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(e2e::WriteFileBytes(ini, c.before));
    SetFileAttributesW(ini.c_str(), c.file_attributes | FILE_ATTRIBUTE_NORMAL);
    // Windows ignores the attribute on a folder and writes the file anyway; Wine takes the
    // folder's write permission away. Either way the file keeps what it held.
    if (c.folder_read_only) SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
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
    EXPECT_EQ(IsWindowEnabled(dialog.ChildAt(InMusicPanel(kFileButton))) != FALSE, c.kind == 2);
    EXPECT_EQ(ControlText(dialog.ChildAt(InMusicPanel(kRepeatBox))),
              win32::Utf8ToWide(RepeatText(c.repeat)));
    dialog.Click(kSetButton);
    if (refused) {
      const e2e::MessageBoxInfo box = e2e::WaitForMessageBox(dialog.Id());
      EXPECT_NE(box.text.find(ini), std::wstring::npos) << "the file is not named";
      e2e::DismissMessageBox(box.window);
      ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box.window); }));
      EXPECT_TRUE(IsWindowVisible(dialog.Window())) << "closed as if it had saved";
      dialog.Click(kCancelButton);
    }
    dialog.ExpectEnds();
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);

    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::string after = e2e::ReadFileBytes(ini);
    if (refused) {
      EXPECT_EQ(after, c.before);
      continue;
    }
    if (c.other_lines_kept) {
      EXPECT_EQ(OtherLines(after), OtherLines(c.before));
    }
    if (!c.after.empty()) {
      EXPECT_EQ(after, c.after);
    }
    win32::Win32ProfileStore store;
    const std::string path = SettingsFilePath(win32::WideToUtf8(folder));
    EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmKind, path), DecimalText(c.kind));
    EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmRepeat, path), DecimalText(c.repeat));
    EXPECT_EQ(ReadIniValue(store, kSettingsSection, kKeyBgmFile, path), "");
  }
}

// ---- The banner, in this process ---------------------------------------------------------

Rgb PixelOf(const win32::BackingImage& image, int x, int y) {
  const std::uint8_t* p = image.Row(y) + x * 3;
  return {p[2], p[1], p[0]};
}

std::size_t CommittedBytes() {
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

  // A long run holds no more GDI objects and no more memory than a short one.
  for (int tick = 0; tick < 200; ++tick) dialog.DrawFrame();
  const long objects = win32::LiveGdiObjects();
  const std::size_t memory = CommittedBytes();
  const auto start = std::chrono::steady_clock::now();
  for (int tick = 0; tick < 2000; ++tick) dialog.DrawFrame();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(win32::LiveGdiObjects(), objects);
  EXPECT_LT(CommittedBytes(), memory + 512 * 1024);
  // The frame's cost and the memory, for the record (never a pass mark).
  std::printf("2,000 ticks: %.1f us a frame, %ld GDI objects, %zu KiB committed\n",
              spent.count() / 2000, objects, CommittedBytes() / 1024);
  dialog.Unload();
}

}  // namespace
}  // namespace mirokan
