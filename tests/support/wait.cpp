#include "tests/support/wait.h"

#include <chrono>
#include <thread>

namespace qbtest {

bool waitUntil(const std::function<bool()>& holds, int timeoutMs, int pollMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (holds()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
}

}  // namespace qbtest
