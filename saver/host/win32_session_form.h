// The hidden session form "Zarvo_Main": it exists while a saver session runs and ends the
// program when the mouse has moved far enough.
#pragma once

#include <memory>

#include "saver/host/saver_state.h"
#include "saver/host/win32_forms.h"
#include "saver/music/bgm_player.h"
#include "saver/music/win32_media_service.h"
#include "saver/music/win32_sound_player.h"

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
  bool HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void StartRenderer(const std::wstring& snapshot);
  void StartMusic();

  SaverState& state_;
  // Which player a music file gets, decided once from its ending when the session starts.
  MusicFileKind music_file_kind_ = MusicFileKind::kOther;
  win32::MciMediaService media_;
  win32::WinmmSoundPlayer sound_;
  std::unique_ptr<BgmPlayer> music_;

  FormTimer timer1_;  // music file watch
  FormTimer timer2_;  // CD watch
  FormTimer timer3_;  // mouse watch
};

}  // namespace mirokan::win32
