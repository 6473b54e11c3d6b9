#include "tests/support/program_win.h"

#include <shlobj.h>

#include "tests/support/text.h"

namespace qbtest {

std::string programWorkFolder() {
  wchar_t appData[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
  return utf8(appData) + "\\quobixpics\\tempf";
}

HWND testWindow() {
  static HWND window = nullptr;
  if (window) return window;
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"qbtestwindow";
  RegisterClassW(&windowClass);
  window = CreateWindowW(L"qbtestwindow", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
  return window;
}

}  // namespace qbtest
