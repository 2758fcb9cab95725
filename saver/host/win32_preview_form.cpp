// The preview form. Its only drawing is the still, copied into the persistent image when
// Img_Prev is placed, so an uncovered preview repaints from that image. The program ends
// when the form goes, whether closed or destroyed with the host's window.
#include "saver/host/win32_preview_form.h"

#include "common/number_text.h"
#include "saver/forms/win32_application.h"

namespace mirokan::win32 {
namespace {

constexpr int kStillWidth = 152;  // the picture's size, and the control's at design
constexpr int kStillHeight = 112;

}  // namespace

PreviewForm& PreviewForm::Instance() {
  static PreviewForm form;
  return form;
}

PreviewForm::PreviewForm()
    : Form(FormOptions{.caption = L"Preview Window",
                       .client_width = kStillWidth,
                       .client_height = kStillHeight,
                       .background = RGB(0, 0, 0),
                       .persistent_image = true}),
      // A DIB section keeps the picture's exact colours on a screen of any depth.
      still_(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), kPreviewStill, IMAGE_BITMAP,
                                             0, 0, LR_CREATEDIBSECTION))),
      Img_Prev(RECT{0, 0, kStillWidth, kStillHeight}, still_.Get()) {
  AddWindowless(Img_Prev);
}

void PreviewForm::ShowIn(HWND parent) {
  RECT parent_rect{};
  GetWindowRect(parent, &parent_rect);
  const int tx = TwipsPerPixelX();
  const int ty = TwipsPerPixelY();
  // A parent too large for the 16-bit twips size leaves that size at 0.
  const std::int16_t width_twips =
      RoundToInt16(static_cast<double>(tx) * (parent_rect.right - parent_rect.left)).value_or(0);
  const std::int16_t height_twips =
      RoundToInt16(static_cast<double>(ty) * (parent_rect.bottom - parent_rect.top)).value_or(0);

  Load();
  HWND form = Handle();
  if (!form) return;
  const LONG style = GetWindowLongW(form, GWL_STYLE);
  SetWindowLongW(form, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
  SetParent(form, parent);
  Move(0, 0, width_twips / tx, height_twips / ty);
  PlaceImage(RECT{0, 0, width_twips / tx, height_twips / ty});
  Show(ShowMode::kModeless);
}

void PreviewForm::PlaceImage(RECT bounds) {
  Img_Prev.Move(bounds);
  // The picture is never scaled: black shows beyond it, and a smaller area cuts it off.
  Image().Resize(ClientWidth(), ClientHeight());
  Image().Fill(RGB(0, 0, 0));
  DrawWindowless();
}

void PreviewForm::Form_Unload() {
  // The form's own window is already going; nothing of the host may be closed from here.
}

}  // namespace mirokan::win32
