// qbfixture.exe: a small window that has everything the driver reads, with
// known values, so the driver can be proved before it meets the viewer.
//
// A 320 x 240 client area at (10, 10); a menu whose item IDM_WHEN_INVERTED is
// enabled by WM_INITMENUPOPUP only while the colours are inverted; both
// scroll bars with fixed ranges, pages and start positions, moved by the
// arrow and page keys; four colour blocks whose common corner sits at
// (160 - horizontal position, 120 - vertical position); a question box, a
// dialog with an edit whose OK puts the number in the title, a close
// confirmation, a command whose repaint is slow, a command that hangs and
// one that exits with code 42. A Unicode program, with Japanese texts, so
// the driver is proved to read UTF-16 windows under any code page.
#include <windows.h>
#include <windowsx.h>

#include <wchar.h>

#include "tests/e2e/fixture_ids.h"

namespace {

struct FixtureState {
  HINSTANCE instance;
  bool inverted;     // colours replaced by their complements
  bool slowPaint;    // the next paint waits 300 ms before it draws
  int exitCode;      // wParam of WM_QUIT
};
FixtureState state = {NULL, false, false, 0};

const COLORREF kBlocks[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};

COLORREF blockColour(int index) {
  COLORREF c = kBlocks[index];
  return state.inverted ? RGB(255 - GetRValue(c), 255 - GetGValue(c), 255 - GetBValue(c)) : c;
}

void setBar(HWND window, int bar, int maximum, int page, int position) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = maximum;
  info.nPage = (UINT)page;
  info.nPos = position;
  SetScrollInfo(window, bar, &info, TRUE);
}

// Moves a bar by delta within what SetScrollInfo allows and repaints.
void scrollBy(HWND window, int bar, int delta) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  GetScrollInfo(window, bar, &info);
  info.nPos += delta;
  SetScrollInfo(window, bar, &info, TRUE);
  InvalidateRect(window, NULL, FALSE);
}

// The window at (10, 10) with a client area of exactly the fixture size.
void fitWindow(HWND window) {
  MoveWindow(window, 10, 10, 400, 300, FALSE);
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  int width = FIXTURE_CLIENT_WIDTH + (outer.right - outer.left) - client.right;
  int height = FIXTURE_CLIENT_HEIGHT + (outer.bottom - outer.top) - client.bottom;
  MoveWindow(window, 10, 10, width, height, TRUE);
}

void paintContent(HDC dc, HWND window) {
  RECT client;
  GetClientRect(window, &client);
  int x = 160 - GetScrollPos(window, SB_HORZ);
  int y = 120 - GetScrollPos(window, SB_VERT);
  RECT blocks[4] = {{0, 0, x, y}, {x, 0, client.right, y},
                    {0, y, x, client.bottom}, {x, y, client.right, client.bottom}};
  for (int i = 0; i < 4; ++i) {
    HBRUSH brush = CreateSolidBrush(blockColour(i));
    FillRect(dc, &blocks[i], brush);
    DeleteObject(brush);
  }
}

INT_PTR CALLBACK numberDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextW(dialog, IDC_NUMBER, L"12");
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    if (LOWORD(wParam) == IDOK) {
      wchar_t text[64], title[96];
      GetDlgItemTextW(dialog, IDC_NUMBER, text, 64);
      swprintf(title, 96, L"number %ls", text);
      SetWindowTextW(GetParent(dialog), title);
    }
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void onCommand(HWND window, int command) {
  switch (command) {
    case IDM_QUESTION:
      SetWindowTextW(window, MessageBoxW(window, L"続けますか", L"fixture question", MB_YESNO) ==
                                     IDYES ? L"answer yes" : L"answer no");
      break;
    case IDM_DIALOG:
      DialogBoxParamW(state.instance, L"FIXTUREDLG", window, numberDialogProc, 0);
      break;
    case IDM_EXIT: SendMessageW(window, WM_CLOSE, 0, 0); break;
    case IDM_INVERT: state.inverted = !state.inverted; InvalidateRect(window, NULL, FALSE); break;
    case IDM_SLOW_INVERT:
      state.inverted = !state.inverted;
      state.slowPaint = true;
      InvalidateRect(window, NULL, FALSE);
      break;
    case IDM_HANG: Sleep(120000); break;
    case IDM_EXIT42: state.exitCode = 42; DestroyWindow(window); break;
  }
}

void onKeyDown(HWND window, UINT key) {
  switch (key) {
    case VK_DOWN: scrollBy(window, SB_VERT, 1); break;
    case VK_UP: scrollBy(window, SB_VERT, -1); break;
    case VK_NEXT: scrollBy(window, SB_VERT, FIXTURE_VERT_PAGE); break;
    case VK_RIGHT: scrollBy(window, SB_HORZ, 1); break;
    case VK_LEFT: scrollBy(window, SB_HORZ, -1); break;
  }
}

void onInitMenuPopup(HMENU menu) {
  EnableMenuItem(menu, IDM_WHEN_INVERTED, MF_BYCOMMAND | (state.inverted ? MF_ENABLED : MF_GRAYED));
}

void onPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (state.slowPaint) {
    state.slowPaint = false;
    Sleep(300);
  }
  paintContent(dc, window);
  EndPaint(window, &paint);
}

void onClose(HWND window) {
  if (MessageBoxW(window, L"終了しますか", L"alert message", MB_YESNO) == IDYES)
    DestroyWindow(window);
}

LRESULT CALLBACK fixtureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: onCommand(window, LOWORD(wParam)); return 0;
    case WM_KEYDOWN: onKeyDown(window, (UINT)wParam); return 0;
    case WM_INITMENUPOPUP: onInitMenuPopup((HMENU)wParam); return 0;
    case WM_PAINT: onPaint(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE: onClose(window); return 0;
    case WM_DESTROY: PostQuitMessage(state.exitCode); return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  state.instance = instance;
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = fixtureProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
  windowClass.lpszMenuName = L"FIXTUREMENU";
  windowClass.lpszClassName = L"qbfixture";
  if (!RegisterClassW(&windowClass))
    return 1;
  HWND window = CreateWindowExW(0, L"qbfixture", L"フィクスチャ",
                                WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL,
                                instance, NULL);
  if (window == NULL)
    return 1;
  setBar(window, SB_VERT, FIXTURE_VERT_MAX, FIXTURE_VERT_PAGE, FIXTURE_VERT_POS);
  setBar(window, SB_HORZ, FIXTURE_HORZ_MAX, FIXTURE_HORZ_PAGE, FIXTURE_HORZ_POS);
  fitWindow(window);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return (int)message.wParam;
}
