#include "imgctl/helper_thread.h"

#include <new>

namespace imgctl {

HelperThread::HelperThread() : thread_([this] { loop(); }) {}

HelperThread::~HelperThread() {
  {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return run_ == nullptr; });
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
  }
  changed_.notify_all();
}

bool HelperThread::finish() {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [&] { return run_ == nullptr; });
  const bool failed = failed_;
  failed_ = false;
  return failed;
}

void HelperThread::wait() {
  if (finish()) throw std::bad_alloc();
}

void HelperThread::loop() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [&] { return run_ != nullptr || quit_; });
    if (run_ == nullptr) return;
    void (*run)(void*) = run_;
    void* task = task_;
    hold.unlock();
    bool failed = false;
    try {
      run(task);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    hold.lock();
    run_ = nullptr;
    failed_ = failed;
    changed_.notify_all();
  }
}

}  // namespace imgctl
