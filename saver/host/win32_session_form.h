// The hidden session form "Zarvo_Main": it exists while a saver session runs and ends the
// program when the mouse has moved far enough or its renderer has ended.
#pragma once

#include <memory>

#include "common/desktop_picture.h"
#include "common/win32_handles.h"
#include "saver/host/music_thread.h"
#include "saver/state/saver_state.h"
#include "saver/forms/win32_forms.h"
#include "saver/music/bgm_player.h"

namespace mirokan::win32 {

class SessionForm final : public Form {
 public:
  explicit SessionForm(SaverState& state);

 private:
  void Form_Load() override;
  void Form_Unload() override;
  void Form_QueryUnload() override;
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  void PaintDesktop(const ScreenRect& screen);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void StartRenderer(const std::wstring& snapshot);
  void StartMusic();
  struct Music;
  // Runs `call` on the music thread, with the music kept alive for as long as it runs.
  void PostMusic(void (*call)(Music&));

  SaverState& state_;
  // Which player a music file gets, decided once from its ending when the session starts.
  MusicFileKind music_file_kind_ = MusicFileKind::kOther;
  std::shared_ptr<Music> music_;
  MusicThread music_thread_;
  // The renderer the session started: its end, whatever the cause, ends the session too.
  UniqueKernelHandle renderer_;

  FormTimer Timer1;  // music file watch
  FormTimer Timer2;  // CD watch
  FormTimer Timer3;  // mouse and renderer watch
};

}  // namespace mirokan::win32
