// The test build's pace for the animated-GIF worker: the milliseconds named
// by QB_TEST_WORKER_PAUSE_MS (1 to 60000), read once per job, so that a test
// can aim a stop at either phase. Linked into quobixlens_paced.exe only; the
// program itself takes no pause and reads no such variable.
#include <windows.h>

#include <cstdlib>

#include "rotation/workerpace.h"

unsigned workerPaceMs() {
  char value[16];
  DWORD length = GetEnvironmentVariableA("QB_TEST_WORKER_PAUSE_MS", value, sizeof value);
  if (length == 0 || length >= sizeof value) return 0;
  long pause = std::strtol(value, nullptr, 10);
  return pause > 0 && pause <= 60000 ? static_cast<unsigned>(pause) : 0;
}
