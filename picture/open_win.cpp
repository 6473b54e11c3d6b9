// Opening a picture: every way in releases the shown picture, creates the new
// one, fits the window to it and renders it.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdlib>

#include "picture/picture.h"
#include "shell/appstate.h"

void showNewPicture(HWND window) {
  Picture* picture = app.currentPicture;
  layOutNewPicture(window, picture);
  // GDI+ is asked for the frame count of every type, so a multi-page TIFF is
  // "animated" here although it is rendered still.
  app.animationState = countFrames(picture) > 1 ? 1 : -1;
  app.playbackMode = 0;
  renderPicture(picture);
}

int loadByPath(const char* path, HWND window) {
  if (!path) return 0;
  if (classifyExtension(path) == -1) return -1;
  if (app.currentPicture) {
    releasePicture(app.currentPicture);
    app.currentPicture = nullptr;
  }
  Picture* picture = createPicture(path, window);
  if (!picture) return -2;
  app.currentPicture = picture;
  showNewPicture(window);
  return 1;
}

namespace {

// Pairs of display text and pattern, ended by an empty pair.
const char openFilter[] =
    "読み込める形式\0*.jpg;*.gif;*.png;*.bmp\0"
    "JPEG(*.jpg)\0*.jpg\0"
    "GIF(*.gif)\0*.gif\0"
    "PNG(*png)\0*.png\0"
    "bmp(*.bmp)\0*.bmp\0";

}  // namespace

int loadCurrentPath(HWND window) {
  if (app.currentPicture) {
    releasePicture(app.currentPicture);
    app.currentPicture = nullptr;
  }
  Picture* picture = createPicture(app.currentPath, window);
  if (!picture) return 0;
  app.currentPicture = picture;
  showNewPicture(window);
  return 1;
}

int openWithDialog(HWND window) {
  char fileTitle[64] = "";
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = openFilter;
  // The dialog starts at the shown file and leaves the choice in currentPath.
  dialog.lpstrFile = app.currentPath;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFileTitle = fileTitle;
  dialog.nMaxFileTitle = sizeof fileTitle;
  dialog.lpstrTitle = "開けるファイルを指定";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  dialog.lpstrDefExt = "jpg";
  if (!GetOpenFileNameA(&dialog)) return 0;
  loadCurrentPath(window);
  return 1;
}

int loadDroppedFile(HDROP drop, HWND window) {
  char* saved = static_cast<char*>(std::malloc(MAX_PATH));
  if (!saved) return -2;
  lstrcpynA(saved, app.currentPath, MAX_PATH);
  int result = -2;
  if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    // A path that does not fit would be cut to the name of another file:
    // it is refused whole.
    UINT length = DragQueryFileA(drop, 0, nullptr, 0);
    if (length == 0 || length >= MAX_PATH) {
      result = -1;
    } else {
      DragQueryFileA(drop, 0, app.currentPath, MAX_PATH);
      result = matchExtension(app.currentPath, dropExtensions, 7);
    }
    if (result >= 0 && loadCurrentPath(window) == 0) result = -1;
  }
  if (result == -1) lstrcpynA(app.currentPath, saved, MAX_PATH);
  std::free(saved);
  return result;
}
