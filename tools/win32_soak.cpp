// A long run of one part of the saver, sampled every few seconds for leaks: the session (its
// watches in this process, the renderer it starts sampled from outside) or the settings
// dialog with its 30 ms banner frames. Live GDI objects come from the program's own counter,
// which only this process can read; Wine's GetGuiResources answers 0.
//   soak session|dialog SECONDS INTERVAL CSV
// Appends "seconds,process,working_set_kib,commit_kib,handles,gdi_objects" rows to CSV,
// prints one line a count, and exits 1 when a count grew steadily or the run went wrong.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common/snapshot_path.h"
#include "common/win32_handles.h"
#include "common/win32_text.h"
#include "tools/win32_process.h"
#include "saver/state/saver_state.h"
#include "saver/host/win32_session_form.h"
#include "saver/settings/win32_settings_dialog.h"
#include "tools/soak_trend.h"

namespace mirokan {
namespace {

struct Counts {
  double working_set_kib = 0;
  double commit_kib = 0;
  double handles = 0;
  double gdi_objects = -1;  // -1: not readable from outside the process
};

// Wine's GetProcessHandleCount succeeds with 0 (no process holds none on Windows); there
// the process's rows in the system handle table (extended class 64, which Wine implements)
// give the count instead.
DWORD HandleCount(HANDLE process) {
  DWORD count = 0;
  if (GetProcessHandleCount(process, &count) && count > 0) return count;
  struct Row {
    PVOID object;
    ULONG_PTR process_id;
    ULONG_PTR handle;
    ULONG access;
    USHORT back_trace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
  };
  struct Table {
    ULONG_PTR rows;
    ULONG_PTR reserved;
    Row row[1];
  };
  constexpr auto kExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
  constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
  std::vector<ULONG_PTR> buffer(1 << 14);
  NTSTATUS status;
  for (;;) {
    const auto bytes = static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR));
    status = NtQuerySystemInformation(kExtendedHandleInformation, buffer.data(), bytes, nullptr);
    if (status != kLengthMismatch || buffer.size() > (std::size_t{1} << 24)) break;
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return 0;
  const auto* table = reinterpret_cast<const Table*>(buffer.data());
  const std::size_t room = (buffer.size() * sizeof(ULONG_PTR) - offsetof(Table, row)) / sizeof(Row);
  const DWORD id = GetProcessId(process);
  for (std::size_t i = 0; i < std::min<std::size_t>(table->rows, room); ++i) {
    if (table->row[i].process_id == id) ++count;
  }
  return count;
}

// Our own process reads the handle owners' count; another's GDI objects are out of reach.
enum class Gdi { kOwnCounter, kOutOfReach };

Counts CountsOf(HANDLE process, Gdi gdi) {
  Counts counts;
  // Wine leaves PrivateUsage at 0; the commit charge (PagefileUsage) counts the same pages.
  PROCESS_MEMORY_COUNTERS memory{};
  if (GetProcessMemoryInfo(process, &memory, sizeof(memory))) {
    counts.working_set_kib = static_cast<double>(memory.WorkingSetSize) / 1024;
    counts.commit_kib = static_cast<double>(memory.PagefileUsage) / 1024;
  }
  counts.handles = HandleCount(process);
  if (gdi == Gdi::kOwnCounter) counts.gdi_objects = static_cast<double>(win32::LiveGdiObjects());
  return counts;
}

struct Series {
  std::vector<double> seconds, working_set_kib, commit_kib, handles, gdi_objects;
  void Add(double t, const Counts& c) {
    seconds.push_back(t);
    working_set_kib.push_back(c.working_set_kib);
    commit_kib.push_back(c.commit_kib);
    handles.push_back(c.handles);
    gdi_objects.push_back(c.gdi_objects);
  }
};

// Growth over the judged run that counts as a leak. A GDI object or a few KiB a timer tick
// clear them in two minutes, a handle a minute in half an hour. Wine's heap grows in steps
// of 1 MiB, and the renderer's takes two or three of them in its first minutes and then
// none: that much is no leak.
constexpr double kObjectMargin = 2;
constexpr double kHandleMargin = 8;
constexpr double kMemoryMarginKib = 2048;

// Prints each count's trend; false when one grew steadily.
bool Judge(const char* process, const Series& s) {
  struct Metric {
    const char* name;
    const std::vector<double>& values;
    double margin;
  };
  bool steady = true;
  for (const Metric& m : {Metric{"working_set_kib", s.working_set_kib, kMemoryMarginKib},
                          Metric{"commit_kib", s.commit_kib, kMemoryMarginKib},
                          Metric{"handles", s.handles, kHandleMargin},
                          Metric{"gdi_objects", s.gdi_objects, kObjectMargin}}) {
    if (m.values.empty() || m.values.front() < 0) continue;
    const Trend trend = JudgeTrend(s.seconds, m.values, m.margin);
    std::printf(
        "%s %s: %.0f -> %.0f, %+.2f a minute, growth %+.1f (later half %+.1f, %.0f%% "
        "above the baseline %.0f, rising in %.0f%% of its steps) over %zu samples: %s\n",
        process, m.name, m.values.front(), m.values.back(),
        trend.span > 0 ? trend.growth / trend.span * 60 : 0.0, trend.growth, trend.later_growth,
        trend.later_above * 100, trend.baseline, trend.later_rises * 100, trend.judged,
        trend.growing ? "GROWS STEADILY" : "steady");
    if (trend.growing) {
      std::printf("LEAK: %s %s grew steadily by %.0f over the run (limit %.0f)\n", process, m.name,
                  trend.growth, m.margin);
      steady = false;
    }
  }
  return steady;
}

class Sampler {
 public:
  Sampler(const std::wstring& csv, double interval) : interval_ms_(interval * 1000) {
    file_ = _wfopen(csv.c_str(), L"a");
    start_ = GetTickCount64();
  }
  ~Sampler() {
    if (file_) std::fclose(file_);
  }
  bool Open() const { return file_ != nullptr; }
  double Seconds() const { return static_cast<double>(GetTickCount64() - start_) / 1000; }

  void Sample(const char* process, HANDLE handle, Gdi gdi) {
    const Counts c = CountsOf(handle, gdi);
    const double t = Seconds();
    series_[process].Add(t, c);
    std::fprintf(file_, "%.2f,%s,%.0f,%.0f,%.0f,", t, process, c.working_set_kib, c.commit_kib,
                 c.handles);
    if (c.gdi_objects >= 0) std::fprintf(file_, "%.0f", c.gdi_objects);
    std::fputc('\n', file_);
    std::fflush(file_);
  }

  // Dispatches messages (the forms' timers) until the next sample is due or `stop` holds.
  template <typename Stop>
  void PumpUntilNextSample(Stop stop) {
    const ULONGLONG due = start_ + static_cast<ULONGLONG>(interval_ms_) * ++samples_;
    for (ULONGLONG now = GetTickCount64(); now < due && !stop(); now = GetTickCount64()) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(due - now), QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;  // the last form's unload: we end the run
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }

  bool JudgeAll() const {
    bool steady = true;
    for (const auto& [process, series] : series_) steady &= Judge(process.c_str(), series);
    return steady;
  }

 private:
  std::FILE* file_ = nullptr;
  ULONGLONG start_ = 0;
  double interval_ms_;
  ULONGLONG samples_ = 0;
  std::map<std::string, Series> series_;
};

// The one renderer process the session started, opened for sampling.
HANDLE WaitForRenderer() {
  DWORD id = 0;
  tools::WaitUntil([&] {
    const std::vector<DWORD> ids = tools::ProcessesNamed(L"Mirokan.data");
    id = ids.empty() ? 0 : ids.front();
    return id != 0;
  });
  return id ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, id)
            : nullptr;
}

bool Running(HANDLE process) {
  return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

int SoakSession(Sampler& sampler, double seconds) {
  SaverState state;
  state.command_line.ModeCharacter = U'S';
  // An MP3 the player cannot open: the 1 s music watch runs and fails every tick.
  state.settings.BGMKind = kBgmFile;
  state.settings.BGMFile = "C:\\音楽\\soak.mp3";
  SetCursorPos(400, 300);
  win32::SessionForm session(state);
  session.Load();
  const win32::UniqueKernelHandle renderer(WaitForRenderer());
  if (!renderer) {
    std::printf("FAIL: the session started no renderer\n");
    return 1;
  }
  bool early_end = false;
  while (sampler.Seconds() < seconds) {
    sampler.Sample("session", GetCurrentProcess(), Gdi::kOwnCounter);
    sampler.Sample("renderer", renderer.Get(), Gdi::kOutOfReach);
    sampler.PumpUntilNextSample([&] { return !session.Loaded() || !Running(renderer.Get()); });
    if (!session.Loaded() || !Running(renderer.Get())) {
      std::printf("FAIL: the %s ended after %.0f s\n", session.Loaded() ? "renderer" : "session",
                  sampler.Seconds());
      early_end = true;
      break;
    }
  }

  // The mouse ends both programs, as it ends a real run.
  SetCursorPos(700, 600);
  const ULONGLONG deadline = GetTickCount64() + 20000;
  while (GetTickCount64() < deadline && (session.Loaded() || Running(renderer.Get()))) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
  bool ended = true;
  if (session.Loaded() || Running(renderer.Get())) {
    std::printf("FAIL: the mouse did not end the %s\n", session.Loaded() ? "session" : "renderer");
    ended = false;
    if (Running(renderer.Get())) {
      const win32::UniqueKernelHandle kill(
          OpenProcess(PROCESS_TERMINATE, FALSE, GetProcessId(renderer.Get())));
      if (kill) TerminateProcess(kill.Get(), 99);
    }
  }
  if (GetFileAttributesW(SnapshotPath().c_str()) != INVALID_FILE_ATTRIBUTES) {
    std::printf("FAIL: the snapshot outlived the session\n");
    ended = false;
  }
  return sampler.JudgeAll() && ended && !early_end ? 0 : 1;
}

int SoakDialog(Sampler& sampler, double seconds) {
  const long before = win32::LiveGdiObjects();
  SaverState state;
  state.settings.BGMKind = kBgmFile;
  state.settings.BGMFile = "C:\\音楽\\曲.mp3";
  bool left_objects = false;
  {
    win32::SettingsDialog dialog(state);
    dialog.Load();
    dialog.Show(win32::Form::ShowMode::kModeless);
    while (sampler.Seconds() < seconds && dialog.Loaded()) {
      sampler.Sample("dialog", GetCurrentProcess(), Gdi::kOwnCounter);
      sampler.PumpUntilNextSample([&] { return !dialog.Loaded(); });
    }
    if (!dialog.Loaded()) {
      std::printf("FAIL: the dialog closed after %.0f s\n", sampler.Seconds());
      return 1;
    }
    dialog.Unload();
  }
  const long after = win32::LiveGdiObjects();
  std::printf("dialog gdi_objects before load %ld, after unload %ld\n", before, after);
  if (after > before) {
    std::printf("LEAK: the dialog left %ld GDI objects after its unload\n", after - before);
    left_objects = true;
  }
  return sampler.JudgeAll() && !left_objects ? 0 : 1;
}

}  // namespace
}  // namespace mirokan

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::printf("usage: soak session|dialog SECONDS INTERVAL CSV\n");
    return 2;
  }
  const std::wstring what = argv[1];
  const double seconds = _wtof(argv[2]);
  const double interval = _wtof(argv[3]);
  mirokan::Sampler sampler(argv[4], interval > 0 ? interval : 2);
  if (!sampler.Open()) {
    std::printf("FAIL: cannot write %s\n", mirokan::win32::WideToUtf8(argv[4]).c_str());
    return 2;
  }
  if (what == L"session") return mirokan::SoakSession(sampler, seconds);
  if (what == L"dialog") return mirokan::SoakDialog(sampler, seconds);
  std::printf("usage: soak session|dialog SECONDS INTERVAL CSV\n");
  return 2;
}
