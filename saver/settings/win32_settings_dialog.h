// The settings dialog "<Mirokan>": a fixed dialog window that zooms open from the cursor and
// closes back to it.
#pragma once

#include "saver/host/saver_state.h"
#include "saver/host/win32_forms.h"

namespace mirokan::win32 {

class SettingsDialog final : public Form {
 public:
  explicit SettingsDialog(SaverState& state);

 private:
  void Form_Load() override;
  void Form_Unload() override;

  SaverState& state_;
};

}  // namespace mirokan::win32
