// MainWindow: its class, creation, and one small handler per message.
#include <windows.h>
#include <shellapi.h>
#include <windowsx.h>

#include "animation/animation.h"
#include "browse/browse.h"
#include "core/appstate.h"
#include "core/messages.h"
#include "picture/picture.h"
#include "resources/resource.h"
#include "shell/shell.h"

namespace {

const wchar_t helpStartTopic[] = L"quoblens.chm::/hsource/helptop.html > wintype1";
const UINT hhDisplayToc = 1, hhCloseAll = 18, hhUninitialize = 29;

BOOL onCreate(HWND window) {
  resetScrollBars(window);
  app.zoomPercent = 100;
  measureFrameExtras(window);
  setUpWorkFolder(window);
  clearWorkFolder();
  DragAcceptFiles(window, TRUE);
  // The help window is opened and closed at once, which binds the control.
  htmlHelp(window, helpFilePath(helpStartTopic).c_str(), hhDisplayToc, 0);
  htmlHelp(nullptr, nullptr, hhCloseAll, 0);
  if (app.hasCommandLinePath == 1 && loadByPath(app.commandLinePath, window) == 1)
    showAsCurrent(window, app.commandLinePath);
  return TRUE;
}

void onDestroy() {
  // A forced end destroys the window with the picture still shown.
  stopPlaybackForExit();
  htmlHelp(nullptr, nullptr, hhUninitialize, app.helpCookie);
  PostQuitMessage(0);
}

void onPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  drawPicture(app.currentPicture, dc);
  RECT client;
  GetClientRect(window, &client);
  paintUncovered(app.currentPicture, dc, client);
  paintUnshown(app.currentPicture, dc, client);
  EndPaint(window, &paint);
}

void onClose(HWND window) {
  if (app.rotationWorkerThread) {
    MessageBoxW(window, L"別スレッドが実行中なので終了できません", L"No close", MB_OK);
    return;
  }
  if (confirmClose(window) != 1) return;
  closeHelpWindows(window);
}

void onKeyDown(HWND window, UINT key) {
  bool vertical = app.currentPicture && app.verticalScroll.maximum != 0;
  bool horizontal = app.currentPicture && app.horizontalScroll.maximum != 0;
  bool stepping = app.folder.folderCount > 1;
  switch (key) {
    case VK_BACK: if (stepping) stepCommand(window, false); break;
    case VK_SPACE: if (stepping) stepCommand(window, true); break;
    case VK_PRIOR: if (vertical) scrollVertically(window, SB_PAGEUP); break;
    case VK_NEXT: if (vertical) scrollVertically(window, SB_PAGEDOWN); break;
    case VK_UP: if (vertical) scrollVertically(window, SB_LINEUP); break;
    case VK_DOWN: if (vertical) scrollVertically(window, SB_LINEDOWN); break;
    case VK_END: if (horizontal) scrollHorizontally(window, SB_PAGERIGHT); break;
    case VK_HOME: if (horizontal) scrollHorizontally(window, SB_PAGELEFT); break;
    case VK_LEFT: if (horizontal) scrollHorizontally(window, SB_LINELEFT); break;
    case VK_RIGHT: if (horizontal) scrollHorizontally(window, SB_LINERIGHT); break;
    default: break;
  }
}

void onDropFiles(HWND window, HDROP drop) {
  int result = loadDroppedFile(drop, window);
  DragFinish(drop);
  SetForegroundWindow(window);
  if (result == -1) {
    // A refused file leaves the shown picture; a file whose picture could
    // not be made leaves none, and the title must not name one then.
    if (!app.currentPicture) updateTitle(window);
    MessageBoxW(window, L"これは開けられません", L"Invalid File", MB_OK);
    return;
  }
  showAsCurrent(window, app.currentPath);
}

void enableItem(HMENU menu, UINT command, bool enabled) {
  EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void onInitMenuPopup(HMENU menu) {
  enableItem(menu, IDM_STOP_THREAD, app.rotationWorkerThread != nullptr);
  bool animated = app.animationState != NotAnimated;
  enableItem(menu, IDM_STOP_ANIMATION, app.animationState == AnimationPlaying);
  enableItem(menu, IDM_PLAY_ANIMATION, app.animationState == AnimationPaused);
  enableItem(menu, IDM_PLAYBACK_SPEED, animated);
  enableItem(menu, IDM_SCENE, animated);
  enableItem(menu, IDM_NEXT_PICTURE, app.folder.folderCount > 1);
  enableItem(menu, IDM_PREVIOUS_PICTURE, app.folder.folderCount > 1);
}

void onExitSizeMove(HWND window) {
  app.eraseInSizeMove = 0;
  if (app.resizedInSizeMove == 1) {
    if (app.currentPicture) {
      app.sizeMoveContentWidth = static_cast<int>(app.currentPicture->displayWidth);
      app.sizeMoveContentHeight = static_cast<int>(app.currentPicture->displayHeight);
      refitAfterResize(window);
      setScrollBar(SB_VERT, &app.verticalScroll, window, app.sizeMoveContentHeight, &app.verticalPos);
      setScrollBar(SB_HORZ, &app.horizontalScroll, window, app.sizeMoveContentWidth,
                   &app.horizontalPos);
      InvalidateRect(window, nullptr, TRUE);
    }
    app.resizedInSizeMove = 0;
  }
  app.inSizeMove = 0;
}

}  // namespace

void updateTitle(HWND window) {
  // With no picture shown (memory ran out after the old one was released)
  // the title names none. After a failed scan the list still holds the
  // previous folder; the title then names the opened file itself.
  if (!app.currentPicture) {
    SetWindowTextW(window, QB_INITIAL_TITLE);
    return;
  }
  std::wstring title =
      app.folder.folderCount > 0 ? nameAt(app.folder.folderIndex) : app.folder.scannedName;
  SetWindowTextW(window, title.c_str());
}

int confirmClose(HWND window) {
  if (MessageBoxW(window, L"終了しますか", L"alert message", MB_YESNO) != IDYES) return 0;
  releaseCurrentPicture();
  DestroyWindow(window);
  return 1;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: onCreate(window); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    case WM_SIZE: if (app.inSizeMove == 1) app.resizedInSizeMove = 1; return 0;
    case WM_PAINT:
      if (!app.currentPicture) break;
      onPaint(window);
      return 0;
    case WM_CLOSE: onClose(window); return 0;
    case WM_ERASEBKGND:
      if (app.currentPicture && app.eraseInSizeMove != 1) return 1;
      break;
    case WM_GETMINMAXINFO:
      if (!app.currentPicture) break;
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = POINT{app.maxTrackWidth, app.maxTrackHeight};
      return 0;
    case WM_KEYDOWN: onKeyDown(window, static_cast<UINT>(wParam)); return 0;
    case WM_HSCROLL: scrollHorizontally(window, wParam); return 0;
    case WM_VSCROLL: scrollVertically(window, wParam); return 0;
    case WM_COMMAND: dispatchCommand(window, LOWORD(wParam)); return 0;
    case WM_INITMENUPOPUP: onInitMenuPopup(reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_LBUTTONDOWN: if (sceneClick(true)) return 0; break;
    case WM_RBUTTONDOWN: if (sceneClick(false)) return 0; break;
    case WM_ENTERSIZEMOVE: app.inSizeMove = 1; app.eraseInSizeMove = 1; return 0;
    case WM_EXITSIZEMOVE: onExitSizeMove(window); return 0;
    case WM_DROPFILES: onDropFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    case WorkerDone: onWorkerDone(window); return 0;
    case WorkerProgress: onWorkerProgress(window, wParam, lParam); return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ATOM registerMainWindowClass(HINSTANCE instance) {
  WNDCLASSW windowClass = {};
  windowClass.style = 0;
  windowClass.lpfnWndProc = mainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, L"QBVRICO");
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszMenuName = L"QUOBLENSMENU";
  windowClass.lpszClassName = QB_CLASS_NAME;
  return RegisterClassW(&windowClass);
}

HWND createMainWindow(HINSTANCE instance) {
  return CreateWindowExW(0, QB_CLASS_NAME, QB_INITIAL_TITLE,
                         WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                         nullptr);
}
