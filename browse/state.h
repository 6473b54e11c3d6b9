// The folder list the program-wide record keeps. Plain values only:
// core/appstate.h includes this header.
#pragma once

#include <string>
#include <vector>

// The sorted picture files of the shown picture's folder.
struct FolderList {
  std::wstring folderPath;          // folder of the last scanned picture, no trailing '\'
  std::vector<std::wstring> names;  // file names in natural order, each once
  int nameCount;                    // entries in names
  int folderCount;                  // navigable count: nameCount after a good scan, else 0
  int folderIndex;                  // index in names of the shown picture
  std::wstring scannedName;         // file name of the last scanned path (title after a failed scan)
};
