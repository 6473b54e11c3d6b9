#include "imgctl/helper_thread.h"

#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imgctl {
namespace {

constexpr int kSpins = 2048;  // pause instructions: tens of microseconds

// Whether flag came to equal value within the spins.
bool spinUntil(const std::atomic<bool>& flag, bool value) {
  for (int i = 0; i < kSpins; ++i) {
    if (flag.load(std::memory_order_acquire) == value) return true;
#if defined(__SSE2__)
    _mm_pause();
#endif
  }
  return false;
}

}  // namespace

HelperThread::HelperThread() : thread_([this] { loop(); }) {}

HelperThread::~HelperThread() {
  finish();
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void HelperThread::startRaw(void (*run)(void*), void* task) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    run_ = run;
    task_ = task;
    failed_ = false;
    busy_.store(true, std::memory_order_release);
  }
  changed_.notify_all();
}

bool HelperThread::finish() {
  if (!spinUntil(busy_, false)) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return !busy_.load(std::memory_order_relaxed); });
  }
  std::lock_guard<std::mutex> hold(lock_);
  const bool failed = failed_;
  failed_ = false;
  return failed;
}

void HelperThread::wait() {
  if (finish()) throw std::bad_alloc();
}

void HelperThread::loop() {
  for (;;) {
    spinUntil(busy_, true);
    void (*run)(void*);
    void* task;
    {
      std::unique_lock<std::mutex> hold(lock_);
      changed_.wait(hold, [&] { return busy_.load(std::memory_order_relaxed) || quit_; });
      if (!busy_.load(std::memory_order_relaxed)) return;
      run = run_;
      task = task_;
    }
    bool failed = false;
    try {
      run(task);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    {
      std::lock_guard<std::mutex> hold(lock_);
      failed_ = failed;
      busy_.store(false, std::memory_order_release);
    }
    changed_.notify_all();
  }
}

}  // namespace imgctl
