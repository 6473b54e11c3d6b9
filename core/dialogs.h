// Helpers every dialog of the program uses: reading a number from an edit,
// and the common open and save dialogs.
#pragma once

#include <windows.h>

// --- dialogint_win.cpp -------------------------------------------------------

// Reads a number from a dialog edit: 0 (out untouched) for an empty edit, -1
// (out untouched) when the text cannot be read, 1 with the value in out.
int readDialogInt(HWND dialog, int controlId, int* out);

// --- filedialog_win.cpp ------------------------------------------------------

// What differs between the program's file dialogs.
struct FileDialogKind {
  const char* filter;        // pairs of display text and pattern, ended by an empty pair
  const char* title;
  const char* defaultExtension;
  int save;                  // 1 for the save dialog (the overwrite question), 0 for open
};

// Runs the dialog on owner. path (MAX_PATH bytes) holds the proposed file on
// entry and the chosen one on OK. 1 chosen, 0 cancelled or failed.
int runFileDialog(HWND owner, const FileDialogKind& kind, char* path);
