// Space and BackSpace step through the scanned folder list, asking at either
// end whether to wrap around. Here the next entry is chosen; showing it, and
// moving folderIndex once it is shown, is the shell's. The list is not
// rescanned.
#include "browse/browse.h"
#include "core/appstate.h"

int chooseNext(HWND window, int* target) {
  if (app.folder.folderIndex == app.folder.folderCount - 1) {
    if (MessageBoxA(window, "フォルダ内の最後の画像です。\n最初の画像に戻りますか", "Caution!",
                    MB_YESNO) != IDYES)
      return 0;
    *target = 0;
    return 1;
  }
  *target = app.folder.folderIndex + 1;
  return 1;
}

int choosePrevious(HWND window, int* target) {
  if (app.folder.folderIndex == 0) {
    if (MessageBoxA(window, "フォルダ内の最初の画像です。\n最後の画像に戻りますか", "Caution!",
                    MB_YESNO) != IDYES)
      return 0;
    *target = app.folder.folderCount - 1;
    return 1;
  }
  *target = app.folder.folderIndex - 1;
  return 1;
}

std::string entryPath(int index) {
  return app.folder.folderPath + "\\" + nameAt(index);
}
