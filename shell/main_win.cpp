// Start-up, the message loop and shutdown.
#include <windows.h>
#include <commctrl.h>

#include "core/appstate.h"
#include "picture/picture.h"
#include "shell/commandline.h"
#include "shell/shell.h"

namespace {

const UINT hhInitialize = 28, hhPretranslateMessage = 253;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand) {
  resetAppState();
  Gdiplus::GdiplusStartupInput startupInput;
  Gdiplus::GdiplusStartup(&app.gdiplusToken, &startupInput, nullptr);
  app.instance = instance;
  app.folder.folderCount = 0;
  // The speed dialog's trackbar: Windows registers its class only on request
  // (Wine always does), and without it that dialog fails to open.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  // A path that does not fit is no path: the window opens empty.
  if (takeCommandLinePath(commandLine, app.commandLinePath, MAX_PATH) == 1)
    app.hasCommandLinePath = 1;

  int exitCode = 0;
  HWND window = (previous || registerMainWindowClass(instance)) ? createMainWindow(instance) : nullptr;
  if (window) {
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    app.mainWindow = window;
    htmlHelp(nullptr, nullptr, hhInitialize, reinterpret_cast<DWORD_PTR>(&app.helpCookie));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (htmlHelp(nullptr, nullptr, hhPretranslateMessage, reinterpret_cast<DWORD_PTR>(&message)))
        continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    exitCode = static_cast<int>(message.wParam);
  }
  // No worker may be inside GDI+ when it shuts down (a forced end waits for
  // the worker before the window goes; this only makes sure).
  if (app.rotationWorkerThread) WaitForSingleObject(app.rotationWorkerThread, INFINITE);
  Gdiplus::GdiplusShutdown(app.gdiplusToken);
  return exitCode;
}
