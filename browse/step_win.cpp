// Space and BackSpace step through the scanned folder list, asking at either
// end whether to wrap around. Here the next entry is chosen; showing it, and
// moving folderIndex once it is shown, is the shell's. The list is not
// rescanned.
//
// The question's message box runs a message loop of its own, in which keys
// the user queued (Space held down) would step again and ask again inside
// it; while it is open every step is ignored.
#include "browse/browse.h"
#include "core/appstate.h"

namespace {

// 1 when the user wants to wrap around.
int askToWrap(HWND window, const wchar_t* text) {
  app.stepQuestionOpen = 1;
  int answer = MessageBoxW(window, text, L"Caution!", MB_YESNO);
  app.stepQuestionOpen = 0;
  return answer == IDYES ? 1 : 0;
}

}  // namespace

int chooseNext(HWND window, int* target) {
  if (app.stepQuestionOpen) return 0;
  if (app.folder.folderIndex == app.folder.folderCount - 1) {
    if (!askToWrap(window, L"フォルダ内の最後の画像です。\n最初の画像に戻りますか")) return 0;
    *target = 0;
    return 1;
  }
  *target = app.folder.folderIndex + 1;
  return 1;
}

int choosePrevious(HWND window, int* target) {
  if (app.stepQuestionOpen) return 0;
  if (app.folder.folderIndex == 0) {
    if (!askToWrap(window, L"フォルダ内の最初の画像です。\n最後の画像に戻りますか")) return 0;
    *target = app.folder.folderCount - 1;
    return 1;
  }
  *target = app.folder.folderIndex - 1;
  return 1;
}

std::wstring entryPath(int index) {
  return app.folder.folderPath + L"\\" + nameAt(index);
}
