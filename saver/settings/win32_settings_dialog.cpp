// The settings dialog on the form layer. Its layout is defined at 96 dpi and scaled by the
// screen's twips per pixel; the banner is composed off-screen with BitBlt masks and the
// additive light of display_panel, then copied onto the panel in one piece.
#include "saver/settings/win32_settings_dialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cmath>
#include <cstring>
#include <tuple>

#include "common/win32_gdi.h"
#include "common/win32_system_library.h"
#include "common/win32_trace.h"
#include "common/win32_text.h"
#include "saver/forms/win32_application.h"
#include "saver/state/win32_profile_store.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kLabelFont[] = L"ＭＳ Ｐゴシック";
constexpr double kLabelPoints = 9.75;
constexpr wchar_t kBannerFont[] = L"Times New Roman";
constexpr std::int16_t kBannerPoints = 14;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kLitText = RGB(200, 200, 100);
constexpr UINT kPanelInterval = 30;

// Programs declared per-monitor aware get no enlargement from Windows; this dialog lays
// itself out once for the system scale, so on a monitor of another scale Windows may
// stretch it rather than leave it at the wrong size.
void UseSystemDpiAwareness() {
  using SetContext = HANDLE(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return;
  const auto set_context = reinterpret_cast<SetContext>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_SYSTEM_AWARE; absent before Windows 10, where awareness is per
  // process anyway.
  if (set_context) set_context(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-2)));
}

int TwipsPerPixel() {
  return TwipsPerPixelY();
}

// The panel's pointing hand: '#' outline, '.' white, blank transparent; hot spot at the
// fingertip (column 5, row 0).
// clang-format off
constexpr const char* kHandCursor[] = {
    "     ##             ",
    "    #..#            ",
    "    #..#            ",
    "    #..#            ",
    "    #..#            ",
    "    #..###          ",
    "    #..#..###       ",
    "    #..#..#..##     ",
    " ## #..#..#..#.#    ",
    "#..##..#..#..#..#   ",
    "#...#...........#   ",
    " #..#...........#   ",
    "  #.............#   ",
    "  #.............#   ",
    "   #...........#    ",
    "   #...........#    ",
    "    #.........#     ",
    "    #.........#     ",
    "    ###########     ",
};
// clang-format on

HCURSOR MakeHandCursor() {
  constexpr int kSize = 32;
  BYTE and_plane[kSize * kSize / 8];
  BYTE xor_plane[kSize * kSize / 8];
  std::memset(and_plane, 0xFF, sizeof(and_plane));
  std::memset(xor_plane, 0x00, sizeof(xor_plane));
  int row = 0;
  for (const char* line : kHandCursor) {
    for (int column = 0; line[column] != '\0'; ++column) {
      const int bit = row * kSize + column;
      const BYTE mask = static_cast<BYTE>(0x80 >> (bit % 8));
      if (line[column] == ' ') continue;
      and_plane[bit / 8] &= static_cast<BYTE>(~mask);
      if (line[column] == '.') xor_plane[bit / 8] |= mask;
    }
    ++row;
  }
  return CreateCursor(GetModuleHandleW(nullptr), 5, 0, kSize, kSize, and_plane, xor_plane);
}

// The music panel: the black container behind the music controls.
class FilledBox final : public WindowlessControl {
 public:
  FilledBox(RECT bounds, COLORREF colour) : WindowlessControl(bounds), colour_(colour) {}
  void Draw(HDC dc) const override {
    SelectGuard select(dc, GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, colour_);
    FillRect(dc, &Bounds(), static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }

 private:
  COLORREF colour_;
};

BgrPixels PixelsOf(BackingImage& image) {
  return {image.Row(0), image.Width(), image.Height(),
          -static_cast<std::ptrdiff_t>(image.Stride())};
}

}  // namespace

void SetCommandButtons(const std::vector<CommandButton*>& buttons, ButtonsStep step) {
  for (CommandButton* button : buttons) {
    if (!button) continue;
    if (step == ButtonsStep::kInitialize) {
      button->Initialize();
    } else {
      button->SetEnabled(step == ButtonsStep::kEnable);
    }
  }
}

SettingsDialog::SettingsDialog(SaverState& state)
    : Form([] {
        UseSystemDpiAwareness();
        const int tpp = TwipsPerPixel();
        return FormOptions{.caption = L"<Mirokan>",
                           .border = FormBorder::kFixedDialog,
                           .client_width = ScaleDesignPixels(dialog_layout::kClientWidth, tpp),
                           .client_height = ScaleDesignPixels(dialog_layout::kClientHeight, tpp),
                           .background = RGB(0, 0, 0),
                           .persistent_image = true};
      }()),
      state_(state),
      twips_per_pixel_(TwipsPerPixel()),
      geometry_(PanelGeometryFor(twips_per_pixel_)),
      Timer1(*this, kPanelInterval, [this] { DrawFrame(); }) {}

SettingsDialog::~SettingsDialog() {
  // The child windows go before the window that holds them.
  Cmd_BGM.reset();
  Cmd_Set.reset();
  Cmd_Can.reset();
  BGM_Repeat.reset();
  picDisplay.reset();
}

RECT SettingsDialog::Place(const DesignRect& design) const {
  const DesignRect r = ScaleRect(design, twips_per_pixel_);
  return {r.left, r.top, r.left + r.width, r.top + r.height};
}

RECT SettingsDialog::PlaceInPanel(const DesignRect& design) const {
  return Place(dialog_layout::InMusicPanel(design));
}

void SettingsDialog::CreateControls() {
  using namespace dialog_layout;
  label_font_ = MakeFont({.name = kLabelFont, .points = kLabelPoints, .charset = SHIFTJIS_CHARSET});
  Img_Ra[0] = BitmapOf(ChoiceMark(Choice::kNotChosen, ScaleDesignPixels(12, twips_per_pixel_)));
  Img_Ra[1] = BitmapOf(ChoiceMark(Choice::kChosen, ScaleDesignPixels(12, twips_per_pixel_)));
  // The program's own icon (tools/app_icon), at the sizes of a caption and of Alt+Tab. A
  // program without one (a test hosting the dialog) shows the system's.
  for (const auto& [which, icon, metric] : {std::tuple{ICON_BIG, &icon_, SM_CXICON},
                                            std::tuple{ICON_SMALL, &small_icon_, SM_CXSMICON}}) {
    const int size = GetSystemMetrics(metric);
    icon->Reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
    if (*icon) SendMessageW(Handle(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon->Get()));
  }
  hand_cursor_.Reset(Traced(MakeHandCursor(), L"CreateCursor"));

  HFONT font = label_font_.Get();
  Pic_C = std::make_unique<FilledBox>(Place(kMusicPanel), kBlack);
  Shape3 = std::make_unique<Shape>(PlaceInPanel(kHeadingFrame), kWhite);
  heading_ =
      std::make_unique<Label>(PlaceInPanel(kHeading), L"BGM", kWhite, font, Label::Align::kCentre);
  repeat_caption_ =
      std::make_unique<Label>(PlaceInPanel(kRepeatCaption), L"曲目をﾘﾋﾟｰﾄ", kWhite, font);
  for (int kind = 0; kind < kKindCount; ++kind) {
    Img_BGM[kind] = std::make_unique<ImageControl>(PlaceInPanel(kMarks[kind]), Img_Ra[0].Get());
    lbl_BGM[kind] = std::make_unique<Label>(PlaceInPanel(kKindCaptions[kind]),
                                            std::wstring(kKindCaptionTexts[kind]), kWhite, font);
    // Any mouse button chooses the kind, on the mark and on its caption alike.
    Img_BGM[kind]->OnMouseDown = [this, kind](UINT, POINT) { ChooseKind(kind); };
    lbl_BGM[kind]->OnMouseDown = [this, kind](UINT, POINT) { ChooseKind(kind); };
  }
  lbl_Fname = std::make_unique<Label>(PlaceInPanel(kFileName), L"", kWhite, font,
                                      Label::Align::kLeft, Label::Border::kSingle);
  credit_ = std::make_unique<Label>(Place(kCredit), kCreditLine, kWhite, font);

  AddWindowless(*Pic_C);
  AddWindowless(*Shape3);
  AddWindowless(*heading_);
  for (int kind = 0; kind < kKindCount; ++kind) {
    AddWindowless(*Img_BGM[kind]);
    AddWindowless(*lbl_BGM[kind]);
  }
  AddWindowless(*repeat_caption_);
  AddWindowless(*lbl_Fname);
  AddWindowless(*credit_);

  picDisplay = std::make_unique<PictureBox>(*this, PlaceInPanel(kDisplay), kBlack);
  picDisplay->SetCursor(hand_cursor_.Get());
  picDisplay->OnClick = [this] { OpenWebPage(); };

  BGM_Repeat = std::make_unique<ComboBox>(Handle(), PlaceInPanel(kRepeatBox), font);

  const ButtonFont button_font{.name = WideToUtf8(kLabelFont),
                               .size_points = kLabelPoints,
                               .weight = FW_NORMAL,
                               .charset = SHIFTJIS_CHARSET};
  const auto make_button = [&](const DesignRect& where, bool in_panel, const char* caption) {
    PropertyBag bag;
    bag.Put("Caption", std::string(caption));
    bag.Put("Font", button_font);
    return CommandButton::Create(Handle(), in_panel ? PlaceInPanel(where) : Place(where),
                                 button_font, bag);
  };
  Cmd_BGM = make_button(kFileButton, true, "...");
  Cmd_Set = make_button(kSetButton, false, "設定");
  Cmd_Can = make_button(kCancelButton, false, "ｷｬﾝｾﾙ");
  if (Cmd_BGM) Cmd_BGM->Click = [this] { ChooseFile(); };
  if (Cmd_Set) Cmd_Set->Click = [this] { Save(); };
  if (Cmd_Can) Cmd_Can->Click = [this] { Unload(); };
}

void SettingsDialog::Form_Load() {
  CreateControls();

  // Centred across, one third of the free height from the top, on the outer size.
  RECT frame{};
  GetWindowRect(Handle(), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 3, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  SetCommandButtons({Cmd_BGM.get(), Cmd_Set.get(), Cmd_Can.get()}, ButtonsStep::kInitialize);

  ShowKind();

  BGM_Repeat->SetText(Utf8ToWide(RepeatText(state_.settings.BGMRepeat)));
  for (const std::string& item : RepeatListItems()) BGM_Repeat->AddItem(Utf8ToWide(item));
  lbl_Fname->SetText(Utf8ToWide(state_.settings.BGMFile));

  // The banner: buffers of the panel's size, the two masks drawn once, the band off to the
  // left.
  geometry_.display_width = picDisplay->Width();
  geometry_.display_height = picDisplay->Height();
  ResizePIC(picBuffer, kBlack);
  ResizePIC(picBlank, kBlack);
  ResizePIC(picText, kBlack);
  ResizePIC(picTextM, kWhite);
  ResizePIC(PictextB, kBlack);
  picHilite = BandPicture(geometry_);
  for (int i = 0; i < kStarPictures; ++i) picStar[i] = StarPicture(i, geometry_);
  BannerText = kBannerText;
  const auto x = static_cast<std::int16_t>(geometry_.text_x);
  const auto y = static_cast<std::int16_t>(geometry_.text_y);
  pTextOut(picTextM, BannerText, kBannerFont, kBannerPoints, false, x, y, kBlack);
  pTextOut(PictextB, BannerText, kBannerFont, kBannerPoints, false, x, y, kWhite);
  panel_ = InitialPanelState(geometry_);
  Timer1.SetEnabled(true);
  panel_.StarActive = false;

  POINT cursor{};
  state_.LastApiResult = GetCursorPos(&cursor);
  if (state_.LastApiResult != 0) {
    StoreCoordinate(state_.CursorStartX, cursor.x);
    StoreCoordinate(state_.CursorStartY, cursor.y);
  } else {
    state_.CursorStartX = 0;
    state_.CursorStartY = 0;
  }
  ZoomFromCursor(Handle(), {state_.CursorStartX, state_.CursorStartY});
  SetScreenMousePointer(MousePointer::kDefault);

  PaintBackground();
}

void SettingsDialog::Form_Resize() {
  PaintBackground();
}

void SettingsDialog::Form_Unload() {
  Timer1.SetEnabled(false);
  ZoomToCursor(Handle(), {state_.CursorStartX, state_.CursorStartY});
}

void SettingsDialog::PaintBackground() {
  HDC dc = Image().Dc();
  if (!dc || !Pic_C) return;
  const int width = Image().Width();
  const int height = Image().Height();
  SelectGuard select(dc, GetStockObject(DC_PEN));
  for (int y = 0; y <= height; ++y) {
    const BandingColour c = BackgroundRow(y, height);
    SetDCPenColor(dc, RGB(c.r, c.g, c.b));
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, width, y);
  }
  DrawWindowless();
}

void SettingsDialog::ShowKind() {
  const KindControls controls = KindControlsFor(state_.settings.BGMKind);
  if (Cmd_BGM) Cmd_BGM->SetEnabled(false);
  BGM_Repeat->SetEnabled(false);
  for (auto& mark : Img_BGM) mark->SetPicture(Img_Ra[0].Get());
  if (controls.chosen_mark) Img_BGM[*controls.chosen_mark]->SetPicture(Img_Ra[1].Get());
  if (controls.repeat_enabled) BGM_Repeat->SetEnabled(true);
  if (controls.file_button_enabled && Cmd_BGM) Cmd_BGM->SetEnabled(true);
}

void SettingsDialog::ChooseKind(int kind) {
  state_.settings.BGMKind = static_cast<std::int16_t>(kind);
  ShowKind();
  DrawWindowless();
}

void SettingsDialog::ChooseFile() {
  // Wide, so a path outside the code page reaches the settings whole; the buffer holds the
  // longest path the system names (a deeper folder than 255 characters is no error).
  constexpr DWORD kPathLimit = 32768;
  std::wstring file_name(kPathLimit, L'\0');
  std::wstring file_title(kPathLimit, L'\0');
  static const std::wstring filter =
      std::wstring(L"BGMﾌｧｲﾙ (MP3 WAV)") + L'\0' + L"*.MP3;*.WAV" + L'\0' + L'\0';
  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = Handle();
  request.hInstance = GetModuleHandleW(nullptr);
  request.lpstrFilter = filter.c_str();
  request.lpstrFile = file_name.data();
  request.nMaxFile = kPathLimit;
  request.lpstrFileTitle = file_title.data();
  request.nMaxFileTitle = kPathLimit;
  request.lpstrTitle = L"ﾌｧｲﾙを開く";
  request.Flags = 0;
  static const auto open_file_name =
      SystemFunction<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  state_.LastApiResult = open_file_name ? open_file_name(&request) : FALSE;
  if (state_.LastApiResult <= 0) return;
  state_.settings.BGMFile = WideToUtf8(file_name.c_str());
  lbl_Fname->SetText(Utf8ToWide(state_.settings.BGMFile));
  DrawWindowless();
}

void SettingsDialog::Save() {
  Win32ProfileStore store;
  Win32PathForms forms;
  const std::wstring folder = ProgramFolder();
  if (!SaveDialogSettings(state_.settings, WideToUtf8(BGM_Repeat->Text()), store, forms,
                          WideToUtf8(folder))) {
    // Closing now would look like a save; the dialog stays, so the user can fix the file
    // or cancel.
    const std::wstring text = L"設定を保存できませんでした。\n\n" +
                              Utf8ToWide(SettingsFilePath(WideToUtf8(folder))) +
                              L"\n\nﾌｧｲﾙやﾌｫﾙﾀﾞが読み取り専用でないか、ﾃﾞｨｽｸに空きがあるかを"
                              L"確かめてください。";
    MessageBoxW(Handle(), text.c_str(), L"Mirokan", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  Unload();
}

void SettingsDialog::OpenWebPage() {
  SetScreenMousePointer(MousePointer::kHourglass);
  // A failure of the shell is not reported: the dialog simply stays as it is.
  static const auto shell_execute =
      SystemFunction<decltype(ShellExecuteA)>(L"shell32.dll", "ShellExecuteA");
  if (shell_execute) {
    (void)shell_execute(Handle(), "open", BannerText.c_str(), "", "", SW_SHOWNORMAL);
  }
  SetScreenMousePointer(MousePointer::kDefault);
}

// ---- The banner ----------------------------------------------------------------------

void SettingsDialog::ResizePIC(BackingImage& picIN, COLORREF background) {
  picIN.Resize(geometry_.display_width, geometry_.display_height);
  picIN.Fill(background);
}

HFONT SettingsDialog::FontFor(const std::wstring& name, std::int16_t points, LONG weight) {
  auto& font = panel_fonts_[{name, points, weight}];
  if (!font) {
    // At the layout's own dots per inch, as the banner is laid out in twips. Grey edges
    // rather than coloured ones: the masks must match the lit text exactly.
    font = MakeFont({.name = name,
                     .points = static_cast<double>(points),
                     .weight = weight,
                     .quality = ANTIALIASED_QUALITY},
                    1440 / twips_per_pixel_);
  }
  return font.Get();
}

void SettingsDialog::pTextOut(BackingImage& picIN, const std::string& sIn,
                              const std::wstring& sFont, std::int16_t iFontSize, bool bFontBold,
                              std::int16_t xPos, std::int16_t yPos, COLORREF lColor) {
  HDC dc = picIN.Dc();
  if (!dc) return;
  SelectGuard select(dc, FontFor(sFont, iFontSize, bFontBold ? FW_BOLD : FW_NORMAL));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, lColor);
  const std::string ansi = Utf8ToAnsi(sIn);
  TextOutA(dc, xPos, yPos, ansi.c_str(), static_cast<int>(ansi.size()));
}

void SettingsDialog::ApplyHiLite(std::int32_t X) {
  GdiFlush();  // the text drawn through GDI must be in the pixels first
  AddLightAt(PixelsOf(picText), picHilite, X, 0);
}

void SettingsDialog::ApplyStar(std::int16_t img, std::int32_t X, std::int32_t Y) {
  if (img < 0 || img >= kStarPictures) return;
  GdiFlush();
  AddLightAt(PixelsOf(picBuffer), picStar[img], X, Y);
}

void SettingsDialog::ClearBuffer() {
  BitBlt(picBuffer.Dc(), 0, 0, picBuffer.Width(), picBuffer.Height(), picBlank.Dc(), 0, 0, SRCCOPY);
}

void SettingsDialog::Cleartext() {
  BitBlt(picText.Dc(), 0, 0, picBuffer.Width(), picBuffer.Height(), picBlank.Dc(), 0, 0, SRCCOPY);
}

void SettingsDialog::DrawFrame() {
  if (!picDisplay || !picBuffer.Dc()) return;
  ClearBuffer();
  Cleartext();
  pTextOut(picText, BannerText, kBannerFont, kBannerPoints, false,
           static_cast<std::int16_t>(geometry_.text_x), static_cast<std::int16_t>(geometry_.text_y),
           kLitText);
  const PanelFrame frame = AdvancePanel(panel_, geometry_);
  ApplyHiLite(frame.band_x);
  const int width = picText.Width();
  const int height = picText.Height();
  BitBlt(picText.Dc(), 0, 0, width, height, PictextB.Dc(), 0, 0, SRCAND);
  BitBlt(picBuffer.Dc(), 0, 0, width, height, picTextM.Dc(), 0, 0, SRCAND);
  BitBlt(picBuffer.Dc(), 0, 0, width, height, picText.Dc(), 0, 0, SRCPAINT);
  if (frame.star_picture) ApplyStar(*frame.star_picture, geometry_.star_x, geometry_.star_y);

  // The panel keeps the frame for repaints, and the screen gets it in one copy now.
  const int display_width = picDisplay->Width();
  const int display_height = picDisplay->Height();
  BitBlt(picDisplay->Dc(), 0, 0, display_width, display_height, picBuffer.Dc(), 0, 0, SRCCOPY);
  if (const WindowDc screen(picDisplay->Handle()); screen) {
    BitBlt(screen.Get(), 0, 0, display_width, display_height, picBuffer.Dc(), 0, 0, SRCCOPY);
  }
}

}  // namespace mirokan::win32
