// main of every GUI test executable.
//
// GUI tests run as `wine explorer /desktop=... test.exe`, and explorer
// exits 0 whatever the test does, so the test writes its own result (0 or
// 1) to the file named by QB_RESULT_FILE; scripts/wine-desktop turns that
// into the exit code ctest sees. A crash leaves no file, which the script
// reports as a failure. The crash dialog is switched off so that a crash
// ends the run instead of waiting on a desktop nobody looks at; programs
// the test starts inherit that error mode.
//
// A watchdog ends a run that hangs anyway (a call without a time limit in
// some test) before ctest's own limit would: it kills the programs the test
// started, reports a failure and ends the test, so the desktop is left
// clean and the log says what happened. Output is unbuffered so that the
// log shows how far the run got.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

namespace {

// Seconds a whole test executable may run; QB_GUI_TIMEOUT overrides.
const DWORD kDefaultWatchdogSeconds = 840;

bool writeResult(int result) {
  const char* path = getenv("QB_RESULT_FILE");
  if (path == NULL || *path == '\0')
    return true;
  FILE* file = fopen(path, "w");
  bool written = file != NULL && fprintf(file, "%d\n", result) > 0;
  if (file != NULL && fclose(file) != 0)
    written = false;
  if (!written)
    fprintf(stderr, "cannot write the result to %s\n", path);
  return written;
}

// Ends every process this one started (they are found by parent id).
void killChildren() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return;
  DWORD self = GetCurrentProcessId();
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID != self || entry.th32ProcessID == self)
      continue;
    HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
    if (child != NULL) {
      TerminateProcess(child, 0xDEAD);
      CloseHandle(child);
    }
  }
  CloseHandle(snapshot);
}

DWORD WINAPI watchdog(LPVOID parameter) {
  DWORD seconds = (DWORD)(uintptr_t)parameter;
  Sleep(seconds * 1000);
  fprintf(stderr, "\nwatchdog: the tests ran for more than %lu s; ending them and the programs "
                  "they started\n", seconds);
  killChildren();
  writeResult(1);
  TerminateProcess(GetCurrentProcess(), 1);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  setvbuf(stdout, NULL, _IONBF, 0);
  DWORD seconds = kDefaultWatchdogSeconds;
  if (const char* limit = getenv("QB_GUI_TIMEOUT")) {
    if (atoi(limit) > 0)
      seconds = (DWORD)atoi(limit);
  }
  HANDLE timer = CreateThread(NULL, 0, watchdog, (LPVOID)(uintptr_t)seconds, 0, NULL);
  if (timer != NULL)
    CloseHandle(timer);
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  if (!writeResult(result))
    return 1;
  return result;
}
