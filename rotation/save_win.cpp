// Saving the shown picture as it is shown: the save dialog, the target type
// by extension, and the messages. JPEG, PNG, TIFF and BMP are written by
// GDI+ (renderfile_win.cpp); GIF is not: a 24-bit BMP is rendered into the
// working folder and the conversion library turns it into the GIF file
// beside the target, which then replaces the target.
#include <windows.h>

#include <cwchar>

#include "core/appstate.h"
#include "core/dialogs.h"
#include "rotation/convert.h"
#include "rotation/rotation.h"

namespace {

// The GIF route's temporary BMP. The animated-GIF worker renders its frames
// to "\temp.bmp" of the same folder, so a save while it runs must not take
// that name.
const wchar_t saveTempName[] = L"\\savetemp.bmp";

bool isAnimated(const Picture* picture) { return picture->frameCount != 1; }

int runSaveDialog(HWND window) {
  static const FileDialogKind kind = {
      L"JPEG(*.jpg)\0*.jpg\0GIF(*.gif)\0*.gif\0PNG(*png)\0*.png\0bmp(*.bmp)\0*.bmp\0",
      L"保存ファイルを指定", L"jpg", 1};
  return runFileDialog(window, kind, app.savePath);
}

// Shows the message of a save result, if it has one, and passes it on.
int reported(HWND window, int result) {
  ResultMessage message;
  if (saveResultMessage(result, &message))
    MessageBoxW(window, message.text, message.caption, MB_OK);
  return result;
}

}  // namespace

int saveViaConversion(Picture* picture, const wchar_t* tempPath, const wchar_t* targetPath,
                      int angleDegrees, float xdpi, float ydpi, BitmapKind kind) {
  UINT width = 0, height = 0;
  int rc = renderRotatedToFile(picture, FileTypeBmp, tempPath, angleDegrees, kind, xdpi, ydpi,
                               &width, &height);
  if (rc == RenderFailed) return SaveTempNotWritten;
  if (rc == RenderRefused) return SaveDrawRefused;
  if (rc == RenderNoMemory) return SaveNoMemory;
  // The conversion writes beside the target and replaces it only when the
  // GIF is complete, like every other save.
  switch (convertImageFile(tempPath, targetPath, FileTypeGif)) {
    case FileTypeGif: return SaveDone;
    case ConvertInfoFailed: return SaveInfoFailed;
    case ConvertWriteFailed: return SaveConvertFailed;
    default: return SaveFailed;
  }
}

int saveGifFile(Picture* picture, const wchar_t* targetPath, BitmapKind kind, float xdpi,
                float ydpi) {
  const size_t nameUnits = sizeof saveTempName / sizeof saveTempName[0];
  wchar_t tempPath[MAX_PATH];
  size_t folderLength = std::wcslen(app.workFolder);
  if (folderLength == 0 || folderLength + nameUnits > MAX_PATH) return SaveTempNotWritten;
  std::wmemcpy(tempPath, app.workFolder, folderLength);
  std::wmemcpy(tempPath + folderLength, saveTempName, nameUnits);
  int rc = saveViaConversion(picture, tempPath, targetPath, app.rotation.angleDegrees, xdpi, ydpi,
                             kind);
  DeleteFileW(tempPath);
  return rc;
}

int saveDisplayedPicture(HWND window, Picture* picture) {
  if (runSaveDialog(window) != 1) return SaveCancelled;
  int type = classifyExtension(app.savePath);
  if (type == FileTypeNone) return reported(window, SaveBadType);
  // The image of an animation belongs to its playback thread: refuse before
  // reading anything from it.
  if (isAnimated(picture)) return reported(window, type == FileTypeGif ? SaveDrawRefused : SaveFailed);
  float xdpi = 0.0f, ydpi = 0.0f;
  BitmapKind kind = chooseBitmapKind(type, picture, &xdpi, &ydpi);
  if (type == FileTypeGif) return reported(window, saveGifFile(picture, app.savePath, kind, xdpi, ydpi));

  int rc = renderRotatedToFile(picture, type, app.savePath, app.rotation.angleDegrees, kind, xdpi,
                               ydpi, nullptr, nullptr);
  if (rc == RenderWritten) return SaveDone;
  return reported(window, rc == RenderNoMemory ? SaveNoMemory : SaveFailed);
}
