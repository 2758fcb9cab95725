// The preview form: a borderless black child of the Display control panel's preview window
// showing the tunnel's still picture through its image control.
#pragma once

#include <windows.h>

#include "common/win32_handles.h"
#include "saver/forms/win32_form_controls.h"
#include "saver/forms/win32_forms.h"

namespace mirokan::win32 {

// The still's resource name in the program.
inline constexpr wchar_t kPreviewStill[] = L"PREVIEW_STILL";

class PreviewForm final : public Form {
 public:
  static PreviewForm& Instance();

  // Main's preview branch: loads the form, makes it a child of `parent` sized to that
  // window (through the 16-bit twips sizes), places Img_Prev over it and shows it.
  void ShowIn(HWND parent);

  // Places Img_Prev (pixels) and redraws the form's persistent image, at the form's size,
  // with it.
  void PlaceImage(RECT bounds);
  const ImageControl& StillImage() const { return Img_Prev; }

 private:
  PreviewForm();
  void Form_Unload() override;

  UniqueBitmap still_;
  ImageControl Img_Prev;
};

}  // namespace mirokan::win32
