// Opening a picture: every way in releases the shown picture (stopping its
// playback first), creates the new one, fits the window to it and renders
// it or starts its playback. What follows (the path becomes the current one,
// the folder list and the title) is showAsCurrent's.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "animation/animation.h"
#include "core/appstate.h"
#include "core/dialogs.h"
#include "picture/picture.h"
#include "shell/shell.h"

void releaseCurrentPicture() {
  if (!app.currentPicture) return;
  stopAndRelease(app.currentPicture);
  app.currentPicture = nullptr;
}

namespace {

// Pairs of display text and pattern, ended by an empty pair.
const FileDialogKind openDialog = {
    L"読み込める形式\0*.jpg;*.gif;*.png;*.bmp\0"
    L"JPEG(*.jpg)\0*.jpg\0"
    L"GIF(*.gif)\0*.gif\0"
    L"PNG(*png)\0*.png\0"
    L"bmp(*.bmp)\0*.bmp\0",
    L"開けるファイルを指定", L"jpg", 0};

}  // namespace

void showNewPicture(HWND window) {
  Picture* picture = app.currentPicture;
  // GDI+ is asked for the frame count of every type, so a multi-page TIFF is
  // "animated" here although it is rendered still.
  app.animationState = countFrames(picture) > 1 ? AnimationPlaying : NotAnimated;
  app.playbackMode = PlaybackNormal;
  // Rendered first: whether a surface could be made decides the layout (a
  // picture that cannot be shown gets room for the text that says why).
  renderAndPlay(picture);
  layOutNewPicture(window, picture);
  // Also what the old picture left where nothing new is drawn.
  InvalidateRect(window, nullptr, FALSE);
}

int loadByPath(const wchar_t* path, HWND window) {
  if (!path) return 0;
  if (classifyExtension(path) == FileTypeNone) return -1;
  releaseCurrentPicture();
  Picture* picture = createPicture(path, window);
  if (!picture) return -2;
  app.currentPicture = picture;
  showNewPicture(window);
  return 1;
}

int loadCurrentPath(HWND window) {
  releaseCurrentPicture();
  Picture* picture = createPicture(app.currentPath, window);
  if (!picture) return 0;
  app.currentPicture = picture;
  showNewPicture(window);
  return 1;
}

int openWithDialog(HWND window) {
  // The dialog starts at the shown file and leaves the choice in currentPath.
  if (runFileDialog(window, openDialog, app.currentPath) != 1) return 0;
  loadCurrentPath(window);
  return 1;
}

int loadDroppedFile(HDROP drop, HWND window) {
  wchar_t* saved = static_cast<wchar_t*>(std::malloc(MAX_PATH * sizeof(wchar_t)));
  if (!saved) return -2;
  lstrcpynW(saved, app.currentPath, MAX_PATH);
  int result = -2;
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    // A path that does not fit would be cut to the name of another file:
    // it is refused whole.
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0 || length >= MAX_PATH) {
      result = -1;
    } else {
      DragQueryFileW(drop, 0, app.currentPath, MAX_PATH);
      result = matchExtension(app.currentPath, dropExtensions, 7);
    }
    if (result >= 0 && loadCurrentPath(window) == 0) result = -1;
  }
  if (result == -1) lstrcpynW(app.currentPath, saved, MAX_PATH);
  std::free(saved);
  return result;
}
