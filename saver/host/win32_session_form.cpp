// The session form: loaded, never shown. It puts the user's desktop, every monitor, into its
// persistent image (from the screen, the watcher's picture or the wallpaper), leaves it as
// the snapshot file for the renderer, starts the renderer, records where the cursor stood and
// watches it and the renderer every 50 ms; its end gives the cursor back, deletes the
// snapshot and ends the program.
#include "saver/host/win32_session_form.h"

#include <atomic>
#include <cstring>

#include "common/cursor_exit.h"
#include "common/snapshot_path.h"
#include "common/win32_desktop_picture.h"
#include "common/win32_file.h"
#include "common/win32_handles.h"
#include "common/win32_memory.h"
#include "common/win32_screen_saver.h"
#include "common/win32_trace.h"
#include "saver/forms/win32_application.h"
#include "saver/state/win32_profile_store.h"
#include "saver/host/win32_startup.h"
#include "saver/host/win32_wallpaper.h"
#include "saver/music/win32_media_service.h"
#include "saver/music/win32_sound_player.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kRendererNotStarted[] = L"Mirokan.dataを起動できません！";

}  // namespace

SessionForm::SessionForm(SaverState& state)
    : Form(FormOptions{.caption = L"Zarvo_Main", .persistent_image = true}),
      state_(state),
      Timer1(*this, 1000, [this] { Timer1_Timer(); }),
      Timer2(*this, 200, [this] { Timer2_Timer(); }),
      Timer3(*this, 50, [this] { Timer3_Timer(); }) {
  Timer3.SetEnabled(true);
}

void SessionForm::Form_Load() {
  // The whole desktop, every monitor in one picture, which the renderer cuts into one part
  // per monitor. On a single monitor that is the screen, from the origin.
  const ScreenRect screen = VirtualScreen();
  SetClientSize(screen.Width(), screen.Height());

  // Each step may fail on its own; the next still runs (a blank picture, no snapshot, no
  // renderer), and the renderer reports a missing snapshot itself.
  if (Image().Dc()) PaintDesktop(screen);
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

void SessionForm::PaintDesktop(const ScreenRect& screen) {
  // The system starts the saver after the idle timeout on a desktop of its own, whose screen
  // shows none of the user's windows: the watcher photographed them just before.
  const DesktopPictureView picture;
  const bool fresh = picture.IsFresh(LastInputTick(), screen) &&
                     Image().Width() == screen.Width() && Image().Height() == screen.Height();
  std::wstring users_desktop = L"Default";
  if (fresh) {
    const auto* name = reinterpret_cast<const wchar_t*>(picture.Header().desktop);
    users_desktop.assign(name, wcsnlen(name, std::size(picture.Header().desktop)));
  }
  const std::wstring here = ThreadDesktopName();
  const DesktopSourceFacts facts{
      .session = here.empty() || here == users_desktop ? DesktopPlace::kUsersDesktop
                                                       : DesktopPlace::kOtherDesktop,
      .fresh_picture = fresh,
      .locks = ScreenSaverLocks() ? SaverLocks::kYes : SaverLocks::kNo,
      .locked_shows =
          state_.settings.ShowDesktopWhenLocked ? LockedShows::kDesktop : LockedShows::kWallpaper};
  switch (ChooseDesktopSource(facts)) {
    case DesktopSource::kScreen: {
      // The DC of no window is the one documented for the entire screen, every monitor in it.
      WindowDc screen_dc(nullptr);
      if (screen_dc) Image().CopyFromScreen(screen_dc.Get(), screen.left, screen.top);
      break;
    }
    case DesktopSource::kWatcherPicture:
      // The same rows, in the same order and padding, as the image's own; its bottom row is
      // the first in memory. The view's pages come in at once, not a fault at a time.
      BringInPages(const_cast<std::uint8_t*>(picture.Rows()),
                   Image().Stride() * static_cast<std::size_t>(screen.Height()));
      std::memcpy(Image().Row(screen.Height() - 1), picture.Rows(),
                  Image().Stride() * static_cast<std::size_t>(screen.Height()));
      break;
    case DesktopSource::kWallpaper:
      PaintWallpaper(Image(), screen);
      break;
  }
}

// The player and what it plays through, shared with every call posted to the music thread.
struct SessionForm::Music {
  explicit Music(MusicSettings settings)
      : file(settings.BGMFile), player(media, sound, LastApiResult, std::move(settings)) {}
  std::string file;
  MciMediaService media;
  WinmmSoundPlayer sound;
  std::int32_t LastApiResult = 0;
  BgmPlayer player;
  std::atomic<bool> CDWatching{true};
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
    Timer2.SetEnabled(true);
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
      Timer1.SetEnabled(true);
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
  if (!music_->CDWatching) {
    Timer2.SetEnabled(false);
    return;
  }
  if (music_thread_.Busy()) return;
  PostMusic([](Music& music) {
    music.player.WatchCD();
    music.CDWatching = music.player.CDWatching();
  });
}

void SessionForm::Timer3_Timer() {
  POINT cursor{};
  if (!GetCursorPos(&cursor)) cursor = POINT{0, 0};
  // A renderer that ended (Escape, a close, a crash, an unreadable snapshot once its
  // messages were answered) leaves nothing to watch: the session ends as the mouse ends it.
  const bool renderer_ended = renderer_ && WaitForSingleObject(renderer_.Get(), 0) == WAIT_OBJECT_0;
  if (renderer_ended ||
      CursorFarFromStart(state_.CursorStartX, state_.CursorStartY, cursor.x, cursor.y)) {
    Timer3.SetEnabled(false);
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
  if (Traced(CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.c_str(), &startup, &info),
             L"CreateProcessW")) {
    // The renderer runs on its own; the session only watches for its end.
    const UniqueKernelHandle thread(info.hThread);
    renderer_.Reset(info.hProcess);
  } else {
    // A damaged file, or a folder too deep for any form of its path: the user learns why no
    // tunnel comes. The session then runs on until the mouse moves, as without a renderer.
    ShowMessage(kRendererNotStarted, kApplicationTitle);
  }
}

void SessionForm::Form_QueryUnload() {
  if (!music_) return;
  // A CD watch that switched itself off after a failed check has nothing left to stop.
  if (Timer2.Enabled()) {
    Timer2.SetEnabled(false);
    PostMusic([](Music& music) {
      if (music.CDWatching) music.player.StopCD();
    });
  }
  Timer1.SetEnabled(false);
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

LRESULT SessionForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // A log-off or shut-down: Windows ends the process once this returns, and no unload runs.
  if (message == WM_ENDSESSION && wparam) RemoveSnapshots();
  return Form::HandleMessage(message, wparam, lparam);
}

void SessionForm::Form_Unload() {
  if (state_.command_line.ModeCharacter == U'S') state_.CursorCount = ShowCursor(TRUE);
  RemoveSnapshots();
}

}  // namespace mirokan::win32
