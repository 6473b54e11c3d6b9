// The scene dialog "PLCDEFDLG": the number of the frame to show, with the
// last frame's number beside it, and the one-scene mode in which the mouse
// buttons step frames. The number is not range-checked here: the scene
// command shows frame 0 for any number not below the frame count.
#include <windows.h>

#include <stdio.h>

#include "animation/animation.h"
#include "core/appstate.h"
#include "core/dialogs.h"
#include "resources/resource.h"

namespace {

void setNumber(HWND dialog, int id, int value) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  setDialogNumberText(dialog, id, text);
}

void onSceneInit(HWND dialog) {
  setNumber(dialog, IDC_SCENE_EDIT, app.sceneCurrent);
  setNumber(dialog, IDC_SCENE_LAST, app.sceneValue - 1);
  CheckDlgButton(dialog, IDC_SCENE_ONE_BY_ONE,
                 app.playbackMode == PlaybackOneScene ? BST_CHECKED : BST_UNCHECKED);
}

// An empty edit leaves sceneValue at the frame count, which shows frame 0;
// text that is no number reads as 0.
void onSceneOk(HWND dialog) {
  readDialogInt(dialog, IDC_SCENE_EDIT, &app.sceneValue);
  app.playbackMode = IsDlgButtonChecked(dialog, IDC_SCENE_ONE_BY_ONE) == BST_CHECKED
                         ? PlaybackOneScene
                         : PlaybackNormal;
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK sceneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: onSceneInit(dialog); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) { onSceneOk(dialog); return TRUE; }
      if (LOWORD(wParam) == IDCANCEL) { EndDialog(dialog, 0); return TRUE; }
      return FALSE;
    default: return FALSE;
  }
}
