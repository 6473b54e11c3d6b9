// The second thread of one conversion.
//
// Starting a thread costs close to a millisecond under Wine (a twentieth
// of that natively), as much as some of the steps it would halve, so a
// conversion starts one helper and hands it half of each step in turn:
// the palette passes, the candidate lists, the mapping.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace imgctl {

class HelperThread {
 public:
  // Starts the thread. Throws std::system_error when it cannot.
  HelperThread();
  // Waits for the task in hand, if any, and ends the thread.
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Runs task() on the helper. task must live until wait() returns, and
  // wait() comes before the next start().
  template <typename Task>
  void start(Task& task) {
    startRaw([](void* t) { (*static_cast<Task*>(t))(); }, &task);
  }
  // Waits for the task; throws std::bad_alloc when it threw that.
  void wait();
  // Waits for the task; returns whether it threw std::bad_alloc. For the
  // path of an exception, which must not leave the task running on
  // objects about to go.
  bool finish();

 private:
  void startRaw(void (*run)(void*), void* task);
  void loop();

  std::mutex lock_;
  std::condition_variable changed_;
  void (*run_)(void*) = nullptr;  // the task in hand, or nullptr
  void* task_ = nullptr;
  bool failed_ = false;           // the last task threw std::bad_alloc
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace imgctl
