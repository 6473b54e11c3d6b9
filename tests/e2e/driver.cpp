// Launching the program, posting to it, waiting for it and its end.
#include "tests/e2e/driver_internal.h"

#include <stdarg.h>
#include <stdio.h>

#include "tests/support/text.h"
#include "tests/support/wait.h"

using qbtest::utf8;
using qbtest::waitUntil;
using qbtest::wide;

bool fail(App& app, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  app.error = text;
  return false;
}

int remainingMs(DWORD start, int timeoutMs) {
  DWORD spent = GetTickCount() - start;
  return spent >= (DWORD)timeoutMs ? 0 : timeoutMs - (int)spent;
}

std::string binFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return std::string();
  std::string folder = utf8(std::wstring(path, n));
  size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool isRunning(const App& app) {
  return app.process != NULL && WaitForSingleObject(app.process, 0) == WAIT_TIMEOUT;
}

// Why a wait ended early: the process is gone, or it stopped answering.
static bool failGoneOrHung(App& app, const char* what) {
  if (app.process != NULL && !isRunning(app)) {
    DWORD code = 0;
    GetExitCodeProcess(app.process, &code);
    app.exitCode = (int)code;
    return fail(app, "%s: the program has ended (exit code %lu)", what, code);
  }
  return fail(app, "%s: no answer within the time limit", what);
}

bool roundTrip(App& app, int timeoutMs) {
  DWORD_PTR ignored = 0;
  if (app.window == NULL || !IsWindow(app.window))
    return failGoneOrHung(app, "WM_NULL round trip (no main window)");
  if (timeoutMs <= 0 ||
      !SendMessageTimeoutW(app.window, WM_NULL, 0, 0, SMTO_NORMAL, (UINT)timeoutMs, &ignored))
    return failGoneOrHung(app, "WM_NULL round trip");
  return true;
}

struct WindowSearch {
  DWORD processId;      // 0 for any process
  std::wstring className;
  HWND found;
};

static BOOL CALLBACK matchTopLevel(HWND window, LPARAM lParam) {
  WindowSearch* search = (WindowSearch*)lParam;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (search->processId != 0 && pid != search->processId)
    return TRUE;
  if (!IsWindowVisible(window))
    return TRUE;
  wchar_t name[64];
  if (GetClassNameW(window, name, 64) == 0 || lstrcmpiW(name, search->className.c_str()) != 0)
    return TRUE;
  search->found = window;
  return FALSE;
}

static HWND findTopLevel(DWORD processId, const std::string& className) {
  WindowSearch search = {processId, wide(className), NULL};
  EnumWindows(matchTopLevel, (LPARAM)&search);
  return search.found;
}

bool launchApp(App& app, const std::string& exe, const std::string& arguments,
               const std::string& windowClass, int timeoutMs) {
  DWORD start = GetTickCount();
  releaseApp(app);
  app = App();
  app.windowClass = windowClass;
  // The program takes its whole command line tail as one path, so the tail
  // goes in unquoted; only the program's own path is quoted.
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty())
    commandLine += " " + arguments;
  std::wstring buffer = wide(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(wide(exe).c_str(), &buffer[0], NULL, NULL, FALSE, 0, NULL, NULL,
                      &startup, &info))
    return fail(app, "CreateProcessW(%s) failed with error %lu", exe.c_str(), GetLastError());
  CloseHandle(info.hThread);
  app.process = info.hProcess;
  app.processId = info.dwProcessId;

  bool ended = false;
  waitUntil([&] {
    ended = !isRunning(app);
    app.window = ended ? NULL : findTopLevel(app.processId, windowClass);
    return ended || app.window != NULL;
  }, remainingMs(start, timeoutMs), 20);
  if (ended)
    return failGoneOrHung(app, "waiting for the main window");
  if (app.window == NULL) {
    killApp(app);
    return fail(app, "no visible window of class %s within %d ms", windowClass.c_str(),
                timeoutMs);
  }
  app.threadId = GetWindowThreadProcessId(app.window, NULL);
  if (!roundTrip(app, remainingMs(start, timeoutMs)) ||
      !attachProbe(app, remainingMs(start, timeoutMs)) ||
      !waitIdle(app, remainingMs(start, timeoutMs))) {
    std::string why = app.error;
    killApp(app);
    app.error = "launch: " + why;
    return false;
  }
  return true;
}

bool launchViewer(App& app, const std::string& picture) {
  return launchApp(app, binFolder() + "quobixlens.exe", picture, "quobixlens");
}

static BOOL CALLBACK findUnpainted(HWND child, LPARAM lParam) {
  if (!GetUpdateRect(child, NULL, FALSE))
    return TRUE;
  *(bool*)lParam = true;
  return FALSE;
}

static bool paintPending(HWND window) {
  bool pending = GetUpdateRect(window, NULL, FALSE) != FALSE;
  if (!pending)
    EnumChildWindows(window, findUnpainted, (LPARAM)&pending);
  return pending;
}

// WM_PAINT comes after every posted message, so the marker is handled
// before the repaint its command asked for; BeginPaint empties the update
// region, and one round trip then lets the paint handler finish.
bool waitPainted(App& app, HWND window, int timeoutMs) {
  const int kPaintSettleMs = 2000;
  DWORD start = GetTickCount();
  waitUntil([&] { return !paintPending(window); },
            timeoutMs < kPaintSettleMs ? timeoutMs : kPaintSettleMs, 5);
  DWORD_PTR ignored = 0;
  int left = remainingMs(start, timeoutMs);
  if (window == app.window)
    return roundTrip(app, left);
  if (left <= 0 || !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, (UINT)left, &ignored))
    return failGoneOrHung(app, "WM_NULL round trip to a painted window");
  return true;
}

bool waitIdle(App& app, int timeoutMs) {
  DWORD start = GetTickCount();
  if (!roundTrip(app, timeoutMs))
    return false;
  if (app.probeBase == 0) {
    // Without the marker: the first round trip let the program take the
    // posted message off its queue; the pause lets it start on it; the
    // second round trip is answered only once it is back in a message loop.
    Sleep(100);
    if (!roundTrip(app, remainingMs(start, timeoutMs)))
      return false;
    return waitPainted(app, app.window, remainingMs(start, timeoutMs));
  }
  static const UINT marker = RegisterWindowMessageW(QB_PROBE_MARKER_NAME);
  uint32_t number = ++app.markerSent;
  DWORD lastPost = 0;
  bool broken = false;
  bool seenMarker = waitUntil([&] {
    // A marker can be lost behind a closing modal dialog (see driver.h), so
    // it is posted again each second until one arrives; they all carry the
    // same number.
    if (lastPost == 0 || GetTickCount() - lastPost >= 1000) {
      if (!PostMessageW(app.window, marker, number, 0)) {
        failGoneOrHung(app, "posting the idle marker");
        return broken = true;
      }
      lastPost = GetTickCount();
    }
    int32_t seen = 0;
    if (!readMarkerSeen(app, &seen))
      return broken = true;
    return (int32_t)(seen - (int32_t)number) >= 0;
  }, remainingMs(start, timeoutMs), 5);
  if (broken)
    return false;
  if (!seenMarker)
    return failGoneOrHung(app, "waiting for the program to become idle");
  return waitPainted(app, app.window, remainingMs(start, timeoutMs));
}

bool repaintWindow(App& app, int timeoutMs) {
  if (app.window == NULL || !InvalidateRect(app.window, NULL, FALSE))
    return failGoneOrHung(app, "InvalidateRect");
  return waitIdle(app, timeoutMs);
}

bool postMessageIdle(App& app, UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs) {
  if (app.window == NULL || !PostMessageW(app.window, message, wParam, lParam))
    return failGoneOrHung(app, "PostMessage");
  return waitIdle(app, timeoutMs);
}

bool postCommand(App& app, int command, int timeoutMs) {
  return postMessageIdle(app, WM_COMMAND, MAKEWPARAM(command, 0), 0, timeoutMs);
}

static bool isExtendedKey(int virtualKey) {
  switch (virtualKey) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_INSERT: case VK_DELETE:
      return true;
    default:
      return false;
  }
}

bool postKey(App& app, int virtualKey, int timeoutMs) {
  // lParam as the keyboard gives it: repeat count 1, scan code in bits
  // 16-23, extended key in bit 24; key-up adds the previous-state (30) and
  // transition (31) bits.
  UINT scan = MapVirtualKeyW((UINT)virtualKey, MAPVK_VK_TO_VSC) & 0xFF;
  LPARAM down = 1 | (scan << 16) | (isExtendedKey(virtualKey) ? 1u << 24 : 0);
  LPARAM up = down | (1u << 30) | (1u << 31);
  if (app.window == NULL || !PostMessageW(app.window, WM_KEYDOWN, virtualKey, down) ||
      !PostMessageW(app.window, WM_KEYUP, virtualKey, up))
    return failGoneOrHung(app, "posting a key");
  return waitIdle(app, timeoutMs);
}

bool waitExit(App& app, int timeoutMs) {
  if (app.process == NULL)
    return fail(app, "waitExit: no process");
  if (WaitForSingleObject(app.process, (DWORD)timeoutMs) != WAIT_OBJECT_0) {
    killApp(app);
    return fail(app, "the program did not end within %d ms and was killed", timeoutMs);
  }
  DWORD code = 0;
  GetExitCodeProcess(app.process, &code);
  app.exitCode = (int)code;
  return true;
}

void killApp(App& app) {
  if (!isRunning(app))
    return;
  TerminateProcess(app.process, 0xDEAD);
  WaitForSingleObject(app.process, 5000);
}

void releaseApp(App& app) {
  killApp(app);
  if (app.process != NULL)
    CloseHandle(app.process);
  app.process = NULL;
  app.window = NULL;
  app.probeBase = 0;
}
