// The window follows the picture: it moves to (10, 10) with a client area of
// the display size, is never dragged larger than the picture (plus room for
// one scroll bar) or 90 % of the screen, and shows the rest through its own
// scroll bars, which scroll pixel by pixel.
#include "core/appstate.h"
#include "picture/picture.h"

namespace {

int clientExtent(HWND window, int bar) {
  RECT client;
  GetClientRect(window, &client);
  return bar == SB_VERT ? client.bottom - client.top : client.right - client.left;
}

ScrollState* stateOf(int bar) { return bar == SB_VERT ? &app.verticalScroll : &app.horizontalScroll; }
int* positionOf(int bar) { return bar == SB_VERT ? &app.verticalPos : &app.horizontalPos; }

int scrollAxis(HWND window, int bar, WPARAM wParam) {
  ScrollState* state = stateOf(bar);
  int thumb = HIWORD(wParam);
  if (state->maximum > 0xFFFF) {
    // The message carries only 16 bits of the thumb; a longer range asks the
    // bar for the full position.
    SCROLLINFO info = {sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0};
    if (GetScrollInfo(window, bar, &info)) thumb = info.nTrackPos;
  }
  int step = scrollStep(LOWORD(wParam), thumb, *state);
  if (step == 0) return 0;
  int* position = positionOf(bar);
  *position += step;
  state->position = *position;
  if (bar == SB_VERT)
    ScrollWindow(window, 0, -step, nullptr, nullptr);
  else
    ScrollWindow(window, -step, 0, nullptr, nullptr);
  SetScrollPos(window, bar, *position, TRUE);
  return 1;
}

}  // namespace

void resetAxis(HWND window, int bar) {
  *positionOf(bar) = 0;
  *stateOf(bar) = ScrollState{0, 0, 0, 0};
  SetScrollRange(window, bar, 0, 0, FALSE);
  SetScrollPos(window, bar, 0, TRUE);
}

void resetScrollBars(HWND window) {
  resetAxis(window, SB_VERT);
  resetAxis(window, SB_HORZ);
}

void measureFrameExtras(HWND window) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  app.frameExtraWidth = (outer.right - outer.left) - (client.right - client.left);
  app.frameExtraHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
}

void computeMaxTrackSize(int width, int height, int extraHeight) {
  TrackSize size = computeTrackSize(width, height, app.frameExtraWidth, extraHeight,
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                    GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
  app.maxTrackWidth = size.width;
  app.maxTrackHeight = size.height;
}

namespace {

// Measures the window's height beyond its client area after a move.
int measureExtraHeight(HWND window) {
  // Have the frame, and with it the menu bar's line count, worked out for
  // the new width now rather than at the next paint.
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  return (outer.bottom - outer.top) - (client.bottom - client.top);
}

}  // namespace

void fitWindow(HWND window, int width, int height) {
  app.fittedFrameExtraHeight = app.frameExtraHeight;
  computeMaxTrackSize(width, height, app.frameExtraHeight);
  // The system holds the size to the maximum track size, which the window
  // reports for WM_GETMINMAXINFO while a picture is shown.
  MoveWindow(window, 10, 10, width + app.frameExtraWidth, height + app.frameExtraHeight, TRUE);
  // In a narrow window the menu bar wraps onto more lines. A window too low
  // for the wrapped menu has a client height of 0 and so shows less than
  // the menu's real height: fit again until the measure holds still.
  int extraHeight = measureExtraHeight(window);
  for (int pass = 0; pass < 3 && extraHeight != app.fittedFrameExtraHeight; ++pass) {
    computeMaxTrackSize(width, height, extraHeight);
    app.fittedFrameExtraHeight = extraHeight;
    MoveWindow(window, 10, 10, width + app.frameExtraWidth, height + extraHeight, TRUE);
    extraHeight = measureExtraHeight(window);
  }
}

int setScrollBar(int bar, ScrollState* state, HWND window, int contentSize, int* position) {
  *state = scrollStateFor(contentSize, clientExtent(window, bar), *position);
  *position = state->position;
  SetScrollRange(window, bar, 0, state->maximum, FALSE);
  SetScrollPos(window, bar, state->position, TRUE);
  return 1;
}

void fitView(HWND window, int width, int height) {
  fitWindow(window, width, height);
  for (int pass = 0; pass < 2; ++pass) {
    setScrollBar(SB_VERT, &app.verticalScroll, window, height, &app.verticalPos);
    setScrollBar(SB_HORZ, &app.horizontalScroll, window, width, &app.horizontalPos);
    // A bar that just appeared narrowed the other axis: set both once more.
    if (app.verticalScroll.maximum == 0 && app.horizontalScroll.maximum == 0) break;
  }
}

void layOutNewPicture(HWND window, Picture* picture) {
  resetAxis(window, SB_HORZ);
  resetAxis(window, SB_VERT);
  if (unshownText(picture))
    fitView(window, kUnshownWidth, kUnshownHeight);
  else
    fitView(window, static_cast<int>(picture->displayWidth), static_cast<int>(picture->displayHeight));
}

int scrollVertically(HWND window, WPARAM wParam) { return scrollAxis(window, SB_VERT, wParam); }

int scrollHorizontally(HWND window, WPARAM wParam) { return scrollAxis(window, SB_HORZ, wParam); }

int refitAfterResize(HWND window) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  RefitPlan plan = planRefit(app.sizeMoveContentWidth, app.sizeMoveContentHeight,
                             client.right - client.left, client.bottom - client.top,
                             app.verticalScroll.maximum != 0, app.horizontalScroll.maximum != 0,
                             GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL),
                             app.frameExtraWidth, app.fittedFrameExtraHeight);
  if (plan.keepSize) return 0;
  if (plan.resetHorizontal) resetAxis(window, SB_HORZ);
  if (plan.resetVertical) resetAxis(window, SB_VERT);
  int width = plan.keepWidth ? outer.right - outer.left : plan.width;
  int height = plan.keepHeight ? outer.bottom - outer.top : plan.height;
  MoveWindow(window, outer.left, outer.top, width, height, TRUE);
  return 1;
}

int relayoutAxis(Picture* picture, int axis, ScrollState* state) {
  int result;
  if (axis == SB_VERT) {
    picture->displayHeight = zoomedSide(app.zoomPercent, picture->imageHeight);
    result = setScrollBar(SB_VERT, state, picture->window, picture->displayHeight, &app.verticalPos);
    picture->verticalZoom = app.zoomPercent;
  } else {
    picture->displayWidth = zoomedSide(app.zoomPercent, picture->imageWidth);
    result = setScrollBar(SB_HORZ, state, picture->window, picture->displayWidth, &app.horizontalPos);
    picture->horizontalZoom = app.zoomPercent;
  }
  picture->scaled = (picture->horizontalZoom == 100.0 && picture->verticalZoom == 100.0) ? 0 : 1;
  return result;
}

int zoomCommand(HWND window, Picture* picture) {
  if (!picture) return -1;
  if (unshownText(picture)) return 0;  // nothing shown, nothing to zoom
  if (DialogBoxParamW(app.instance, L"CHNGZOOMDLG", window, zoomDialogProc, 0) != 1) return 0;
  app.zoomPercent = app.zoomInput;
  int width = static_cast<int>(zoomedSide(app.zoomPercent, picture->imageWidth));
  int height = static_cast<int>(zoomedSide(app.zoomPercent, picture->imageHeight));
  resetAxis(window, SB_HORZ);
  resetAxis(window, SB_VERT);
  fitWindow(window, width, height);
  relayoutAxis(picture, SB_VERT, &app.verticalScroll);
  relayoutAxis(picture, SB_HORZ, &app.horizontalScroll);
  InvalidateRect(window, nullptr, TRUE);
  return 1;
}
