// The session form: loaded, never shown. It photographs the desktop of every monitor into
// its persistent image, leaves it as the snapshot file for the renderer, starts the
// renderer, records where the cursor stood and watches it every 50 ms; its end gives the
// cursor back, deletes the snapshot and ends the program.
#include "saver/host/win32_session_form.h"

#include "common/cursor_exit.h"
#include "common/snapshot_path.h"
#include "common/win32_file.h"
#include "common/win32_handles.h"
#include "saver/host/win32_application.h"
#include "saver/host/win32_profile_store.h"
#include "saver/host/win32_startup.h"

namespace mirokan::win32 {

SessionForm::SessionForm(SaverState& state)
    : Form(FormOptions{.caption = L"Zarvo_Main", .persistent_image = true}),
      state_(state),
      timer1_(*this, 1000, [this] { Timer1_Timer(); }),
      timer2_(*this, 200, [this] { Timer2_Timer(); }),
      timer3_(*this, 50, [this] { Timer3_Timer(); }) {
  timer3_.SetEnabled(true);
}

void SessionForm::Form_Load() {
  // The whole desktop, every monitor in one picture, which the renderer cuts into one part
  // per monitor. On a single monitor that is the screen, from the origin.
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  SetClientSize(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));

  // Each step may fail on its own; the next still runs (a blank picture, no snapshot, no
  // renderer), and the renderer reports a missing snapshot itself.
  {
    // The DC of no window is the one documented for the entire screen, every monitor in it.
    WindowDc screen_dc(nullptr);
    if (screen_dc && Image().Dc()) {
      Image().CopyFromScreen(screen_dc.Get(), left, top);
    }
  }
  // Main has removed any older picture already. The temporary folder may name a folder that
  // is gone; the programs' own folder is the place of last resort.
  // The renderer is told which file this is: where it was written is for this session to say.
  std::wstring snapshot = SnapshotPath();
  for (const std::wstring& place : SnapshotPlaces()) {
    if (Image().SaveAsBitmap(place)) {
      snapshot = place;
      break;
    }
  }
  StartRenderer(snapshot);
  StartMusic();

  POINT cursor{};
  if (GetCursorPos(&cursor)) {
    StoreCoordinate(state_.CursorStartX, cursor.x);
    StoreCoordinate(state_.CursorStartY, cursor.y);
  } else {
    state_.CursorStartX = 0;
    state_.CursorStartY = 0;
  }
}

void SessionForm::StartMusic() {
  music_ = std::make_unique<BgmPlayer>(
      media_, sound_, state_.LastApiResult,
      MusicSettings{state_.settings.BGMRepeat, state_.settings.BGMFile});
  if (state_.settings.BGMKind == kBgmCd) {
    music_->OpenCD();
    timer2_.SetEnabled(true);
  } else if (state_.settings.BGMKind == kBgmFile) {
    // The one place a file that cannot be opened now is given up, for this session only.
    Win32FileProbe probe;
    if (!MusicFileOpens(state_.settings, probe)) return;
    music_file_kind_ = MusicFileKindOf(state_.settings.BGMFile);
    switch (music_file_kind_) {
      case MusicFileKind::kWav:
        music_->PlayWAV();
        break;
      case MusicFileKind::kMp3:
        music_->PlayMP3();
        timer1_.SetEnabled(true);
        break;
      case MusicFileKind::kOther:
        break;
    }
  }
}

void SessionForm::Timer1_Timer() {
  if (music_) music_->RepeatMP3();
}

void SessionForm::Timer2_Timer() {
  if (!music_) return;
  music_->WatchCD();
  timer2_.SetEnabled(music_->CDWatching());
}

void SessionForm::Timer3_Timer() {
  POINT cursor{};
  if (!GetCursorPos(&cursor)) cursor = POINT{0, 0};
  if (CursorFarFromStart(state_.CursorStartX, state_.CursorStartY, cursor.x, cursor.y)) {
    timer3_.SetEnabled(false);
    Unload();
  }
}

void SessionForm::StartRenderer(const std::wstring& snapshot) {
  // CreateProcess runs the file as a program whatever its extension; no association is asked.
  // It takes no path of MAX_PATH or more: a folder that deep is named in its short form.
  const std::wstring long_path = RendererPath();
  const std::wstring short_path = ShortEnoughPath(long_path);
  const std::wstring& path = short_path.empty() ? long_path : short_path;
  std::wstring command_line = RendererCommandLine(path, snapshot);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
  if (CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.c_str(), &startup, &info)) {
    // The renderer runs on its own; its handles are not needed.
    const UniqueKernelHandle thread(info.hThread);
    const UniqueKernelHandle process(info.hProcess);
  }
}

void SessionForm::Form_QueryUnload() {
  if (!music_) return;
  // A CD watch that switched itself off after a failed check has nothing left to stop.
  if (timer2_.Enabled()) {
    timer2_.SetEnabled(false);
    music_->StopCD();
  }
  timer1_.SetEnabled(false);
  switch (music_file_kind_) {
    case MusicFileKind::kWav:
      music_->StopWAV();
      break;
    case MusicFileKind::kMp3:
      music_->StopMP3();
      break;
    case MusicFileKind::kOther:
      break;
  }
}

bool SessionForm::HandleMessage(UINT message, WPARAM wparam, LPARAM, LRESULT&) {
  // A log-off or shut-down: Windows ends the process once this returns, and no unload runs.
  if (message == WM_ENDSESSION && wparam) RemoveSnapshots();
  return false;
}

void SessionForm::Form_Unload() {
  if (state_.command_line.ModeCharacter == U'S') state_.CursorCount = ShowCursor(TRUE);
  RemoveSnapshots();
}

}  // namespace mirokan::win32
