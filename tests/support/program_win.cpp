#include "tests/support/program_win.h"

#include <shlobj.h>

namespace qbtest {

std::string programWorkFolder() {
  char appData[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
  return std::string(appData) + "\\quobixpics\\tempf";
}

HWND testWindow() {
  static HWND window = nullptr;
  if (window) return window;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "qbtestwindow";
  RegisterClassA(&windowClass);
  window = CreateWindowA("qbtestwindow", "test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
  return window;
}

}  // namespace qbtest
