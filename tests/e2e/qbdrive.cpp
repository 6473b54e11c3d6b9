// qbdrive.exe: the driver for scripts, run on the same Wine desktop as the
// program it drives.
//
//   qbdrive wait CLASS SECONDS   exit 0 once a visible window of that class
//                                exists and answers messages, 1 on time-out
//   qbdrive command CLASS NUMBER posts the menu command NUMBER to that window
//                                (for screenshots of dialogs), exit 0 once
//                                posted
//   qbdrive answer CLASS ITEM TEXT
//                                types TEXT into item ITEM of the program's
//                                open dialog and presses OK, exit 0 once the
//                                program is idle again (screenshots of a
//                                turned picture: command 2550, then 5200 30)
//   qbdrive close CLASS [SECONDS]
//                                WM_CLOSE to that window, Yes to the
//                                confirmation box, exit 0 once the program
//                                has ended, 1 otherwise (killed on time-out)
//
// Started through `wine explorer /desktop=...`, whose own exit code is
// always 0, it also writes its exit code to QB_RESULT_FILE when that is set.
// Started with plain `wine`, it joins the desktop named by QB_DESKTOP (an
// explorer started for an existing desktop does not end while the desktop
// is in use, so scripts cannot wait for it).
//
// Its arguments are taken in UTF-16 and handed on in UTF-8, so TEXT may be
// in any script whatever the code page.
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/support/files.h"
#include "tests/support/text.h"
#include "tests/support/wait.h"

using qbtest::environmentValue;
using qbtest::waitUntil;
using qbtest::wide;

namespace {

int finish(int code) {
  const std::string path = environmentValue("QB_RESULT_FILE");
  if (!path.empty())
    qbtest::writeFile(path, std::to_string(code) + "\n");
  return code;
}

int usage() {
  fprintf(stderr,
          "usage: qbdrive wait CLASS SECONDS | qbdrive command CLASS NUMBER |"
          " qbdrive answer CLASS ITEM TEXT | qbdrive close CLASS [SECONDS]\n");
  return finish(2);
}

// A visible top-level window of the class in any process, or NULL.
HWND findVisible(const std::string& className) {
  const std::wstring wideClass = wide(className);
  HWND window = NULL;
  while ((window = FindWindowExW(NULL, window, wideClass.c_str(), NULL)) != NULL) {
    if (IsWindowVisible(window))
      return window;
  }
  return NULL;
}

// Fills an App for a program the driver did not start, so the library's
// dialog and exit procedures work on it.
bool adopt(App& app, HWND window) {
  app.window = window;
  app.threadId = GetWindowThreadProcessId(window, &app.processId);
  app.process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE |
                                PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                PROCESS_CREATE_THREAD,
                            FALSE, app.processId);
  return app.process != NULL;
}

int waitCommand(const std::string& className, int seconds) {
  bool answered = waitUntil([&] {
    HWND window = findVisible(className);
    DWORD_PTR ignored = 0;
    return window != NULL &&
           SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) != 0;
  }, seconds * 1000, 50);
  if (!answered)
    fprintf(stderr, "qbdrive: no answering window of class %s within %d s\n", className.c_str(),
            seconds);
  return finish(answered ? 0 : 1);
}

int postMenuCommand(const std::string& className, int command) {
  HWND window = findVisible(className);
  if (window == NULL || !PostMessageW(window, WM_COMMAND, (WPARAM)command, 0)) {
    fprintf(stderr, "qbdrive: no window of class %s to post to\n", className.c_str());
    return finish(1);
  }
  return finish(0);
}

int closeCommand(const std::string& className, int seconds) {
  HWND window = findVisible(className);
  if (window == NULL) {
    fprintf(stderr, "qbdrive: no window of class %s\n", className.c_str());
    return finish(1);
  }
  App app;
  AppGuard guard(app);
  if (!adopt(app, window)) {
    fprintf(stderr, "qbdrive: cannot open the process of the window\n");
    return finish(1);
  }
  int timeoutMs = seconds * 1000;
  if (!PostMessageW(window, WM_CLOSE, 0, 0)) {
    fprintf(stderr, "qbdrive: posting WM_CLOSE failed\n");
    return finish(1);
  }
  HWND box = waitDialog(app, timeoutMs);
  if (box == NULL && isRunning(app)) {
    fprintf(stderr, "qbdrive: %s\n", app.error.c_str());
    return finish(1);
  }
  if (box != NULL && !pressDialogButton(app, box, IDYES, timeoutMs)) {
    fprintf(stderr, "qbdrive: %s\n", app.error.c_str());
    return finish(1);
  }
  if (!waitExit(app, timeoutMs)) {
    fprintf(stderr, "qbdrive: %s\n", app.error.c_str());
    return finish(1);
  }
  return finish(0);
}

int answerCommand(const std::string& className, int item, const std::string& text) {
  HWND window = findVisible(className);
  App app;  // the program goes on after this: no guard that would end it
  if (window == NULL || !adopt(app, window)) {
    fprintf(stderr, "qbdrive: no window of class %s\n", className.c_str());
    return finish(1);
  }
  HWND dialog = waitDialog(app);
  bool answered = dialog != NULL && setDialogItemText(app, dialog, item, text) &&
                  pressDialogButton(app, dialog, IDOK) && waitIdle(app);
  if (!answered) fprintf(stderr, "qbdrive: %s\n", app.error.c_str());
  CloseHandle(app.process);
  return finish(answered ? 0 : 1);
}

}  // namespace

// Moves this thread to the named desktop, where the program's windows are,
// waiting up to 30 s for the desktop to be made.
bool joinDesktop(const std::string& name) {
  const std::wstring wideName = wide(name);
  HDESK desktop = NULL;
  waitUntil([&] {
    return (desktop = OpenDesktopW(wideName.c_str(), 0, FALSE, GENERIC_ALL)) != NULL;
  }, 30000, 50);
  return desktop != NULL && SetThreadDesktop(desktop) != FALSE;
}

// The command line's arguments in UTF-8, the program's name first.
std::vector<std::string> utf8Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (list == NULL)
    return arguments;
  for (int i = 0; i < count; ++i)
    arguments.push_back(qbtest::utf8(list[i]));
  LocalFree(list);
  return arguments;
}

int main() {
  const std::vector<std::string> argv = utf8Arguments();
  const size_t argc = argv.size();
  if (argc < 3)
    return usage();
  const std::string desktop = environmentValue("QB_DESKTOP");
  if (!desktop.empty() && !joinDesktop(desktop)) {
    fprintf(stderr, "qbdrive: no desktop %s\n", desktop.c_str());
    return finish(1);
  }
  int seconds = argc > 3 ? atoi(argv[3].c_str()) : 15;
  if (seconds <= 0)
    return usage();
  if (argv[1] == "wait" && argc == 4)
    return waitCommand(argv[2], seconds);
  if (argv[1] == "command" && argc == 4)
    return postMenuCommand(argv[2], seconds);
  if (argv[1] == "answer" && argc == 5)
    return answerCommand(argv[2], atoi(argv[3].c_str()), argv[4]);
  if (argv[1] == "close" && argc <= 4)
    return closeCommand(argv[2], seconds);
  return usage();
}
