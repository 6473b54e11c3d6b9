// The folder of the shown picture, listed once per opened picture in natural
// order (p2.jpg before p10.jpg), with the position of the shown one.
#include <windows.h>
#include <shlwapi.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <set>

#include "browse/browse.h"
#include "browse/pathsplit.h"
#include "core/appstate.h"
#include "picture/filetype.h"

namespace {

const size_t compareChars = 256;  // 255 characters and the terminator

// Widens a name through the C library's (Japanese) locale, truncated to 255
// characters. Bytes that are not valid text are widened one by one, so a
// broken name still sorts somewhere instead of comparing as empty.
void widenName(const std::string& name, wchar_t* wide) {
  size_t count = mbstowcs(wide, name.c_str(), compareChars - 1);
  if (count == static_cast<size_t>(-1)) {
    count = 0;
    while (count < compareChars - 1 && count < name.size()) {
      wide[count] = static_cast<unsigned char>(name[count]);
      ++count;
    }
  }
  wide[count < compareChars - 1 ? count : compareChars - 1] = L'\0';
}

struct NaturalLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return naturalCompare(a, b) < 0;
  }
};

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
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  std::set<std::string, NaturalLess> sorted;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (classifyExtension(found.cFileName) == FileTypeNone) continue;
    sorted.insert(found.cFileName);  // an equal name found earlier stays
  } while (FindNextFileA(search, &found));
  FindClose(search);

  list.names.assign(sorted.begin(), sorted.end());
  list.nameCount = static_cast<int>(list.names.size());
  list.folderIndex = 0;
  for (int i = 0; i < list.nameCount; ++i)
    if (list.names[i] == fileName) list.folderIndex = i;
  return 1;
}

}  // namespace

int naturalCompare(const std::string& a, const std::string& b) {
  setlocale(LC_ALL, "japanese");
  wchar_t wideA[compareChars];
  wchar_t wideB[compareChars];
  widenName(a, wideA);
  widenName(b, wideB);
  return StrCmpLogicalW(wideA, wideB);
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
