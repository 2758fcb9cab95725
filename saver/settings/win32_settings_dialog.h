// The settings dialog "<Mirokan>": the music kind, the CD track to repeat and the music
// file, saved by "設定"; across its top the animated banner, composed off-screen every 30 ms.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/win32_handles.h"
#include "saver/controls/win32_command_button.h"
#include "saver/state/saver_state.h"
#include "saver/forms/win32_form_controls.h"
#include "saver/forms/win32_forms.h"
#include "saver/settings/dialog_rules.h"
#include "saver/settings/display_panel.h"

namespace mirokan::win32 {

// What SetCommandButtons does to every Command button of `buttons`, in their order.
enum class ButtonsStep { kInitialize, kEnable, kDisable };
void SetCommandButtons(const std::vector<CommandButton*>& buttons, ButtonsStep step);

class SettingsDialog final : public Form {
 public:
  explicit SettingsDialog(SaverState& state);
  ~SettingsDialog() override;

  // The banner's steps, public as the dialog's methods.
  void ApplyHiLite(std::int32_t X);
  void ApplyStar(std::int16_t img, std::int32_t X, std::int32_t Y);
  void ClearBuffer();
  void Cleartext();
  void DrawFrame();

  // What the tests look at in-process: the last frame shown on the panel, the panel window
  // and the animation state.
  const BackingImage& DisplayImage() { return picDisplay->Image(); }
  HWND DisplayWindow() const { return picDisplay ? picDisplay->Handle() : nullptr; }
  const PanelState& Panel() const { return panel_; }
  const PanelGeometry& Geometry() const { return geometry_; }

 private:
  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload() override;

  void CreateControls();
  void ResizePIC(BackingImage& picIN, COLORREF background);
  void pTextOut(BackingImage& picIN, const std::string& sIn, const std::wstring& sFont,
                std::int16_t iFontSize, bool bFontBold, std::int16_t xPos, std::int16_t yPos,
                COLORREF lColor);
  HFONT FontFor(const std::wstring& name, std::int16_t points, LONG weight);
  void PaintBackground();
  void ShowKind();
  void ChooseKind(int kind);
  void ChooseFile();
  void Save();
  void OpenWebPage();
  RECT Place(const DesignRect& design) const;
  RECT PlaceInPanel(const DesignRect& design) const;

  SaverState& state_;
  int twips_per_pixel_;
  PanelGeometry geometry_;
  PanelState panel_;
  std::string BannerText;

  // GDI objects of the dialog, made once.
  UniqueFont label_font_;
  std::map<std::tuple<std::wstring, int, LONG>, UniqueFont> panel_fonts_;
  std::array<UniqueBitmap, 2> Img_Ra;  // the marks: 0 not chosen, 1 chosen
  UniqueIcon icon_;
  UniqueIcon small_icon_;
  UniqueCursor hand_cursor_;

  // Windowless controls, drawn in this order over the banding.
  std::unique_ptr<WindowlessControl> Pic_C;
  std::unique_ptr<Shape> Shape3;
  std::unique_ptr<Label> heading_;
  std::unique_ptr<Label> repeat_caption_;
  std::array<std::unique_ptr<ImageControl>, kKindCount> Img_BGM;
  std::array<std::unique_ptr<Label>, kKindCount> lbl_BGM;
  std::unique_ptr<Label> lbl_Fname;
  std::unique_ptr<Label> credit_;

  std::unique_ptr<PictureBox> picDisplay;
  std::unique_ptr<ComboBox> BGM_Repeat;
  std::unique_ptr<CommandButton> Cmd_BGM;
  std::unique_ptr<CommandButton> Cmd_Set;
  std::unique_ptr<CommandButton> Cmd_Can;

  // The banner's off-screen pictures.
  BackingImage picBuffer;
  BackingImage picBlank;
  BackingImage picText;
  BackingImage picTextM;
  BackingImage PictextB;
  RgbImage picHilite;
  std::array<RgbImage, kStarPictures> picStar;

  FormTimer Timer1;
};

}  // namespace mirokan::win32
