// main of every GUI test executable.
//
// GUI tests run as `wine explorer /desktop=... test.exe`, and explorer
// exits 0 whatever the test does, so the test writes its own result (0 or
// 1) to the file named by QB_RESULT_FILE; scripts/wine-desktop turns that
// into the exit code ctest sees. A crash leaves no file, which the script
// reports as a failure. The crash dialog is switched off so that a crash
// ends the run instead of waiting on a desktop nobody looks at; programs
// the test starts inherit that error mode.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  const char* path = getenv("QB_RESULT_FILE");
  if (path != NULL && *path != '\0') {
    FILE* file = fopen(path, "w");
    bool written = file != NULL && fprintf(file, "%d\n", result) > 0;
    if (file != NULL && fclose(file) != 0)
      written = false;
    if (!written) {
      fprintf(stderr, "cannot write the result to %s\n", path);
      return 1;
    }
  }
  fflush(stdout);
  return result;
}
