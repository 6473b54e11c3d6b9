// Temp-then-replace on Windows. The work is done on UTF-16 paths, where a
// backslash is always a separator and every name the system holds can be
// written.
//
// The temporary file's name is short and chosen to fit: a path the target
// fits in (259 characters) always has room for it, so a target deep in the
// folders never fails at the last step with a full temporary file left
// beside it.
#include "core/replace.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

namespace {

// Longest temporary name: "~qb" and up to eight base-36 digits.
const size_t kTempNameMax = 11;

// The folder part of target with its separator ("" for a bare name, which
// lives in the current folder), in folder (MAX_PATH units).
bool folderOf(const wchar_t* target, wchar_t* folder) {
  const wchar_t* slash = std::wcsrchr(target, L'\\');
  const wchar_t* other = std::wcsrchr(target, L'/');
  if (other && (!slash || other > slash)) slash = other;
  const wchar_t* colon = std::wcschr(target, L':');
  if (!slash && colon) slash = colon;  // "C:name" is relative to C:'s current folder
  size_t length = slash ? static_cast<size_t>(slash - target) + 1 : 0;
  if (length >= MAX_PATH) return false;
  std::wmemcpy(folder, target, length);
  folder[length] = L'\0';
  return true;
}

bool isReadOnlyFile(const wchar_t* path) {
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool makeWideSiblingTemp(const wchar_t* target, wchar_t* temp) {
  temp[0] = L'\0';
  if (!target || !target[0]) return false;
  // A read-only file is the user's protection: Windows refuses to replace
  // it, Wine would not. It is refused here, before anything is written.
  if (isReadOnlyFile(target)) return false;
  wchar_t folder[MAX_PATH];
  if (!folderOf(target, folder)) return false;
  size_t folderLength = std::wcslen(folder);
  if (folderLength + 4 >= MAX_PATH) return false;  // no room for even "~qb0"
  size_t room = MAX_PATH - 1 - folderLength;
  size_t digits = (room < kTempNameMax ? room : kTempNameMax) - 3;
  // A different start in every process and call keeps collisions rare;
  // CREATE_NEW makes each candidate safe whatever is there.
  unsigned long long seed = (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
                            GetTickCount() ^ reinterpret_cast<uintptr_t>(temp);
  for (int attempt = 0; attempt < 64; ++attempt) {
    unsigned long long n = seed + attempt * 7919ull;
    wchar_t name[kTempNameMax + 1] = L"~qb";
    for (size_t i = 0; i < digits; ++i, n /= 36)
      name[3 + i] = L"0123456789abcdefghijklmnopqrstuvwxyz"[n % 36];
    name[3 + digits] = L'\0';
    std::wmemcpy(temp, folder, folderLength);
    std::wcscpy(temp + folderLength, name);
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  temp[0] = L'\0';
  return false;
}

}  // namespace

bool makeSiblingTemp(const std::filesystem::path& target, std::filesystem::path* temp) {
  temp->clear();
  if (target.native().size() >= MAX_PATH) return false;
  wchar_t wideTemp[MAX_PATH];
  if (!makeWideSiblingTemp(target.c_str(), wideTemp)) return false;
  *temp = wideTemp;
  return true;
}

bool replaceWithTemp(const std::filesystem::path& temp, const std::filesystem::path& target) {
  if (!isReadOnlyFile(target.c_str()) &&
      MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temp.c_str());
  return false;
}

void removeTemp(const std::filesystem::path& temp) {
  if (!temp.empty()) DeleteFileW(temp.c_str());
}

bool isWritableTarget(const std::filesystem::path& target) {
  std::filesystem::path temp;
  if (!makeSiblingTemp(target, &temp)) return false;
  removeTemp(temp);
  return true;
}

bool writeFileReplacing(const std::filesystem::path& target, const void* bytes, size_t size) {
  std::filesystem::path temp;
  if (!makeSiblingTemp(target, &temp)) return false;
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE;
  if (ok) {
    DWORD wrote = 0;
    ok = WriteFile(file, bytes, static_cast<DWORD>(size), &wrote, nullptr) && wrote == size;
    ok = CloseHandle(file) && ok;
  }
  if (!ok) {
    removeTemp(temp);
    return false;
  }
  return replaceWithTemp(temp, target);
}
