// Main of Mirokan.scr: refuses to start beside a running instance, reads the command line and
// hands over to the preview, the settings dialog or the saver session.
#include "saver/host/win32_startup.h"

#include <memory>

#include "common/snapshot_path.h"
#include "common/win32_text.h"
#include "saver/forms/win32_application.h"
#include "saver/forms/win32_forms.h"
#include "saver/host/win32_preview_form.h"
#include "saver/state/win32_profile_store.h"
#include "saver/host/win32_session_form.h"
#include "saver/settings/win32_settings_dialog.h"

namespace mirokan::win32 {
namespace {

// Windows whose presence means another instance is at work: the session and the dialog. The
// third name is borne by no window of ours; the renderer is not looked for, since a renderer
// left waiting on a message box must not lock the saver out.
constexpr const wchar_t* kInstanceCaptions[] = {L"Zarvo_Main", L"<Mirokan>", L"Zarvo_Velkan"};

constexpr wchar_t kRendererMissing[] = L"Mirokan.dataが同じﾌｫﾙﾀﾞに見つかりません！";

bool AnotherInstanceOnScreen() {
  bool found = false;
  for (const wchar_t* caption : kInstanceCaptions) {
    // Every search is made, as the instance test always has.
    if (FindWindowW(nullptr, caption) != nullptr) found = true;
  }
  return found;
}

// Two requests a moment apart both find no window yet; the first to name this mutex in the
// user's session runs. The handle is kept for the life of the process, which releases it.
bool FirstInstanceInSession() {
  CreateMutexW(nullptr, FALSE, L"Local\\Mirokan.Instance");
  return GetLastError() != ERROR_ALREADY_EXISTS;
}

void StartPreview(std::uint32_t parent_value) {
  HWND parent =
      reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(parent_value)));
  // A preview with no window to live in could never be closed by its host.
  if (!IsWindow(parent)) EndAtOnce();
  PreviewForm::Instance().ShowIn(parent);
}

}  // namespace

std::wstring RendererPath() {
  return ProgramFolder() + L"\\Mirokan.data";
}

void Main(SaverState& state) {
  // Decoding only reads the text. A preview neither takes nor waits for the mutex: the
  // Screen Saver Settings keep their little preview running while they start the others.
  state.command_line = DecodeCommandLine(WideToUtf8(CommandLineText()));
  const StartRequest request = state.command_line.Request;
  if (request != StartRequest::kPreview && !FirstInstanceInSession()) EndAtOnce();
  if (AnotherInstanceOnScreen()) EndAtOnce();
  // No session runs now, so a snapshot still on disk is a killed one's picture of the
  // desktop, whatever this start is for: it goes at once.
  RemoveSnapshots();

  if (request == StartRequest::kPreview) {
    StartPreview(state.command_line.PreviewParent.value_or(0));
    return;
  }

  Win32ProfileStore store;
  Win32PathForms forms;
  LoadSettings(state.settings, store, forms, WideToUtf8(ProgramFolder()));

  Win32FileProbe probe;
  if (!FileExists(probe, WideToUtf8(RendererPath()))) {
    ShowMessage(kRendererMissing, kApplicationTitle);
    EndAtOnce();
  }

  if (request == StartRequest::kConfigure) {
    SettingsDialog dialog(state);
    dialog.Load();
    dialog.Show(Form::ShowMode::kModal);
    EndAtOnce();
  }

  if (request == StartRequest::kEndSilently) EndAtOnce();

  if (request == StartRequest::kRunHidingCursor) state.CursorCount = ShowCursor(FALSE);

  static SessionForm session(state);
  session.Load();
}

}  // namespace mirokan::win32
