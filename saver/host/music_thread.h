// The session's music on a thread of its own: a music file on a sleeping network drive, or a
// slow CD drive asked its status, holds that thread and never the session's mouse watch.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace mirokan {

class MusicThread {
 public:
  MusicThread();
  ~MusicThread();
  MusicThread(const MusicThread&) = delete;
  MusicThread& operator=(const MusicThread&) = delete;

  // Runs `call` after those posted before it, on the thread. Whatever it touches must live
  // as long as the thread, which may be held past this object's end (a dead drive).
  void Post(std::function<void()> call);
  // Whether a posted call has not finished yet: a watch tick is not posted while one waits.
  bool Busy() const;
  // Waits until every posted call has run, at most `deadline`; false when one still runs.
  bool Drain(std::chrono::milliseconds deadline);

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace mirokan
