// The save command: the save dialog, the target type by extension, and the
// messages. JPEG, PNG, TIFF and BMP are written by GDI+ (renderfile_win.cpp);
// GIF is not: a 24-bit BMP is rendered into the working folder and the
// conversion library turns it into the GIF file beside the target, which
// then replaces the target.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "browse/browse.h"
#include "rotation/convert.h"
#include "rotation/rotation.h"
#include "shell/appstate.h"
#include "shell/shell.h"

namespace {

// The GIF route's temporary BMP. The animated-GIF worker renders its frames
// to "\temp.bmp" of the same folder, so a save while it runs must not take
// that name.
const char saveTempName[] = "\\savetemp.bmp";

const char saveFilter[] = "JPEG(*.jpg)\0*.jpg\0GIF(*.gif)\0*.gif\0PNG(*png)\0*.png\0"
                          "bmp(*.bmp)\0*.bmp\0";

bool isAnimated(const Picture* picture) { return picture->frameCount != 1; }

void showSaveMessage(HWND window, const char* text, const char* caption) {
  MessageBoxA(window, text, caption, MB_OK);
}

int runSaveDialog(HWND window) {
  char fileTitle[64] = "";
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = saveFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = app.savePath;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFileTitle = fileTitle;
  dialog.nMaxFileTitle = sizeof fileTitle;
  dialog.lpstrTitle = "保存ファイルを指定";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  dialog.lpstrDefExt = "jpg";
  return GetSaveFileNameA(&dialog) ? 1 : 0;
}

void showGifMessage(HWND window, int rc) {
  if (rc == -6)
    showSaveMessage(window, "一時保存ファイルの保存に失敗しました", "Temp Save failed");
  else if (rc == -7)
    showSaveMessage(window, "ビットマップへの画像出力に失敗", "Bitmapp failed");
  else if (rc < 0)
    showSaveMessage(window, "保存に失敗しました", "Save failed");
}

}  // namespace

int saveViaConversion(Picture* picture, const char* tempPath, const wchar_t* tempPathWide,
                      const char* targetPath, int angleDegrees, float xdpi, float ydpi,
                      BitmapKind kind) {
  UINT width = 0, height = 0;
  int rc = renderRotatedToFile(picture, FileTypeBmp, tempPathWide, angleDegrees, kind, xdpi, ydpi,
                               &width, &height);
  if (rc == 0) return -6;
  if (rc == -1) return -7;
  // The conversion writes beside the target and replaces it only when the
  // GIF is complete, like every other save.
  return convertImageFile(tempPath, targetPath, FileTypeGif);
}

int saveGifFile(Picture* picture, const char* targetPath, BitmapKind kind, float xdpi,
                float ydpi) {
  char tempPath[MAX_PATH];
  wchar_t tempWide[MAX_PATH];
  size_t folderLength = std::strlen(app.workFolder);
  if (folderLength == 0 || folderLength + sizeof saveTempName > MAX_PATH) return -6;
  std::memcpy(tempPath, app.workFolder, folderLength);
  std::memcpy(tempPath + folderLength, saveTempName, sizeof saveTempName);
  if (!toWidePath(tempPath, tempWide, MAX_PATH)) return -6;
  int rc = saveViaConversion(picture, tempPath, tempWide, targetPath, app.rotation.angleDegrees,
                             xdpi, ydpi, kind);
  DeleteFileA(tempPath);
  return rc;
}

int saveDisplayedPicture(HWND window, Picture* picture) {
  if (runSaveDialog(window) != 1) return 0;
  int type = classifyExtension(app.savePath);
  if (type == FileTypeNone) {
    showSaveMessage(window, "無効なファイルタイプです", "Invalid file type");
    return -1;
  }
  // The image of an animation belongs to its playback thread: refuse before
  // reading anything from it.
  if (isAnimated(picture)) {
    if (type == FileTypeGif) {
      showSaveMessage(window, "ビットマップへの画像出力に失敗", "Bitmapp failed");
      return -7;
    }
    showSaveMessage(window, "保存に失敗しました", "Save failed");
    return -2;
  }
  float xdpi = 0.0f, ydpi = 0.0f;
  BitmapKind kind = chooseBitmapKind(type, picture, &xdpi, &ydpi);
  if (type == FileTypeGif) {
    int rc = saveGifFile(picture, app.savePath, kind, xdpi, ydpi);
    showGifMessage(window, rc);
    return rc;
  }

  wchar_t wide[MAX_PATH];
  int rc = 0;
  // A path that is not valid multibyte text names no file: a failed save.
  if (toWidePath(app.savePath, wide, MAX_PATH))
    rc = renderRotatedToFile(picture, type, wide, app.rotation.angleDegrees, kind, xdpi, ydpi,
                             nullptr, nullptr);
  if (rc == 1) return 1;
  showSaveMessage(window, "保存に失敗しました", "Save failed");
  return -2;
}

void saveCommand(HWND window) {
  if (!app.currentPicture) return;
  lstrcpynA(app.savePath, app.currentPath, MAX_PATH);
  if (saveDisplayedPicture(window, app.currentPicture) != 1) return;
  lstrcpynA(app.currentPath, app.savePath, MAX_PATH);
  scanFolder(app.currentPath);
  updateTitle(window);
}
