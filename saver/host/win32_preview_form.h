// The preview form: a borderless black child of the Display control panel's preview window.
#pragma once

#include "saver/host/win32_forms.h"

namespace mirokan::win32 {

class PreviewForm final : public Form {
 public:
  static PreviewForm& Instance();

 private:
  PreviewForm();
  void Form_Unload() override;
};

}  // namespace mirokan::win32
