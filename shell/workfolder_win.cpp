// The working folder for temporary files (the rendered bitmap and the frame
// GIFs): <application data>\quobixpics\tempf on current systems, tempf next
// to the program before Vista. It is emptied at every start.
//
// workFolder stays empty when it could not be set up, and then nothing is
// listed or deleted: an empty folder would turn the pattern into "\*.*", the
// root of the current drive (under Wine, the host's /).
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "browse/pathsplit.h"
#include "core/appstate.h"
#include "shell/shell.h"

namespace {

const wchar_t subfolderName[] = L"tempf";

bool setWorkFolder(const std::wstring& path) {
  if (path.size() >= MAX_PATH) return false;
  std::wmemcpy(app.workFolder, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

int makeAppDataFolder(const wchar_t* name) {
  wchar_t appData[MAX_PATH] = L"";
  // Without the application-data folder there is no base folder to make.
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)) ||
      appData[0] == L'\0')
    return 0;
  std::wstring base = std::wstring(appData) + L"\\quobixpics";
  std::wstring full = base + L"\\" + name;
  if (full.size() >= MAX_PATH) return 0;
  if (PathIsDirectoryW(base.c_str())) {
    if (!PathIsDirectoryW(full.c_str()) && !CreateDirectoryW(full.c_str(), nullptr)) return -2;
  } else {
    if (!CreateDirectoryW(base.c_str(), nullptr)) return 0;
    if (!CreateDirectoryW(full.c_str(), nullptr)) return -1;
  }
  return setWorkFolder(full) ? 1 : 0;
}

int useProgramFolder(const wchar_t* name) {
  wchar_t modulePath[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  long split = lastBackslash(modulePath);
  return setWorkFolder(std::wstring(modulePath, static_cast<size_t>(split + 1)) + name) ? 1 : 0;
}

int setUpWorkFolder(HWND window) {
  OSVERSIONINFOW version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(&version) && version.dwMajorVersion < 6) {
    useProgramFolder(subfolderName);
    return 1;
  }
  int result = makeAppDataFolder(subfolderName);
  if (result == 0)
    MessageBoxW(window, L"記録ファイル保管場所作成に失敗", L"Error1", MB_OK);
  else if (result == -1)
    MessageBoxW(window, L"フォルダ保管場所作成に失敗", L"Error2", MB_OK);
  return 1;
}

int clearWorkFolder() {
  if (app.workFolder[0] == L'\0') return -1;
  std::wstring prefix = std::wstring(app.workFolder) + L"\\";
  std::wstring pattern = prefix + L"*.*";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    DeleteFileW((prefix + found.cFileName).c_str());
    ++count;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}
