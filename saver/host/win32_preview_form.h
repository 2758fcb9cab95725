// The preview form: a borderless black child of the Display control panel's preview window.
#pragma once

#include "saver/host/win32_forms.h"

namespace mirokan::win32 {

class PreviewForm final : public Form {
 public:
  static PreviewForm& Instance();
  // Where the still picture goes, in the form's pixels.
  void PlacePicture(int x, int y, int width, int height);

 private:
  PreviewForm();
  void Form_Unload() override;

  RECT picture_{0, 0, 152, 112};
};

}  // namespace mirokan::win32
