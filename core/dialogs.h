// Helpers every dialog of the program uses: reading a number from an edit,
// and the common open and save dialogs.
#pragma once

#include <windows.h>

#include <string>

// --- dialogint_win.cpp -------------------------------------------------------

// Reads a number from a dialog edit: 0 (out untouched) for an empty edit, -1
// (out untouched) when the text cannot be read, 1 with the value in out.
int readDialogInt(HWND dialog, int controlId, int* out);

// The edit's text for a number parser: 0 for an empty edit, -1 when it
// cannot be read, 1 with the text, every character outside ASCII (which no
// number holds) as '?'.
int readDialogNumberText(HWND dialog, int controlId, std::string* text);

// Puts a number's ASCII text into a dialog item.
void setDialogNumberText(HWND dialog, int controlId, const char* text);

// --- filedialog_win.cpp ------------------------------------------------------

// What differs between the program's file dialogs.
struct FileDialogKind {
  const wchar_t* filter;     // pairs of display text and pattern, ended by an empty pair
  const wchar_t* title;
  const wchar_t* defaultExtension;
  int save;                  // 1 for the save dialog (the overwrite question), 0 for open
};

// Runs the dialog on owner. path (MAX_PATH units) holds the proposed file on
// entry and the chosen one on OK. 1 chosen, 0 cancelled or failed.
int runFileDialog(HWND owner, const FileDialogKind& kind, wchar_t* path);
