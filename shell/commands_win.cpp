// Every menu command reaches its handler here, one line per command number.
#include "picture/picture.h"
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/shell.h"

int dispatchCommand(HWND window, int command) {
  switch (command) {
    case IDM_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_ZOOM: zoomCommand(window, app.currentPicture); break;
    default: break;
  }
  return 1;
}
