// The test build's pace for the animated-GIF worker: the milliseconds named
// by QB_TEST_WORKER_PAUSE_MS (1 to 60000), read once per job, so that a test
// can aim a stop at either phase, and the frame threads named by
// QB_TEST_WORKER_THREADS (1 to 16). Linked into quobixlens_paced.exe only;
// the program itself reads no such variable.
#include <windows.h>

#include <cstdlib>

#include "rotation/workerpace.h"

namespace {

long numberFrom(const char* variable, long most) {
  char value[16];
  DWORD length = GetEnvironmentVariableA(variable, value, sizeof value);
  if (length == 0 || length >= sizeof value) return 0;
  long number = std::strtol(value, nullptr, 10);
  return number > 0 && number <= most ? number : 0;
}

}  // namespace

unsigned workerPaceMs() { return static_cast<unsigned>(numberFrom("QB_TEST_WORKER_PAUSE_MS", 60000)); }

int workerThreadCount(int processors) {
  long threads = numberFrom("QB_TEST_WORKER_THREADS", 16);
  return threads ? static_cast<int>(threads) : processors;
}
