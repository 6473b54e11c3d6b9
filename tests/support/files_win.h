// File helpers shared by the Wine and end-to-end tests: listings that prove
// nothing was left behind, whole-file reads, and the program's working
// folder. Header only, so the end-to-end tests need not link the program.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

// The names of the files (not folders) in a folder; empty when it cannot be
// listed.
inline std::set<std::string> filesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// A whole file's bytes; empty when it cannot be read.
inline std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The working folder the program sets up for this user.
inline std::string programWorkFolder() {
  char appData[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
  return std::string(appData) + "\\quobixpics\\tempf";
}
