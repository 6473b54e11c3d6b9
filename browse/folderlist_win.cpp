// The folder of the shown picture, listed once per opened picture in natural
// order (p2.jpg before p10.jpg), with the position of the shown one.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browse/browse.h"
#include "browse/pathsplit.h"
#include "core/appstate.h"
#include "picture/filetype.h"

namespace {

const size_t compareChars = 256;  // 255 characters and the terminator

// A name as natural order compares it: widened from the ANSI code page and
// cut to 255 characters. Bytes that are not valid text are widened one by
// one, so a broken name still sorts somewhere instead of comparing as empty.
std::wstring widenName(const std::string& name) {
  wchar_t wide[MAX_PATH * 2];
  int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.c_str(),
                                  static_cast<int>(name.size()), wide, MAX_PATH * 2);
  std::wstring result;
  if (count > 0 || name.empty()) {
    result.assign(wide, static_cast<size_t>(count > 0 ? count : 0));
  } else {
    for (unsigned char byte : name) result.push_back(byte);
  }
  if (result.size() > compareChars - 1) result.resize(compareChars - 1);
  return result;
}

// A listed name with its comparison text, widened once per scan.
struct Entry {
  std::wstring key;
  std::string name;
};

// Sorts the names found into natural order; of names that compare equal the
// one found first stays.
std::vector<std::string> naturalOrder(std::vector<Entry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return StrCmpLogicalW(a.key.c_str(), b.key.c_str()) < 0;
  });
  std::vector<std::string> names;
  names.reserve(entries.size());
  const Entry* previous = nullptr;
  for (const Entry& entry : entries) {
    if (previous && StrCmpLogicalW(previous->key.c_str(), entry.key.c_str()) == 0) continue;
    names.push_back(entry.name);
    previous = &entry;
  }
  return names;
}

int scanInto(const char* path) {
  FolderList& list = app.folder;
  long split = lastBackslash(path, isSystemLeadByte);
  std::string folder;
  std::string fileName;
  if (split < 0) {
    // A bare file name: its folder is the current directory.
    char current[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH) return 0;
    folder = current;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    fileName = path;
  } else {
    folder.assign(path, static_cast<size_t>(split));
    fileName = path + split + 1;
  }
  list.scannedName = fileName.substr(0, MAX_PATH - 1);
  if (folder.size() >= MAX_PATH) return 0;
  list.folderPath = folder;
  if (fileName.size() >= 80) return -2;

  std::string pattern = folder + "\\*.*";
  // Only long names are used: no short names to make for every entry.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return -1;
  std::vector<Entry> entries;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (classifyExtension(found.cFileName) == FileTypeNone) continue;
    entries.push_back(Entry{widenName(found.cFileName), found.cFileName});
  } while (FindNextFileA(search, &found));
  FindClose(search);

  list.names = naturalOrder(entries);
  list.nameCount = static_cast<int>(list.names.size());
  list.folderIndex = 0;
  for (int i = 0; i < list.nameCount; ++i)
    if (list.names[i] == fileName) list.folderIndex = i;
  return 1;
}

}  // namespace

int naturalCompare(const std::string& a, const std::string& b) {
  return StrCmpLogicalW(widenName(a).c_str(), widenName(b).c_str());
}

int scanFolder(const char* path) {
  int result = path ? scanInto(path) : 0;
  app.folder.folderCount = result == 1 ? app.folder.nameCount : 0;
  return result;
}

std::string nameAt(int index) {
  const FolderList& list = app.folder;
  if (index < 0 || index >= list.nameCount) return std::string();
  return list.names[static_cast<size_t>(index)];
}
