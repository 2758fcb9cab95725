// The watcher's loop sleeps until the picture is due (see watch_schedule), takes it only when
// it can be of use (Mirokan is the saver, the user's desktop takes input, and the user lets
// the tunnel show the desktop), and drops it at the next input. It has no window, keeps
// neither the display nor the machine awake, and writes nothing to disk.
#include "watcher/win32_watcher.h"

#include <windows.h>

#include <string>
#include <string_view>

#include "common/win32_desktop_picture.h"
#include "common/win32_file.h"
#include "common/win32_handles.h"
#include "common/win32_screen_saver.h"
#include "common/win32_text.h"
#include "common/win32_trace.h"
#include "saver/state/settings.h"
#include "saver/state/win32_profile_store.h"
#include "watcher/watch_schedule.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kInstanceMutex[] = L"Local\\Mirokan.Watcher";
constexpr wchar_t kStopEvent[] = L"Local\\Mirokan.Watcher.Stop";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Mirokan";
// How long /off waits for a running watcher to end.
constexpr DWORD kStopWaitMs = 5000;

std::wstring WatcherPath() {
  return ProgramFolder() + L"\\MirokanWatch.exe";
}

// Whether a picture taken now could line a tunnel at all.
bool PictureWanted(const std::wstring& users_desktop) {
  if (!SelectedScreenSaverIs(ProgramFolder() + L"\\Mirokan.scr")) return false;
  // Locked, or another desktop in front (a consent prompt, the saver's own): nothing of the
  // user's is on the screen.
  if (InputDesktopName() != users_desktop) return false;
  if (!ScreenSaverLocks()) return true;
  Win32ProfileStore store;
  return ReadShowDesktopWhenLocked(store, WideToUtf8(ProgramFolder()));
}

int Watch() {
  UniqueKernelHandle instance(CreateMutexW(nullptr, TRUE, kInstanceMutex));
  if (!instance || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  UniqueKernelHandle stop(CreateEventW(nullptr, FALSE, FALSE, kStopEvent));
  if (!stop) return 0;
  // Not a thread that decides the machine's pace: its few wakes may wait for others.
  SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
  const std::wstring users_desktop = ThreadDesktopName();
  DesktopPictureHolder picture;
  // The input tick whose stretch of idleness has had its picture (or its refusal).
  bool done = false;
  std::uint32_t done_for_input = 0;
  for (;;) {
    const std::uint32_t input = LastInputTick();
    if (done && done_for_input != input) {
      picture.Drop();
      done = false;
    }
    const WatchStep step = NextWatchStep({.now_tick = GetTickCount(),
                                          .last_input_tick = input,
                                          .timeout_ms = ScreenSaverTimeoutMs(),
                                          .done_for_this_input = done,
                                          .holding_picture = picture.Holding()});
    if (step.take_picture) {
      done = true;
      done_for_input = input;
      // Input during the copy would leave a picture of a desktop that has changed.
      if (PictureWanted(users_desktop) && picture.Take(input, users_desktop) &&
          LastInputTick() != input) {
        picture.Drop();
      }
    }
    if (WaitForSingleObject(stop.Get(), step.sleep_ms) != WAIT_TIMEOUT) break;
  }
  ReleaseMutex(instance.Get());
  return 0;
}

bool StartWatcher() {
  const std::wstring path = WatcherPath();
  std::wstring command_line = L"\"" + path + L"\"";
  STARTUPINFOW startup{.cb = sizeof(startup)};
  PROCESS_INFORMATION info{};
  if (!Traced(CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             ProgramFolder().c_str(), &startup, &info),
              L"CreateProcessW")) {
    return false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

bool TurnOn() {
  const std::wstring command = L"\"" + WatcherPath() + L"\"";
  const LSTATUS written =
      RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_SZ, command.c_str(),
                      static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  return written == ERROR_SUCCESS && StartWatcher();
}

bool TurnOff() {
  if (UniqueKernelHandle stop(OpenEventW(EVENT_MODIFY_STATE, FALSE, kStopEvent)); stop) {
    UniqueKernelHandle running(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutex));
    SetEvent(stop.Get());
    // Its end releases the mutex, or abandons it.
    if (running) WaitForSingleObject(running.Get(), kStopWaitMs);
  }
  const LSTATUS removed = RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
  return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
}

}  // namespace

int WatcherMain(const wchar_t* command_line) {
  // What follows the program's own name, quoted or not.
  std::wstring_view rest(command_line);
  const bool quoted = !rest.empty() && rest.front() == L'"';
  const std::size_t name_end = quoted ? rest.find(L'"', 1) : rest.find_first_of(L" \t");
  rest.remove_prefix(name_end == std::wstring_view::npos ? rest.size()
                                                         : name_end + (quoted ? 1 : 0));
  const std::size_t first = rest.find_first_not_of(L" \t");
  const std::size_t last = rest.find_last_not_of(L" \t");
  const std::wstring request(first == std::wstring_view::npos
                                 ? std::wstring_view{}
                                 : rest.substr(first, last - first + 1));
  if (request.empty()) return Watch();
  const auto is = [&](const wchar_t* word) {
    return CompareStringOrdinal(request.c_str(), -1, word, -1, TRUE) == CSTR_EQUAL;
  };
  if (is(L"/on")) return TurnOn() ? 0 : 1;
  if (is(L"/off")) return TurnOff() ? 0 : 1;
  return 1;
}

}  // namespace mirokan::win32
