// The application shell: start-up, the main window, command dispatch, help,
// the working folder and the dialog helpers every dialog uses.
#pragma once

#include <windows.h>

#include <string>

// The program's own strings, in one place.
#define QB_CLASS_NAME "quobixlens"
#define QB_INITIAL_TITLE "クオビクス・画像回転"

// Private message the animated-GIF worker posts when it ends.
const UINT WorkerDone = WM_USER;

// --- mainwindow_win.cpp ------------------------------------------------------

ATOM registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void updateTitle(HWND window);
int confirmClose(HWND window);

// --- commands_win.cpp --------------------------------------------------------

int dispatchCommand(HWND window, int command);

// The title after a step through the folder that returned result.
void afterStep(HWND window, int result);

// --- htmlhelp_win.cpp --------------------------------------------------------

// Every help call goes through here: what the control's HTML Help function
// answers, or 0 when the control cannot be loaded or bound.
HWND htmlHelp(HWND owner, const char* file, UINT command, DWORD_PTR data);

// The HTML Help control's file as registered (REG_EXPAND_SZ expanded) into
// path (MAX_PATH): 1 when read. readControlPathFrom reads any key, so tests
// need not touch the real registration.
int readControlPath(char* path);
int readControlPathFrom(HKEY root, const char* subkey, char* path);

// The help file beside the program, with its topic: fileAndTopic is the
// file name as the help calls give it ("quoblens.chm::/...").
std::string helpFilePath(const char* fileAndTopic);

// Drops the binding (tests only): failed 1 makes every call answer 0.
void forgetHelpBinding(int failed);

// --- about_win.cpp -----------------------------------------------------------

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void openSupportPage(HWND window);

// --- workfolder_win.cpp ------------------------------------------------------

int setUpWorkFolder(HWND window);
int makeAppDataFolder(const char* name);
int useProgramFolder(const char* name);
int clearWorkFolder();

// --- workerdone_win.cpp -----------------------------------------------------

// The text of a worker's end: by result code and, for 1, by its state (2
// made, else stopped). 1, or 0 with the text of an unexpected state.
int workerResultText(char* buffer, size_t size, int code, int state);
// WorkerDone: joins the worker, restores the title, shows the outcome and
// releases the job.
void onWorkerDone(HWND window);
// The worker's progress: the title "アニメGIF作成中... done/total".
void onWorkerProgress(HWND window, WPARAM done, LPARAM total);
// Command 2900. 1 when the program is ending (Yes to the force-stop
// question), else 0.
int forceStopWorker(HWND window, HANDLE thread);

// --- dialogint_win.cpp -------------------------------------------------------

// Reads a number from a dialog edit: 0 (out untouched) for an empty edit, -1
// (out untouched) when the text cannot be read, 1 with the value in out.
int readDialogInt(HWND dialog, int controlId, int* out);
