// The second thread of one conversion.
//
// Starting a thread costs close to a millisecond under Wine (a twentieth
// of that natively), as much as some of the steps it would halve, so a
// conversion starts one helper and hands it half of each step in turn:
// the palette passes, the candidate lists, the mapping. Waking a thread
// that sleeps on a condition variable costs about 170 us under Wine, so
// both sides first spin a little (tens of microseconds) on a
// flag: the steps follow each other closely, and the two halves of a step
// end at about the same time.
#pragma once

#include <atomic>
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

  // Runs task() on the helper. task must live until wait() or finish()
  // returns, and one of them comes before the next start().
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
  // A task is in hand: set by startRaw, cleared by the helper when the
  // task has returned. Read without the lock while spinning; written
  // under it, so that a side that sleeps on changed_ cannot miss it.
  std::atomic<bool> busy_{false};
  void (*run_)(void*) = nullptr;  // the task in hand
  void* task_ = nullptr;
  bool failed_ = false;           // the last task threw std::bad_alloc
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace imgctl
