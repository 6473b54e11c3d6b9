// File helpers of the Wine tests: test data through Wine's Z: drive, a
// fresh scratch folder per test, and listings to prove that nothing was
// left behind.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "imgctl/gif_codec.h"
#include "imgctl/pixmap.h"

namespace imgctl_test {

// A path under tests/data as Windows sees it.
inline std::string testData(const std::string& relative) {
  std::string path = "Z:" + std::string(QB_TESTDATA) + "/" + relative;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// An empty folder of its own under the temporary folder; "" on failure.
inline std::string scratchFolder(const char* name) {
  char base[MAX_PATH];
  if (GetTempPathA(MAX_PATH, base) == 0) return std::string();
  const std::string folder =
      std::string(base) + "qbimgctl_" + name + "_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

inline std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

inline void emptyFolder(const std::string& folder) {
  for (const std::string& name : filesIn(folder)) {
    const std::string path = folder + "\\" + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
}

inline bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::vector<uint8_t> readWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  DWORD size = GetFileSize(file, nullptr);
  bytes.resize(size);
  DWORD got = 0;
  if (size > 0 && !ReadFile(file, bytes.data(), size, &got, nullptr)) bytes.clear();
  CloseHandle(file);
  return bytes;
}

inline bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
  CloseHandle(file);
  return ok;
}

// The pixels of a GIF file written by the library; width 0 when it does not
// decode.
inline imgctl::Pixmap gifPixels(const std::string& path) {
  const std::vector<uint8_t> bytes = readWholeFile(path);
  imgctl::DecodedGif d;
  imgctl::Pixmap p;
  if (imgctl::decodeGif(bytes.data(), bytes.size(), d) != imgctl::kDecodeOk) return p;
  p.width = d.width;
  p.height = d.height;
  for (uint8_t i : d.indices) p.pixels.push_back(d.palette.colours[i]);
  return p;
}

}  // namespace imgctl_test
