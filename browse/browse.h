// Folder browsing: the naturally sorted picture files of the shown picture's
// folder.
#pragma once

#include <windows.h>

#include <string>

// --- folderlist_win.cpp ------------------------------------------------------

// Scans the folder of path (the picture just shown) into AppState's
// FolderList: 1 success, 0 folder part unusable, -2 file name too long, -1
// folder cannot be enumerated. Sets folderCount to nameCount on success and
// to 0 on failure.
int scanFolder(const wchar_t* path);

// The entry at index, or the empty text outside the list.
std::wstring nameAt(int index);

// Natural order of two names: case ignored, digit runs by value.
int naturalCompare(const std::wstring& a, const std::wstring& b);

// --- step_win.cpp -----------------------------------------------------------

// The entry after (before) the shown one, in *target: 1 chosen, 0 when the
// user declined to wrap around at the end (start) of the list, or when the
// wrap question is already open.
int chooseNext(HWND window, int* target);
int choosePrevious(HWND window, int* target);

// The full path of the list's entry at index.
std::wstring entryPath(int index);
