// Help goes through the HTML Help control, which is not linked: its HTML
// Help function for UTF-16 paths (export ordinal 15 of hhctrl.ocx) is bound
// on the first call.
// The control's own registration names its file; failing that it is loaded
// by name. Once loading or binding has failed, every call answers 0 without
// trying again: help then shows nothing and message pre-translation lets
// every message through.
#include <cwchar>
#include <string>

#include "shell/shell.h"

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

const WORD htmlHelpOrdinal = 15;

struct HelpBinding {
  HMODULE module;
  HtmlHelpFunction entry;
  int failed;
};

HelpBinding binding = {nullptr, nullptr, 0};

const wchar_t controlKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

}  // namespace

int readControlPathFrom(HKEY root, const wchar_t* subkey, wchar_t* path) {
  HKEY key;
  if (RegOpenKeyExW(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  const DWORD units = MAX_PATH;
  wchar_t value[units];
  DWORD type = 0;
  DWORD size = (units - 1) * sizeof(wchar_t);
  int success = 0;
  if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
      ERROR_SUCCESS) {
    // The stored value need not end in a terminator.
    DWORD count = size / sizeof(wchar_t);
    value[count < units ? count : units - 1] = L'\0';
    if (type == REG_EXPAND_SZ) {
      DWORD length = ExpandEnvironmentStringsW(value, path, MAX_PATH);
      success = length >= 1 && length <= MAX_PATH;
    } else {
      size_t length = std::wcslen(value);
      if (length < MAX_PATH) {
        std::wmemcpy(path, value, length + 1);
        success = 1;
      }
    }
  }
  RegCloseKey(key);
  return success;
}

int readControlPath(wchar_t* path) { return readControlPathFrom(HKEY_CLASSES_ROOT, controlKey, path); }

void forgetHelpBinding(int failed) {
  binding.module = nullptr;
  binding.entry = nullptr;
  binding.failed = failed;
}

HWND htmlHelp(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data) {
  if (!binding.module && !binding.failed) {
    wchar_t path[MAX_PATH];
    if (readControlPath(path)) binding.module = LoadLibraryW(path);
    if (!binding.module) binding.module = LoadLibraryW(L"hhctrl.ocx");
    if (!binding.module) binding.failed = 1;
  }
  if (!binding.module) return nullptr;
  if (!binding.entry) {
    binding.entry = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(binding.module, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(htmlHelpOrdinal)))));
    if (!binding.entry) {
      binding.failed = 1;
      return nullptr;
    }
  }
  return binding.entry(owner, file, command, data);
}

std::wstring helpFilePath(const wchar_t* fileAndTopic) {
  // The help file lies beside the program. HTML Help looks for a bare name
  // in the current folder, which is the program's own only when it was
  // started from there.
  wchar_t module[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return fileAndTopic;
  std::wstring path(module, length);
  return path.substr(0, path.rfind(L'\\') + 1) + fileAndTopic;
}

void closeHelpWindows(HWND window) {
  const UINT hhGetWinHandle = 6, hhCloseAll = 18;
  if (htmlHelp(window, helpFilePath(L"quoblens.chm").c_str(), hhGetWinHandle,
               reinterpret_cast<DWORD_PTR>(L"wintype1")))
    htmlHelp(nullptr, nullptr, hhCloseAll, 0);
}
