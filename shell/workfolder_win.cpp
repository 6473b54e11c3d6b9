// The working folder for temporary files (the rendered bitmap and the frame
// GIFs): <application data>\quobixpics\tempf on current systems, tempf next
// to the program before Vista. It is emptied at every start.
//
// workFolder stays empty when it could not be set up, and then nothing is
// listed or deleted: an empty folder would turn the pattern into "\*.*", the
// root of the current drive (under Wine, the host's /).
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "browse/pathsplit.h"
#include "core/appstate.h"
#include "shell/shell.h"

namespace {

const char subfolderName[] = "tempf";

bool setWorkFolder(const std::string& path) {
  if (path.size() >= MAX_PATH) return false;
  std::memcpy(app.workFolder, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

int makeAppDataFolder(const char* name) {
  char appData[MAX_PATH] = "";
  // Without the application-data folder there is no base folder to make.
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)) ||
      appData[0] == '\0')
    return 0;
  std::string base = std::string(appData) + "\\quobixpics";
  std::string full = base + "\\" + name;
  if (full.size() >= MAX_PATH) return 0;
  if (PathIsDirectoryA(base.c_str())) {
    if (!PathIsDirectoryA(full.c_str()) && !CreateDirectoryA(full.c_str(), nullptr)) return -2;
  } else {
    if (!CreateDirectoryA(base.c_str(), nullptr)) return 0;
    if (!CreateDirectoryA(full.c_str(), nullptr)) return -1;
  }
  return setWorkFolder(full) ? 1 : 0;
}

int useProgramFolder(const char* name) {
  char modulePath[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  long split = lastBackslash(modulePath, isSystemLeadByte);
  return setWorkFolder(std::string(modulePath, static_cast<size_t>(split + 1)) + name) ? 1 : 0;
}

int setUpWorkFolder(HWND window) {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExA(&version) && version.dwMajorVersion < 6) {
    useProgramFolder(subfolderName);
    return 1;
  }
  int result = makeAppDataFolder(subfolderName);
  if (result == 0)
    MessageBoxA(window, "記録ファイル保管場所作成に失敗", "Error1", MB_OK);
  else if (result == -1)
    MessageBoxA(window, "フォルダ保管場所作成に失敗", "Error2", MB_OK);
  return 1;
}

int clearWorkFolder() {
  if (app.workFolder[0] == '\0') return -1;
  std::string prefix = std::string(app.workFolder) + "\\";
  std::string pattern = prefix + "*.*";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    DeleteFileA((prefix + found.cFileName).c_str());
    ++count;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}
