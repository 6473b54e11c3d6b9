// Opening a picture: every way in releases the shown picture, creates the new
// one, fits the window to it and renders it.
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
