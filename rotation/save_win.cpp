// Saving the shown picture as it is shown: the save dialog, the target type
// by extension, and the messages. JPEG, PNG, TIFF and BMP are written by
// GDI+ (renderfile_win.cpp); GIF is not: a 24-bit BMP is rendered into the
// working folder and the conversion library turns it into the GIF file
// beside the target, which then replaces the target.
#include <windows.h>

#include <cstring>

#include "core/appstate.h"
#include "core/dialogs.h"
#include "rotation/convert.h"
#include "rotation/rotation.h"

namespace {

// The GIF route's temporary BMP. The animated-GIF worker renders its frames
// to "\temp.bmp" of the same folder, so a save while it runs must not take
// that name.
const char saveTempName[] = "\\savetemp.bmp";

bool isAnimated(const Picture* picture) { return picture->frameCount != 1; }

int runSaveDialog(HWND window) {
  static const FileDialogKind kind = {
      "JPEG(*.jpg)\0*.jpg\0GIF(*.gif)\0*.gif\0PNG(*png)\0*.png\0bmp(*.bmp)\0*.bmp\0",
      "保存ファイルを指定", "jpg", 1};
  return runFileDialog(window, kind, app.savePath);
}

// Shows the message of a save result, if it has one, and passes it on.
int reported(HWND window, int result) {
  ResultMessage message;
  if (saveResultMessage(result, &message))
    MessageBoxA(window, message.text, message.caption, MB_OK);
  return result;
}

}  // namespace

int saveViaConversion(Picture* picture, const char* tempPath, const wchar_t* tempPathWide,
                      const char* targetPath, int angleDegrees, float xdpi, float ydpi,
                      BitmapKind kind) {
  UINT width = 0, height = 0;
  int rc = renderRotatedToFile(picture, FileTypeBmp, tempPathWide, angleDegrees, kind, xdpi, ydpi,
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

int saveGifFile(Picture* picture, const char* targetPath, BitmapKind kind, float xdpi,
                float ydpi) {
  char tempPath[MAX_PATH];
  wchar_t tempWide[MAX_PATH];
  size_t folderLength = std::strlen(app.workFolder);
  if (folderLength == 0 || folderLength + sizeof saveTempName > MAX_PATH) return SaveTempNotWritten;
  std::memcpy(tempPath, app.workFolder, folderLength);
  std::memcpy(tempPath + folderLength, saveTempName, sizeof saveTempName);
  if (!toWidePath(tempPath, tempWide, MAX_PATH)) return SaveTempNotWritten;
  int rc = saveViaConversion(picture, tempPath, tempWide, targetPath, app.rotation.angleDegrees,
                             xdpi, ydpi, kind);
  DeleteFileA(tempPath);
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

  wchar_t wide[MAX_PATH];
  // A path that is not valid multibyte text names no file: a failed save.
  int rc = toWidePath(app.savePath, wide, MAX_PATH)
               ? renderRotatedToFile(picture, type, wide, app.rotation.angleDegrees, kind, xdpi,
                                     ydpi, nullptr, nullptr)
               : RenderFailed;
  if (rc == RenderWritten) return SaveDone;
  return reported(window, rc == RenderNoMemory ? SaveNoMemory : SaveFailed);
}
