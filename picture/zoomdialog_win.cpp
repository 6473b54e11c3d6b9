// The zoom dialog "CHNGZOOMDLG": one edit with the zoom in percent.
#include <cwchar>

#include "core/appstate.h"
#include "core/dialogs.h"
#include "picture/picture.h"
#include "resources/resource.h"

namespace {

void onZoomInit(HWND dialog) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%d", static_cast<int>(app.zoomPercent));
  SetDlgItemTextW(dialog, IDC_ZOOM_EDIT, text);
}

// Accepts an entry that is a number above 10, differs from the zoom in force
// and keeps the display size within what a window can scroll and paint.
void onZoomOk(HWND dialog) {
  int value = 0;
  int read = readDialogInt(dialog, IDC_ZOOM_EDIT, &value);
  UINT width = app.currentPicture ? app.currentPicture->imageWidth : 0;
  UINT height = app.currentPicture ? app.currentPicture->imageHeight : 0;
  if (zoomEntryAccepted(read, static_cast<unsigned>(value), app.zoomPercent, width, height)) {
    app.zoomInput = static_cast<unsigned>(value);
    EndDialog(dialog, 1);
  } else {
    EndDialog(dialog, 0);
  }
}

}  // namespace

INT_PTR CALLBACK zoomDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: onZoomInit(dialog); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) { onZoomOk(dialog); return TRUE; }
      if (LOWORD(wParam) == IDCANCEL) { EndDialog(dialog, 0); return TRUE; }
      return FALSE;
    default: return FALSE;
  }
}
