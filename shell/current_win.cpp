// The current picture: what follows every change of it. Opening, dropping,
// the command line, a save and stepping all end the same way: the path
// becomes the current one, the folder list follows it and the title names
// it.
#include <string>

#include "browse/browse.h"
#include "core/appstate.h"
#include "shell/shell.h"

namespace {

// Shows entry target of the folder list: 1 shown, -1 when it could not be
// loaded (folderIndex and currentPath then stay).
int showFolderEntry(HWND window, int target) {
  std::wstring path = entryPath(target);
  if (loadByPath(path.c_str(), window) != 1) return -1;
  app.folder.folderIndex = target;
  // A path too long for currentPath is shown but not remembered as the path.
  if (path.size() < MAX_PATH) lstrcpynW(app.currentPath, path.c_str(), MAX_PATH);
  return 1;
}

}  // namespace

void showAsCurrent(HWND window, const wchar_t* path) {
  if (path != app.currentPath) lstrcpynW(app.currentPath, path, MAX_PATH);
  scanFolder(app.currentPath);
  updateTitle(window);
}

void afterStep(HWND window, int result) {
  if (result == 1 || !app.currentPicture) updateTitle(window);
}

void stepCommand(HWND window, bool forward) {
  int target = 0;
  int chosen = forward ? chooseNext(window, &target) : choosePrevious(window, &target);
  afterStep(window, chosen == 1 ? showFolderEntry(window, target) : chosen);
}
