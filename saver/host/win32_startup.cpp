// Main of Mirokan.scr: refuses to start beside a running instance, reads the command line and
// hands over to the preview, the settings dialog or the saver session.
#include "saver/host/win32_startup.h"

#include <cmath>
#include <memory>

#include "common/win32_text.h"
#include "saver/host/win32_application.h"
#include "saver/host/win32_forms.h"
#include "saver/host/win32_preview_form.h"
#include "saver/host/win32_profile_store.h"
#include "saver/host/win32_session_form.h"
#include "saver/settings/win32_settings_dialog.h"

namespace mirokan::win32 {
namespace {

// Windows whose presence means another instance is at work: the session and the dialog. The
// third name is borne by no window of ours; the renderer is not looked for, since a renderer
// left waiting on a message box must not lock the saver out.
constexpr const wchar_t* kInstanceCaptions[] = {L"Zarvo_Main", L"<Mirokan>", L"Zarvo_Velkan"};

constexpr wchar_t kRendererMissing[] = L"Mirokan.dataが同じﾌｫﾙﾀﾞに見つかりません！";
constexpr wchar_t kApplicationTitle[] = L"Mirokan";

bool AnotherInstanceOnScreen() {
  bool found = false;
  for (const wchar_t* caption : kInstanceCaptions) {
    // Every search is made, as the instance test always has.
    if (FindWindowW(nullptr, caption) != nullptr) found = true;
  }
  return found;
}

std::optional<std::int16_t> TwipsToInt16(double twips) {
  const double rounded = std::nearbyint(twips);
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

void StartPreview(std::uint32_t parent_value) {
  HWND parent =
      reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(parent_value)));
  // A preview with no window to live in could never be closed by its host.
  if (!IsWindow(parent)) EndAtOnce();
  RECT parent_rect{};
  GetWindowRect(parent, &parent_rect);
  const int tx = TwipsPerPixelX();
  const int ty = TwipsPerPixelY();
  // A parent too large for the 16-bit twips size leaves that size at 0.
  const std::int16_t width_twips =
      TwipsToInt16(static_cast<double>(tx) * (parent_rect.right - parent_rect.left)).value_or(0);
  const std::int16_t height_twips =
      TwipsToInt16(static_cast<double>(ty) * (parent_rect.bottom - parent_rect.top)).value_or(0);

  PreviewForm& preview = PreviewForm::Instance();
  preview.Load();
  HWND form = preview.Handle();
  if (!form) return;
  const LONG style = GetWindowLongW(form, GWL_STYLE);
  SetWindowLongW(form, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
  SetParent(form, parent);
  const int width = width_twips / tx;
  const int height = height_twips / ty;
  preview.Move(0, 0, width, height);
  preview.Show(Form::ShowMode::Modeless);
}

}  // namespace

std::wstring RendererPath() {
  return ProgramFolder() + L"\\Mirokan.data";
}

void Main(SaverState& state) {
  if (AnotherInstanceOnScreen()) EndAtOnce();

  state.command_line = DecodeCommandLine(WideToUtf8(CommandLineText()));
  const StartRequest request = state.command_line.Request;

  if (request == StartRequest::Preview) {
    StartPreview(state.command_line.PreviewParent.value_or(0));
    return;
  }

  Win32ProfileStore store;
  Win32FileProbe probe;
  LoadSettings(state.settings, store, probe, WideToUtf8(ProgramFolder()));

  if (!FileExists(probe, WideToUtf8(RendererPath()))) {
    ShowMessage(kRendererMissing, kApplicationTitle);
    EndAtOnce();
  }

  if (request == StartRequest::Configure) {
    SettingsDialog dialog(state);
    dialog.Load();
    dialog.Show(Form::ShowMode::Modal);
    EndAtOnce();
  }

  if (request == StartRequest::EndSilently) EndAtOnce();

  if (request == StartRequest::RunHidingCursor) state.CursorCount = ShowCursor(FALSE);

  static SessionForm session(state);
  session.Load();
}

namespace {

enum class ZoomDirection { FromCursor, ToCursor };

void ZoomBetweenCursorAndWindow(HWND window, const SaverState& state, ZoomDirection direction) {
  const RECT point{state.CursorStartX, state.CursorStartY, state.CursorStartX, state.CursorStartY};
  RECT frame{};
  GetWindowRect(window, &frame);
  // Wine draws nothing here and answers TRUE; Windows animates the caption. Either way the
  // result is of no consequence.
  if (direction == ZoomDirection::FromCursor) {
    DrawAnimatedRects(window, IDANI_CAPTION, &point, &frame);
  } else {
    DrawAnimatedRects(window, IDANI_CAPTION, &frame, &point);
  }
}

}  // namespace

void ZoomFromCursor(HWND window, const SaverState& state) {
  ZoomBetweenCursorAndWindow(window, state, ZoomDirection::FromCursor);
}

void ZoomToCursor(HWND window, const SaverState& state) {
  ZoomBetweenCursorAndWindow(window, state, ZoomDirection::ToCursor);
}

}  // namespace mirokan::win32
