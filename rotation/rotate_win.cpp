// The rotation command and its end: the view is laid out for the rotated
// size (the diagonal square in the plane, the picture's own size for the
// axis squeezes), then the rotated picture is drawn into a fresh surface.
//
// Animated pictures are refused before anything is touched: their image
// and surface belong to the playback thread. A GIF whose frame count could
// not be read (0) is played like an animation and so counts as one here.
#include "resources/resource.h"
#include "rotation/framesworker.h"
#include "rotation/rotation.h"
#include "shell/appstate.h"
#include "shell/shell.h"

namespace {

bool isAnimated(const Picture* picture) { return picture->frameCount != 1; }

// Fits the window to content of width x height from unscrolled bars, then
// sets both bars; a bar that appears narrows the other axis, so a shown bar
// sets both once more.
void fitView(HWND window, ScrollState* horizontalScroll, ScrollState* verticalScroll, int width,
             int height) {
  fitWindow(window, width, height);
  for (int pass = 0; pass < 2; ++pass) {
    setScrollBar(SB_VERT, verticalScroll, window, height, &app.verticalPos);
    setScrollBar(SB_HORZ, horizontalScroll, window, width, &app.horizontalPos);
    if (verticalScroll->maximum == 0 && horizontalScroll->maximum == 0) break;
  }
}

// Shows the picture unrotated again, at its own size and zoom.
void showUnrotated(HWND window, ScrollState* horizontalScroll, ScrollState* verticalScroll,
                   Picture* picture) {
  picture->imageWidth = picture->surfaceWidth;
  picture->imageHeight = picture->surfaceHeight;
  updateDisplaySize(picture);
  resetAxis(window, SB_HORZ);
  resetAxis(window, SB_VERT);
  fitView(window, horizontalScroll, verticalScroll, static_cast<int>(picture->displayWidth),
          static_cast<int>(picture->displayHeight));
  if (picture->image) renderPicture(picture);
}

int scaledSide(uint32_t side, double zoom) {
  double scaled = side * (zoom / 100);
  return scaled >= 2147483647.0 ? 2147483647 : static_cast<int>(scaled);
}

}  // namespace

int runRotationCommand(HWND window, ScrollState* horizontalScroll, ScrollState* verticalScroll,
                       Picture* picture) {
  if (!picture) return -9;
  if (isAnimated(picture)) return -10;
  INT_PTR choice = DialogBoxParamA(app.instance, "ROTPICDLG", window, rotationDialogProc, 0);
  // The animated GIF leaves the view and the scroll bars alone.
  if (choice == 2) return runAnimatedGifCommand(window, picture);
  if (choice != 1) return 0;

  double angle = angleRadians(app.rotation.angleDegrees);
  resetAxis(window, SB_HORZ);
  resetAxis(window, SB_VERT);
  int mode = app.rotation.mode;
  if (mode == InPlane) {
    uint32_t side = diagonalSize(picture->surfaceWidth, picture->surfaceHeight).size;
    int width = static_cast<int>(side), height = static_cast<int>(side);
    if (picture->scaled == 1) {
      width = scaledSide(side, picture->horizontalZoom);
      height = scaledSide(side, picture->verticalZoom);
    }
    fitView(window, horizontalScroll, verticalScroll, width, height);
  } else {
    picture->imageWidth = picture->surfaceWidth;
    picture->imageHeight = picture->surfaceHeight;
    updateDisplaySize(picture);
    fitView(window, horizontalScroll, verticalScroll, static_cast<int>(picture->displayWidth),
            static_cast<int>(picture->displayHeight));
  }
  if (drawRotated(picture, mode, angle, toArgb(app.rotation.fillColour)) != 1) {
    // No surface of the rotated size could be made (the old one is gone
    // with the attempt): show the picture unrotated rather than nothing.
    showUnrotated(window, horizontalScroll, verticalScroll, picture);
    return -8;
  }
  return 1;
}

int endRotation(HWND window, ScrollState* horizontalScroll, ScrollState* verticalScroll,
                Picture* picture) {
  if (!picture) return -1;
  if (isAnimated(picture)) return 0;
  app.rotation.angleDegrees = 0;
  showUnrotated(window, horizontalScroll, verticalScroll, picture);
  return 1;
}

bool rotationResultMessage(int result, const char** text, const char** caption) {
  struct Message {
    int result;
    const char* text;
    const char* caption;
  };
  static const Message messages[] = {
      {4, "他のアニメGIF作成中です。終了まで待ってください", "Animation GIF creation"},
      {-1, "指定角度が無効です", "Invalid angle"},
      {-3, "回転元ファイル情報獲得に失敗", "Receive info failed"},
      {-4, "画像情報取得に失敗", "Receive pict info failed"},
      {-6, "ファイル変換失敗", "File transfer failed"},
      {-7, "一時保存ファイルへの保存に失敗", "Temp file save failed"},
      {-8, "一時保存用ビットマップへの画像出力に失敗", " failed"},
      {-9, "回転させる画像がありません", "No Picture"},
      {-10, "回転操作は出来ません", "Operation Forbidden"},
      {-11, "作業用の一時ファイルには保存できません", "Invalid output file"},
      {-12, "アニメGIF作成を開始できません", "Thread start failed"},
  };
  for (const Message& m : messages) {
    if (m.result != result) continue;
    *text = m.text;
    *caption = m.caption;
    return true;
  }
  return false;
}

void rotateCommand(HWND window) {
  int result = runRotationCommand(window, &app.horizontalScroll, &app.verticalScroll,
                                  app.currentPicture);
  if (result == 2) {
    SetWindowTextA(window, "アニメGIF作成中...");
    return;
  }
  const char* text;
  const char* caption;
  if (rotationResultMessage(result, &text, &caption)) MessageBoxA(window, text, caption, MB_OK);
}
