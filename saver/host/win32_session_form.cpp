// The session form: loaded, never shown. It photographs the desktop of every monitor into
// its persistent image, leaves it as the snapshot file for the renderer, starts the
// renderer, records where the cursor stood and watches it every 50 ms; its end gives the
// cursor back, deletes the snapshot and ends the program.
#include "saver/host/win32_session_form.h"

#include <atomic>

#include "common/cursor_exit.h"
#include "common/snapshot_path.h"
#include "common/win32_file.h"
#include "common/win32_handles.h"
#include "saver/host/win32_application.h"
#include "saver/host/win32_profile_store.h"
#include "saver/host/win32_startup.h"
#include "saver/music/win32_media_service.h"
#include "saver/music/win32_sound_player.h"

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
  // is gone; the programs' own folder is the place of last resort. The renderer is told which
  // file this is: where it was written is for this session to say.
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

// The player and what it plays through, shared with every call posted to the music thread.
struct SessionForm::Music {
  explicit Music(MusicSettings settings)
      : file(settings.BGMFile), player(media, sound, last_api_result, std::move(settings)) {}
  std::string file;
  MciMediaService media;
  WinmmSoundPlayer sound;
  std::int32_t last_api_result = 0;
  BgmPlayer player;
  std::atomic<bool> cd_watching{true};
  bool file_given_up = false;  // the music thread's alone
};

void SessionForm::PostMusic(void (*call)(Music&)) {
  music_thread_.Post([music = music_, call] { call(*music); });
}

void SessionForm::StartMusic() {
  const Settings& settings = state_.settings;
  if (settings.BGMKind != kBgmCd && settings.BGMKind != kBgmFile) return;
  music_ = std::make_shared<Music>(MusicSettings{settings.BGMRepeat, settings.BGMFile});
  if (settings.BGMKind == kBgmCd) {
    PostMusic([](Music& music) { music.player.OpenCD(); });
    timer2_.SetEnabled(true);
    return;
  }
  music_file_kind_ = MusicFileKindOf(settings.BGMFile);
  switch (music_file_kind_) {
    case MusicFileKind::kWav:
      PostMusic([](Music& music) {
        // The one place a file that cannot be opened now is given up, for this session only.
        Win32FileProbe probe;
        music.file_given_up = !FileExists(probe, music.file);
        if (!music.file_given_up) music.player.PlayWAV();
      });
      break;
    case MusicFileKind::kMp3:
      PostMusic([](Music& music) {
        Win32FileProbe probe;
        music.file_given_up = !FileExists(probe, music.file);
        if (!music.file_given_up) music.player.PlayMP3();
      });
      timer1_.SetEnabled(true);
      break;
    case MusicFileKind::kOther:
      break;
  }
}

// A watch tick is not posted while the last call still runs (a slow drive): ticks would pile up.
void SessionForm::Timer1_Timer() {
  if (!music_ || music_thread_.Busy()) return;
  PostMusic([](Music& music) {
    if (!music.file_given_up) music.player.RepeatMP3();
  });
}

// The watch's verdict comes from the music thread: a failed check switches it off at the next
// tick, before anything more is sent.
void SessionForm::Timer2_Timer() {
  if (!music_) return;
  if (!music_->cd_watching) {
    timer2_.SetEnabled(false);
    return;
  }
  if (music_thread_.Busy()) return;
  PostMusic([](Music& music) {
    music.player.WatchCD();
    music.cd_watching = music.player.CDWatching();
  });
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
    PostMusic([](Music& music) {
      if (music.cd_watching) music.player.StopCD();
    });
  }
  timer1_.SetEnabled(false);
  switch (music_file_kind_) {
    case MusicFileKind::kWav:
      PostMusic([](Music& music) {
        if (!music.file_given_up) music.player.StopWAV();
      });
      break;
    case MusicFileKind::kMp3:
      PostMusic([](Music& music) {
        if (!music.file_given_up) music.player.StopMP3();
      });
      break;
    case MusicFileKind::kOther:
      break;
  }
  // The music stops before the program ends, unless a dead drive holds the thread: then the
  // program's end takes it.
  music_thread_.Drain(std::chrono::seconds(2));
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
