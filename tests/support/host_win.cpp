#include "tests/support/host_win.h"

#include <windows.h>

#include <cstdio>

#include "tests/support/files.h"
#include "tests/support/text.h"
#include "tests/support/wait.h"

namespace qbtest {

// Wine gives the host's path in the host's encoding, UTF-8.
std::string unixPathOf(const std::string& windowsPath) {
  typedef char*(CDECL * ToUnix)(const WCHAR*);
  ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix || windowsPath.empty()) return std::string();
  char* unixPath = toUnix(wide(windowsPath).c_str());
  if (!unixPath) return std::string();
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

bool runOnHost(const std::string& script, std::string* output, std::string* error,
               int timeoutMs) {
  // Wine starts host programs without waiting for them, so the script's
  // output is moved into place last and waited for. The command line
  // reaches the host in UTF-8, so the script may name any file.
  static int serial = 0;
  char base[80];
  std::snprintf(base, sizeof base, "/tmp/qb-host-%lu-%d.txt", GetCurrentProcessId(), ++serial);
  const std::string result = base;
  std::string command = "/bin/sh -c \"(" + script + ") > '" + result + ".part' 2>&1; mv '" +
                        result + ".part' '" + result + "'\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring line = wide(command);
  if (!CreateProcessW(L"Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    *error = "cannot start /bin/sh";
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string windowsResult = "Z:" + result;
  for (char& c : windowsResult) c = c == '/' ? '\\' : c;
  if (!waitUntil([&] { return fileExists(windowsResult); }, timeoutMs, 50)) {
    *error = "the host command did not finish: " + script;
    return false;
  }
  *output = readFile(windowsResult);
  DeleteFileW(wide(windowsResult).c_str());
  return true;
}

}  // namespace qbtest
