// The application shell, on top of every other folder: start-up, the main
// window, command dispatch, opening pictures, help, the working folder and
// the main window's side of the animated-GIF worker.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

// The program's own strings, in one place.
#define QB_CLASS_NAME L"quobixlens"
#define QB_INITIAL_TITLE L"クオビクス・画像回転"

// --- mainwindow_win.cpp ------------------------------------------------------

ATOM registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void updateTitle(HWND window);
int confirmClose(HWND window);

// --- commands_win.cpp --------------------------------------------------------

int dispatchCommand(HWND window, int command);

// --- open_win.cpp ------------------------------------------------------------

// Every way of opening releases the shown picture first (its playback
// stopped), then shows the new one laid out and rendered or playing.
// loadByPath: 1 shown; -1 not a picture extension (the shown picture
// stays); -2 no memory (nothing is shown); 0 no path.
int loadByPath(const wchar_t* path, HWND window);
// Shows app.currentPath: 1, or 0 when no picture could be made.
int loadCurrentPath(HWND window);
// The open dialog, starting at app.currentPath and leaving the choice there:
// 1 when a file was chosen (and shown), 0 when cancelled.
int openWithDialog(HWND window);
// The first file of a drop: its position in the drop extensions (shown), -1
// refused (path and picture as they were), -2 no memory or empty drop.
int loadDroppedFile(HDROP drop, HWND window);
// Lays out, marks and renders app.currentPicture just made.
void showNewPicture(HWND window);
// Stops and releases the shown picture, if any.
void releaseCurrentPicture();

// --- current_win.cpp ---------------------------------------------------------

// path becomes the current picture's path: the folder list is scanned
// afresh and the title follows.
void showAsCurrent(HWND window, const wchar_t* path);
// Space (forward) and BackSpace: the wrap question at either end, then the
// chosen entry is shown and the title follows.
void stepCommand(HWND window, bool forward);
// The title after a step that returned result: it names the shown picture,
// also after a failed step, or none when nothing could be shown.
void afterStep(HWND window, int result);

// --- htmlhelp_win.cpp --------------------------------------------------------

// Every help call goes through here: what the control's HTML Help function
// answers, or 0 when the control cannot be loaded or bound.
HWND htmlHelp(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data);

// The HTML Help control's file as registered (REG_EXPAND_SZ expanded) into
// path (MAX_PATH): 1 when read. readControlPathFrom reads any key, so tests
// need not touch the real registration.
int readControlPath(wchar_t* path);
int readControlPathFrom(HKEY root, const wchar_t* subkey, wchar_t* path);

// The help file beside the program, with its topic: fileAndTopic is the
// file name as the help calls give it ("quoblens.chm::/...").
std::wstring helpFilePath(const wchar_t* fileAndTopic);

// Closes the help file's windows, if one is open (the program is ending).
void closeHelpWindows(HWND window);

// Drops the binding (tests only): failed 1 makes every call answer 0.
void forgetHelpBinding(int failed);

// --- about_win.cpp -----------------------------------------------------------

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void openSupportPage(HWND window);

// --- workfolder_win.cpp ------------------------------------------------------

int setUpWorkFolder(HWND window);
int makeAppDataFolder(const wchar_t* name);
int useProgramFolder(const wchar_t* name);
int clearWorkFolder();

// --- workerdone_win.cpp -----------------------------------------------------

// The text of a worker's end: by WorkerResult and, for WorkerSucceeded, by
// its WorkerState (assembling: made, else stopped). 1, or 0 with the text of
// an unexpected state. size counts units.
int workerResultText(wchar_t* buffer, size_t size, int code, int state);
// WorkerDone: joins the worker, restores the title, shows the outcome and
// releases the job.
void onWorkerDone(HWND window);
// The worker's progress: the title "アニメGIF作成中... done/total".
void onWorkerProgress(HWND window, WPARAM done, LPARAM total);
// Command 2900. 1 when the program is ending (Yes to the force-stop
// question), else 0.
int forceStopWorker(HWND window, HANDLE thread);
