// Help goes through the HTML Help control, which is not linked: its HTML
// Help function (export ordinal 14 of hhctrl.ocx) is bound on the first call.
// The control's own registration names its file; failing that it is loaded
// by name. Once loading or binding has failed, every call answers 0 without
// trying again: help then shows nothing and message pre-translation lets
// every message through.
#include <cstring>
#include <string>

#include "shell/shell.h"

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

struct HelpBinding {
  HMODULE module;
  HtmlHelpFunction entry;
  int failed;
};

HelpBinding binding = {nullptr, nullptr, 0};

const char controlKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

}  // namespace

int readControlPathFrom(HKEY root, const char* subkey, char* path) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  char value[MAX_PATH];
  DWORD type = 0;
  DWORD size = sizeof value - 1;
  int success = 0;
  if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
      ERROR_SUCCESS) {
    value[size < sizeof value ? size : sizeof value - 1] = '\0';
    value[sizeof value - 1] = '\0';
    if (type == REG_EXPAND_SZ) {
      DWORD length = ExpandEnvironmentStringsA(value, path, MAX_PATH);
      success = length >= 1 && length <= MAX_PATH;
    } else {
      size_t length = std::strlen(value);
      if (length < MAX_PATH) {
        std::memcpy(path, value, length + 1);
        success = 1;
      }
    }
  }
  RegCloseKey(key);
  return success;
}

int readControlPath(char* path) { return readControlPathFrom(HKEY_CLASSES_ROOT, controlKey, path); }

void forgetHelpBinding(int failed) {
  binding.module = nullptr;
  binding.entry = nullptr;
  binding.failed = failed;
}

HWND htmlHelp(HWND owner, const char* file, UINT command, DWORD_PTR data) {
  if (!binding.module && !binding.failed) {
    char path[MAX_PATH];
    if (readControlPath(path)) binding.module = LoadLibraryA(path);
    if (!binding.module) binding.module = LoadLibraryA("hhctrl.ocx");
    if (!binding.module) binding.failed = 1;
  }
  if (!binding.module) return nullptr;
  if (!binding.entry) {
    binding.entry = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(binding.module, MAKEINTRESOURCEA(14))));
    if (!binding.entry) {
      binding.failed = 1;
      return nullptr;
    }
  }
  return binding.entry(owner, file, command, data);
}

std::string helpFilePath(const char* fileAndTopic) {
  // The help file lies beside the program. HTML Help looks for a bare name
  // in the current folder, which is the program's own only when it was
  // started from there.
  char module[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return fileAndTopic;
  std::string path(module, length);
  return path.substr(0, path.rfind('\\') + 1) + fileAndTopic;
}
