// The rotation command and its end: the view is laid out for the rotated
// size (the diagonal square in the plane, the picture's own size for the
// axis squeezes), then the rotated picture is drawn into a fresh surface.
//
// Animated pictures are refused before anything is touched: their image
// and surface belong to the playback thread. A GIF whose frame count could
// not be read (0) is played like an animation and so counts as one here.
#include "core/appstate.h"
#include "resources/resource.h"
#include "rotation/framesworker.h"
#include "rotation/results.h"
#include "rotation/rotation.h"

namespace {

bool isAnimated(const Picture* picture) { return picture->frameCount != 1; }

// Shows the picture unrotated again, at its own size and zoom.
void showUnrotated(HWND window, Picture* picture) {
  picture->imageWidth = picture->surfaceWidth;
  picture->imageHeight = picture->surfaceHeight;
  updateDisplaySize(picture);
  resetAxis(window, SB_HORZ);
  resetAxis(window, SB_VERT);
  fitView(window, static_cast<int>(picture->displayWidth),
          static_cast<int>(picture->displayHeight));
  if (picture->image) renderPicture(picture);
}

}  // namespace

int runRotationCommand(HWND window, Picture* picture) {
  if (!picture) return RotationNoPicture;
  // A picture that could not be shown has nothing to turn: no question, no
  // message (its window already says why).
  if (unshownText(picture)) return RotationCancelled;
  if (isAnimated(picture)) return RotationAnimated;
  INT_PTR choice = DialogBoxParamW(app.instance, L"ROTPICDLG", window, rotationDialogProc, 0);
  // The animated GIF leaves the view and the scroll bars alone.
  if (choice == 2) return runAnimatedGifCommand(window, picture);
  if (choice != 1) return RotationCancelled;

  double angle = angleRadians(app.rotation.angleDegrees);
  resetAxis(window, SB_HORZ);
  resetAxis(window, SB_VERT);
  int mode = app.rotation.mode;
  if (mode == InPlane) {
    uint32_t side = diagonalSize(picture->surfaceWidth, picture->surfaceHeight).size;
    uint32_t width = side, height = side;
    if (picture->scaled == 1) {
      width = zoomedSide(static_cast<unsigned>(picture->horizontalZoom), side);
      height = zoomedSide(static_cast<unsigned>(picture->verticalZoom), side);
    }
    fitView(window, static_cast<int>(width), static_cast<int>(height));
  } else {
    picture->imageWidth = picture->surfaceWidth;
    picture->imageHeight = picture->surfaceHeight;
    updateDisplaySize(picture);
    fitView(window, static_cast<int>(picture->displayWidth),
            static_cast<int>(picture->displayHeight));
  }
  if (drawRotated(picture, mode, angle, toArgb(app.rotation.fillColour)) != 1) {
    // No surface of the rotated size could be made (the old one is gone
    // with the attempt): show the picture unrotated rather than nothing.
    showUnrotated(window, picture);
    return RotationDrawFailed;
  }
  return RotationShown;
}

int endRotation(HWND window, Picture* picture) {
  if (!picture) return -1;
  if (isAnimated(picture)) return 0;
  app.rotation.angleDegrees = 0;
  showUnrotated(window, picture);
  return 1;
}

void rotateCommand(HWND window) {
  int result = runRotationCommand(window, app.currentPicture);
  if (result == RotationJobStarted) {
    SetWindowTextW(window, L"アニメGIF作成中...");
    return;
  }
  ResultMessage message;
  if (rotationResultMessage(result, &message))
    MessageBoxW(window, message.text, message.caption, MB_OK);
}
