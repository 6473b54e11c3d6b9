// The about box "ABPROGDLG" with its logo, and the support web page.
#include <windows.h>
#include <shellapi.h>

#include "core/appstate.h"
#include "resources/resource.h"
#include "shell/settings.h"
#include "shell/shell.h"

namespace {

void onAboutInit(HWND dialog) {
  SetDlgItemTextW(dialog, IDC_ABOUT_TEXT, QB_ABOUT_TEXT);
  app.aboutLogoBitmap = LoadBitmapW(app.instance, L"LOGOBMP");
  HDC dialogDC = GetDC(dialog);
  app.aboutLogoDC = CreateCompatibleDC(dialogDC);
  if (app.aboutLogoDC && app.aboutLogoBitmap) SelectObject(app.aboutLogoDC, app.aboutLogoBitmap);
  ReleaseDC(dialog, dialogDC);
}

void onAboutPaint(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  BitBlt(dc, 10, 10, QB_LOGO_SIZE, QB_LOGO_SIZE, app.aboutLogoDC, 0, 0, SRCCOPY);
  EndPaint(dialog, &paint);
}

void onAboutClose(HWND dialog) {
  DeleteDC(app.aboutLogoDC);
  DeleteObject(app.aboutLogoBitmap);
  app.aboutLogoDC = nullptr;
  app.aboutLogoBitmap = nullptr;
  EndDialog(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: onAboutInit(dialog); return TRUE;
    case WM_PAINT: onAboutPaint(dialog); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
      onAboutClose(dialog);
      return TRUE;
    default: return FALSE;
  }
}

void openSupportPage(HWND window) {
  HINSTANCE result = ShellExecuteW(window, L"open", QB_SUPPORT_PAGE, nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) <= 32)
    MessageBoxW(window, L"サポートページを開くのに失敗しました。\r\n手動で開いてください。",
                L"Fail open web", MB_OK);
}
