// Space and BackSpace step through the scanned folder list, asking at either
// end whether to wrap around. The list is not rescanned: it only moves
// folderIndex, and currentPath follows what is shown.
#include <string>

#include "browse/browse.h"
#include "picture/picture.h"
#include "shell/appstate.h"

namespace {

int stepTo(HWND window, int target) {
  std::string path = app.folder.folderPath + "\\" + nameAt(target);
  if (loadByPath(path.c_str(), window) != 1) return -1;
  app.folder.folderIndex = target;
  // A path too long for currentPath is shown but not remembered as the path.
  if (path.size() < MAX_PATH) lstrcpynA(app.currentPath, path.c_str(), MAX_PATH);
  return 1;
}

}  // namespace

int stepNext(HWND window) {
  int target = app.folder.folderIndex + 1;
  if (app.folder.folderIndex == app.folder.folderCount - 1) {
    if (MessageBoxA(window, "フォルダ内の最後の画像です。\n最初の画像に戻りますか", "Caution!",
                    MB_YESNO) != IDYES)
      return 0;
    target = 0;
  }
  return stepTo(window, target);
}

int stepPrevious(HWND window) {
  int target = app.folder.folderIndex - 1;
  if (app.folder.folderIndex == 0) {
    if (MessageBoxA(window, "フォルダ内の最初の画像です。\n最後の画像に戻りますか", "Caution!",
                    MB_YESNO) != IDYES)
      return 0;
    target = app.folder.folderCount - 1;
  }
  return stepTo(window, target);
}
