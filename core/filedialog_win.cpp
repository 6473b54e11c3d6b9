// The common open and save dialogs, set up alike everywhere: the proposed
// file in the path buffer, a short file-title buffer, the overwrite
// question and no read-only box.
#include <windows.h>
#include <commdlg.h>

#include "core/dialogs.h"

int runFileDialog(HWND owner, const FileDialogKind& kind, wchar_t* path) {
  wchar_t fileTitle[64] = L"";
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kind.filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFileTitle = fileTitle;
  dialog.nMaxFileTitle = sizeof fileTitle / sizeof fileTitle[0];
  dialog.lpstrTitle = kind.title;
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  dialog.lpstrDefExt = kind.defaultExtension;
  BOOL chosen = kind.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  return chosen ? 1 : 0;
}
