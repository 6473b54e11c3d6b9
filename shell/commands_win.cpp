// Every menu command reaches its handler here, one line per command number.
// The notification code is ignored, so the same numbers sent by other means
// act alike.
#include "animation/animation.h"
#include "core/appstate.h"
#include "picture/picture.h"
#include "resources/resource.h"
#include "rotation/rotation.h"
#include "shell/shell.h"

namespace {

const wchar_t helpContents[] = L"quoblens.chm::/hsource/helptop.html>wintype1";
const UINT hhDisplayToc = 1;

void openCommand(HWND window) {
  if (openWithDialog(window) == 1) showAsCurrent(window, app.currentPath);
}

// Proposes the shown picture's path; the saved file becomes the current one.
void saveCommand(HWND window) {
  if (!app.currentPicture) return;
  lstrcpynW(app.savePath, app.currentPath, MAX_PATH);
  if (saveDisplayedPicture(window, app.currentPicture) == SaveDone) showAsCurrent(window, app.savePath);
}

}  // namespace

int dispatchCommand(HWND window, int command) {
  switch (command) {
    case IDM_OPEN: openCommand(window); break;
    case IDM_SAVE: saveCommand(window); break;
    case IDM_EXIT: SendMessageW(window, WM_CLOSE, 0, 0); break;
    case IDM_ZOOM: zoomCommand(window, app.currentPicture); break;
    case IDM_ROTATE: rotateCommand(window); break;
    case IDM_END_ROTATION: endRotation(window, app.currentPicture); break;
    case IDM_NEXT_PICTURE: stepCommand(window, true); break;
    case IDM_PREVIOUS_PICTURE: stepCommand(window, false); break;
    case IDM_STOP_ANIMATION: stopAnimationCommand(); break;
    case IDM_PLAY_ANIMATION: playAnimationCommand(); break;
    case IDM_PLAYBACK_SPEED: playbackSpeedCommand(window); break;
    case IDM_SCENE: sceneCommand(window); break;
    case IDM_STOP_THREAD: forceStopWorker(window, app.rotationWorkerThread); break;
    case IDM_HELP_CONTENTS: htmlHelp(window, helpFilePath(helpContents).c_str(), hhDisplayToc, 0); break;
    case IDM_ABOUT: DialogBoxParamW(app.instance, L"ABPROGDLG", window, aboutDialogProc, 0); break;
    case IDM_WEB_PAGE: openSupportPage(window); break;
    default: break;
  }
  return 1;
}
