// files.h in the Windows tree: the ANSI calls, which take code page 932
// names as the program does.
#include "tests/support/files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace qbtest {

std::string testDataPath(const std::string& relative) {
  std::string path = std::string("Z:") + QB_TESTDATA + "/" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  static int serial = 0;
  for (;;) {
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%sqbtest-%lu-%d", temp, GetCurrentProcessId(), ++serial);
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      return;
    }
  }
}

std::string ScratchFolder::file(const std::string& name) const { return path_ + "\\" + name; }

std::string ScratchFolder::copy(const std::string& dataRelative, const std::string& name) const {
  const std::string target = file(name);
  EXPECT_TRUE(CopyFileA(testDataPath(dataRelative).c_str(), target.c_str(), FALSE))
      << dataRelative;
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  return target;
}

void ScratchFolder::makeFolder(const std::string& name) const {
  EXPECT_TRUE(CreateDirectoryA(file(name).c_str(), nullptr)) << name;
}

std::set<std::string> filesIn(const std::string& folder) {
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

bool fileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void removeTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
  DeleteFileA(path.c_str());
}

}  // namespace qbtest
