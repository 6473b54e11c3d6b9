// The common open and save dialogs, set up alike everywhere: the proposed
// file in the path buffer, a short file-title buffer, the overwrite
// question and no read-only box.
#include <windows.h>
#include <commdlg.h>

#include "core/dialogs.h"

int runFileDialog(HWND owner, const FileDialogSpec& spec, char* path) {
  char fileTitle[64] = "";
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = spec.filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFileTitle = fileTitle;
  dialog.nMaxFileTitle = sizeof fileTitle;
  dialog.lpstrTitle = spec.title;
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  dialog.lpstrDefExt = spec.defaultExtension;
  BOOL chosen = spec.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  return chosen ? 1 : 0;
}
