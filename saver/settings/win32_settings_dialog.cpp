// The settings dialog window. Its controls come with the dialog's own work; for now it is
// the empty, correctly captioned window that closes like the finished one will.
#include "saver/settings/win32_settings_dialog.h"

#include "saver/host/win32_startup.h"

namespace mirokan::win32 {

SettingsDialog::SettingsDialog(SaverState& state)
    : Form(FormOptions{.caption = L"<Mirokan>",
                       .border = FormBorder::FixedDialog,
                       .client_width = 481,
                       .client_height = 250,
                       .background = RGB(0, 0, 0),
                       .persistent_image = true}),
      state_(state) {}

void SettingsDialog::Form_Load() {
  // Centred across, one third of the free height from the top.
  RECT frame{};
  GetWindowRect(Handle(), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 3, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  POINT cursor{};
  state_.LastApiResult = GetCursorPos(&cursor);
  if (state_.LastApiResult != 0) {
    StoreCoordinate(state_.CursorStartX, cursor.x);
    StoreCoordinate(state_.CursorStartY, cursor.y);
  } else {
    state_.CursorStartX = 0;
    state_.CursorStartY = 0;
  }
  ZoomFromCursor(Handle(), state_);
}

void SettingsDialog::Form_Unload() {
  ZoomToCursor(Handle(), state_);
}

}  // namespace mirokan::win32
