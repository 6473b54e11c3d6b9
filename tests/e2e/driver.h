// The end-to-end driver: starts a Win32 program, talks to its main window
// and its modal dialogs the way a user would, and reads back what the user
// would see (title, window geometry, scroll bars, menu states, pixels).
//
// Every string in and out is UTF-8: paths, command lines, class names and
// the texts read from windows. The driver meets Windows through the W calls,
// so a window's text reads right whether its program speaks ANSI or UTF-16.
//
// Every procedure has a time limit and returns false on failure with the
// reason in App::error, so a test writes
//     ASSERT_TRUE(postCommand(app, 2500)) << app.error;
// and the failure names the test's own line. AppGuard kills the program
// when a test leaves early, so no failing test leaves a process behind.
//
// Idle: after every post the driver waits until the program has handled the
// message. It posts a marker message behind the command to a window
// procedure that qbprobe.dll slipped in front of the program's own; the
// marker is handled only after the command was (or once the program waits
// in a modal dialog's message loop). Without the probe it falls back to two
// WM_NULL round trips around a short pause.
//
// Wine facts this driver works around: a modal dialog that closes can
// swallow the next message posted to its owner, so pressDialogButton waits
// for the dialog to go and re-synchronises before returning; scroll bar and
// menu state of another process's window read as nothing, so they are read
// inside the target through qbprobe.dll.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

// Default time limits, in milliseconds.
enum {
  kLaunchTimeoutMs = 30000,  // process start until the main window answers
  kIdleTimeoutMs = 10000,    // one command or key until the program is idle
  kDialogTimeoutMs = 10000,  // until a modal dialog shows or goes
  kExitTimeoutMs = 15000,    // until the process has ended
};

// One launched program.
struct App {
  HANDLE process = NULL;      // owned; closed by releaseApp
  DWORD processId = 0;
  DWORD threadId = 0;         // the thread that owns `window`
  HWND window = NULL;         // the main window, found by class and process
  std::string windowClass;
  uintptr_t probeBase = 0;    // base of qbprobe.dll in the target; 0 when not loaded
  uint32_t markerSent = 0;    // last marker number posted
  int exitCode = -1;          // set by waitExit once the process has ended
  std::string error;          // why the last failing call failed
};

// Folder of the running test executable (with a trailing backslash); the
// program, the probe and the tools of the build all live there.
std::string binFolder();

// Starts exe with the given command line tail (passed as is after the
// quoted program path), waits for a visible top-level window of
// windowClass owned by the new process, for it to answer messages, and
// loads the probe into it. On failure the process is killed.
bool launchApp(App& app, const std::string& exe, const std::string& arguments,
               const std::string& windowClass, int timeoutMs = kLaunchTimeoutMs);
// The viewer, quobixlens.exe of binFolder, on a picture (a Windows path, or
// "" for none).
bool launchViewer(App& app, const std::string& picture);
// Loads qbprobe.dll (from binFolder) into the target and installs the
// marker procedure on the main window. launchApp calls it.
bool attachProbe(App& app, int timeoutMs = kIdleTimeoutMs);

// Waits until the program has handled everything posted to it so far,
// painting included.
bool waitIdle(App& app, int timeoutMs = kIdleTimeoutMs);
// Waits until a window of the program (the main window or a dialog) and
// its controls have nothing left to paint and the paint handler is done.
// A window invalidated again and again (an animation) is taken as it is
// after two seconds.
bool waitPainted(App& app, HWND window, int timeoutMs = kIdleTimeoutMs);
// Invalidates the whole client area, as a window moving away would, and
// waits until the program has painted it again.
bool repaintWindow(App& app, int timeoutMs = kIdleTimeoutMs);
// Posts WM_COMMAND (command number in the low word, 0 in the high word,
// no control) to the main window, then waits until idle.
bool postCommand(App& app, int command, int timeoutMs = kIdleTimeoutMs);
// Posts WM_KEYDOWN then WM_KEYUP for a virtual key, with the scan code,
// extended-key bit, previous-state and transition bits a keyboard gives,
// then waits until idle.
bool postKey(App& app, int virtualKey, int timeoutMs = kIdleTimeoutMs);
// Posts any message to the main window, then waits until idle.
bool postMessageIdle(App& app, UINT message, WPARAM wParam, LPARAM lParam,
                     int timeoutMs = kIdleTimeoutMs);

// Waits until the process ends and stores its exit code in app.exitCode.
// On time-out the process is killed and the call fails.
bool waitExit(App& app, int timeoutMs = kExitTimeoutMs);
// True while the process runs.
bool isRunning(const App& app);
// Kills the process if it still runs (exit code 0xDEAD).
void killApp(App& app);
// Kills the process if it still runs and closes the handles.
void releaseApp(App& app);

// Kills and releases the program when the test leaves its scope, also
// when an ASSERT returns early.
struct AppGuard {
  App& app;
  explicit AppGuard(App& a) : app(a) {}
  ~AppGuard() { releaseApp(app); }
  AppGuard(const AppGuard&) = delete;
  AppGuard& operator=(const AppGuard&) = delete;
};

// Modal dialogs and message boxes: visible top-level "#32770" windows of
// the program's process.
// The one shown now, or NULL.
HWND findDialog(const App& app);
// Waits until one is shown; NULL (and app.error) on time-out.
HWND waitDialog(App& app, int timeoutMs = kDialogTimeoutMs);
// Text of any window of any process (WM_GETTEXT with a time limit, so that
// the text of a control is its current text), in UTF-8.
std::string windowText(HWND window);
std::string dialogItemText(HWND dialog, int itemId);
// The message of a message box: the texts of its static controls, in
// z-order, joined with "\n" (the icon's static has no text).
std::string messageBoxText(HWND box);
// Sets an item's text (WM_SETTEXT) from UTF-8, e.g. an edit before OK.
bool setDialogItemText(App& app, HWND dialog, int itemId, const std::string& text);
// Presses a button by id (IDOK, IDCANCEL, IDYES, IDNO ...) as a click
// would: posts WM_COMMAND BN_CLICKED to the dialog, waits until the dialog
// is gone, then re-synchronises with the main window.
bool pressDialogButton(App& app, HWND dialog, int buttonId, int timeoutMs = kDialogTimeoutMs);

// What the window looks like.
std::string windowTitle(const App& app);
// The window rectangle and the client rectangle, both in screen coordinates.
bool windowRect(App& app, RECT* out);
bool clientRect(App& app, RECT* out);

// One scroll bar as the bar itself keeps it (read inside the target).
struct ScrollReading {
  bool shown = false;   // the window style carries the bar
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;
};
bool readScroll(App& app, int bar, ScrollReading* out);

// Menu item state by command number (MF_GRAYED and friends). With refresh,
// the program's WM_INITMENUPOPUP rules run first, as when the user opens
// the popup.
bool readMenuState(App& app, int command, UINT* state, bool refresh = true);

// The client area as the screen shows it, one 0x00RRGGBB value per pixel.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // row-major, top row first
  uint32_t at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
bool captureClient(App& app, Capture* out);

// A colour as 0x00RRGGBB.
inline uint32_t rgb(int r, int g, int b) {
  return ((uint32_t)r << 16) | ((uint32_t)g << 8) | (uint32_t)b;
}
