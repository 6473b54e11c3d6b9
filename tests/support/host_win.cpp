#include "tests/support/host_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/wait.h"

namespace qbtest {

std::string unixPathOf(const std::string& windowsPath) {
  typedef char*(CDECL * ToUnix)(const WCHAR*);
  ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  wchar_t wide[MAX_PATH];
  if (!toUnix || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH))
    return std::string();
  char* unixPath = toUnix(wide);
  if (!unixPath) return std::string();
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

bool runOnHost(const std::string& script, std::string* output, std::string* error,
               int timeoutMs) {
  // Wine starts host programs without waiting for them, so the script's
  // output is moved into place last and waited for.
  static int serial = 0;
  char base[80];
  std::snprintf(base, sizeof base, "/tmp/qb-host-%lu-%d.txt", GetCurrentProcessId(), ++serial);
  const std::string result = base;
  std::string command = "/bin/sh -c \"(" + script + ") > '" + result + ".part' 2>&1; mv '" +
                        result + ".part' '" + result + "'\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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
  DeleteFileA(windowsResult.c_str());
  return true;
}

}  // namespace qbtest
