#include "saver/host/music_thread.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace mirokan {

struct MusicThread::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::function<void()>> calls;
  bool running = false;
  bool closing = false;
  bool started = false;
};

MusicThread::MusicThread() : shared_(std::make_shared<Shared>()) {}

namespace {

// Detached, holding its own share: a call stuck on a dead drive ends with the process.
void StartThread(std::shared_ptr<MusicThread::Shared> shared) {
  std::thread([shared = std::move(shared)] {
    std::unique_lock lock(shared->mutex);
    for (;;) {
      shared->changed.wait(lock, [&] { return shared->closing || !shared->calls.empty(); });
      if (shared->calls.empty()) return;
      std::function<void()> call = std::move(shared->calls.front());
      shared->calls.pop_front();
      shared->running = true;
      lock.unlock();
      call();
      lock.lock();
      shared->running = false;
      shared->changed.notify_all();
    }
  }).detach();
}

}  // namespace

MusicThread::~MusicThread() {
  const std::lock_guard lock(shared_->mutex);
  shared_->closing = true;
  shared_->changed.notify_all();
}

void MusicThread::Post(std::function<void()> call) {
  const std::lock_guard lock(shared_->mutex);
  // Started with the first call: a session without music makes no thread.
  if (!shared_->started) {
    StartThread(shared_);
    shared_->started = true;
  }
  shared_->calls.push_back(std::move(call));
  shared_->changed.notify_all();
}

bool MusicThread::Busy() const {
  const std::lock_guard lock(shared_->mutex);
  return shared_->running || !shared_->calls.empty();
}

bool MusicThread::Drain(std::chrono::milliseconds deadline) {
  std::unique_lock lock(shared_->mutex);
  return shared_->changed.wait_for(lock, deadline,
                                   [&] { return !shared_->running && shared_->calls.empty(); });
}

}  // namespace mirokan
