// files.h in the Windows tree: the W calls on UTF-8 paths, so that a test
// can name a file in any script whatever the ANSI code page, and test data
// reached through Wine's Z: drive.
#include "tests/support/files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/text.h"

namespace qbtest {

std::string testDataPath(const std::string& relative) {
  std::string path = std::string("Z:") + QB_TESTDATA + "/" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int serial = 0;
  for (;;) {
    std::string name = utf8(temp) + "qbtest-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(++serial);
    if (CreateDirectoryW(wide(name).c_str(), nullptr)) {
      path_ = name;
      return;
    }
  }
}

std::string ScratchFolder::file(const std::string& name) const { return path_ + "\\" + name; }

std::string ScratchFolder::copy(const std::string& dataRelative, const std::string& name) const {
  const std::wstring target = wide(file(name));
  EXPECT_TRUE(CopyFileW(wide(testDataPath(dataRelative)).c_str(), target.c_str(), FALSE))
      << dataRelative;
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  return file(name);
}

void ScratchFolder::makeFolder(const std::string& name) const {
  EXPECT_TRUE(CreateDirectoryW(wide(file(name)).c_str(), nullptr)) << name;
}

std::set<std::string> filesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(wide(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(utf8(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

bool fileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void removeTree(const std::string& path) {
  const std::wstring widePath = wide(path);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((widePath + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = widePath + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(utf8(child));
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(widePath.c_str());
  DeleteFileW(widePath.c_str());
}

std::string readFile(const std::string& path) {
  std::string bytes;
  // Shared as the C runtime shares, and for deletion too, so that a read
  // never makes the program's replacement of the file fail.
  HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  return CloseHandle(file) && ok;
}

}  // namespace qbtest
