// The preview form. It paints nothing of its own beyond its black background; the program
// ends when the form goes, whether closed or destroyed with the host's window.
#include "saver/host/win32_preview_form.h"

namespace mirokan::win32 {

PreviewForm& PreviewForm::Instance() {
  static PreviewForm form;
  return form;
}

PreviewForm::PreviewForm()
    : Form(FormOptions{.caption = L"Preview Window", .background = RGB(0, 0, 0)}) {}

void PreviewForm::Form_Unload() {
  // The form's own window is already going; nothing of the host may be closed from here.
}

}  // namespace mirokan::win32
