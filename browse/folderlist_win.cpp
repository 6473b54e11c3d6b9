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

// A name as natural order compares it: cut to 255 characters.
std::wstring compareKey(const std::wstring& name) {
  return name.size() > compareChars - 1 ? name.substr(0, compareChars - 1) : name;
}

// A listed name with its comparison text, made once per scan.
struct Entry {
  std::wstring key;
  std::wstring name;
};

// Sorts the names found into natural order; of names that compare equal the
// one found first stays.
std::vector<std::wstring> naturalOrder(std::vector<Entry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return StrCmpLogicalW(a.key.c_str(), b.key.c_str()) < 0;
  });
  std::vector<std::wstring> names;
  names.reserve(entries.size());
  const Entry* previous = nullptr;
  for (const Entry& entry : entries) {
    if (previous && StrCmpLogicalW(previous->key.c_str(), entry.key.c_str()) == 0) continue;
    names.push_back(entry.name);
    previous = &entry;
  }
  return names;
}

int scanInto(const wchar_t* path) {
  FolderList& list = app.folder;
  long split = lastBackslash(path);
  std::wstring folder;
  std::wstring fileName;
  if (split < 0) {
    // A bare file name: its folder is the current directory.
    wchar_t current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH) return 0;
    folder = current;
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    fileName = path;
  } else {
    folder.assign(path, static_cast<size_t>(split));
    fileName = path + split + 1;
  }
  list.scannedName = fileName.substr(0, MAX_PATH - 1);
  if (folder.size() >= MAX_PATH) return 0;
  list.folderPath = folder;
  if (fileName.size() >= 80) return -2;

  std::wstring pattern = folder + L"\\*.*";
  // Only long names are used: no short names to make for every entry.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return -1;
  std::vector<Entry> entries;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (classifyExtension(found.cFileName) == FileTypeNone) continue;
    entries.push_back(Entry{compareKey(found.cFileName), found.cFileName});
  } while (FindNextFileW(search, &found));
  FindClose(search);

  list.names = naturalOrder(entries);
  list.nameCount = static_cast<int>(list.names.size());
  list.folderIndex = 0;
  for (int i = 0; i < list.nameCount; ++i)
    if (list.names[i] == fileName) list.folderIndex = i;
  return 1;
}

}  // namespace

int naturalCompare(const std::wstring& a, const std::wstring& b) {
  return StrCmpLogicalW(compareKey(a).c_str(), compareKey(b).c_str());
}

int scanFolder(const wchar_t* path) {
  int result = path ? scanInto(path) : 0;
  app.folder.folderCount = result == 1 ? app.folder.nameCount : 0;
  return result;
}

std::wstring nameAt(int index) {
  const FolderList& list = app.folder;
  if (index < 0 || index >= list.nameCount) return std::wstring();
  return list.names[static_cast<size_t>(index)];
}
