// Temp-then-replace on Windows. The work is done on UTF-16 paths, where a
// backslash is always a separator (in code page 932 the second byte of a
// character may be 0x5C); narrow paths are widened from the ANSI code page.
#include "core/replace.h"

#include <windows.h>

#include <cwchar>

namespace {

const wchar_t tempPrefix[] = L"qbs";

bool widen(const std::string& path, wchar_t* wide) {
  wide[0] = L'\0';
  if (path.empty()) return false;
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide, MAX_PATH) > 0;
}

bool narrow(const wchar_t* wide, std::string* path) {
  char text[MAX_PATH * 2];
  BOOL lost = FALSE;
  int length =
      WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, &lost);
  if (length <= 0 || lost) return false;
  path->assign(text);
  return true;
}

}  // namespace

bool makeSiblingTemp(const wchar_t* target, wchar_t* temp) {
  temp[0] = L'\0';
  if (!target || !target[0]) return false;
  wchar_t folder[MAX_PATH];
  const wchar_t* slash = std::wcsrchr(target, L'\\');
  const wchar_t* other = std::wcsrchr(target, L'/');
  if (other && (!slash || other > slash)) slash = other;
  if (!slash) {
    std::wcscpy(folder, L".");
  } else {
    size_t length = static_cast<size_t>(slash - target);
    if (length == 0 || target[length - 1] == L':') ++length;  // keep the root's own '\'
    if (length >= MAX_PATH) return false;
    std::wmemcpy(folder, target, length);
    folder[length] = L'\0';
  }
  if (GetTempFileNameW(folder, tempPrefix, 0, temp) == 0) {
    temp[0] = L'\0';
    return false;
  }
  return true;
}

bool replaceWithTemp(const wchar_t* temp, const wchar_t* target) {
  if (MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileW(temp);
  return false;
}

bool makeSiblingTemp(const std::string& target, std::string* temp) {
  temp->clear();
  wchar_t wideTarget[MAX_PATH], wideTemp[MAX_PATH];
  if (!widen(target, wideTarget) || !makeSiblingTemp(wideTarget, wideTemp)) return false;
  if (narrow(wideTemp, temp)) return true;
  DeleteFileW(wideTemp);
  return false;
}

bool replaceWithTemp(const std::string& temp, const std::string& target) {
  wchar_t wideTemp[MAX_PATH], wideTarget[MAX_PATH];
  if (widen(temp, wideTemp) && widen(target, wideTarget)) return replaceWithTemp(wideTemp, wideTarget);
  removeTemp(temp);
  return false;
}

void removeTemp(const std::string& temp) {
  if (!temp.empty()) DeleteFileA(temp.c_str());
}

bool writeFileReplacing(const std::string& target, const void* bytes, size_t size) {
  std::string temp;
  if (!makeSiblingTemp(target, &temp)) return false;
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
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
