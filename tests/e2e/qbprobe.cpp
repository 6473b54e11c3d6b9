// qbprobe.dll: the driver's eyes inside the program under test.
//
// The driver loads this DLL into the target with a remote LoadLibraryW and
// then calls the functions below on remote threads (see probe.h). They run
// in the target's process but not on its main thread, so they only read
// window state, or send messages with a time limit; they never wait on the
// main thread without one.
#include <windows.h>

#include "tests/e2e/probe.h"

extern "C" {
__declspec(dllexport) DWORD WINAPI qbProbeScroll(ProbeScrollRequest* request);
__declspec(dllexport) DWORD WINAPI qbProbeMenu(ProbeMenuRequest* request);
__declspec(dllexport) DWORD WINAPI qbProbeHook(ProbeHookRequest* request);
// Written by the main thread, read by the driver with ReadProcessMemory.
__declspec(dllexport) volatile LONG qbProbeMarkerSeen = 0;
}

namespace {

// One subclassed window per process is all the driver needs: the program
// has one main window.
HWND hookedWindow = NULL;
WNDPROC originalProc = NULL;
bool unicodeWindow = false;  // the window's procedure takes UTF-16 text
UINT markerMessage = 0;

LRESULT CALLBACK markerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == markerMessage && markerMessage != 0) {
    InterlockedExchange(&qbProbeMarkerSeen, (LONG)wParam);
    return 0;
  }
  return unicodeWindow ? CallWindowProcW(originalProc, window, message, wParam, lParam)
                       : CallWindowProcA(originalProc, window, message, wParam, lParam);
}

// Finds the popup of the menu bar that holds the command; -1 when the item
// sits on the bar itself or nowhere.
int popupHolding(HMENU bar, int command) {
  int count = GetMenuItemCount(bar);
  for (int i = 0; i < count; ++i) {
    HMENU sub = GetSubMenu(bar, i);
    if (sub != NULL && GetMenuState(sub, (UINT)command, MF_BYCOMMAND) != (UINT)-1)
      return i;
  }
  return -1;
}

}  // namespace

DWORD WINAPI qbProbeScroll(ProbeScrollRequest* request) {
  HWND window = (HWND)(uintptr_t)request->window;
  request->ok = 0;
  if (!IsWindow(window))
    return 0;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  LONG style = GetWindowLongW(window, GWL_STYLE);
  request->shown = (style & (request->bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) ? 1 : 0;
  if (!GetScrollInfo(window, request->bar, &info)) {
    // A bar that was never given a range answers FALSE; that is a hidden
    // bar at 0..0, not a failure of the probe.
    request->minimum = request->maximum = request->page = request->position = 0;
    request->ok = 1;
    return 1;
  }
  request->minimum = info.nMin;
  request->maximum = info.nMax;
  request->page = (int32_t)info.nPage;
  request->position = info.nPos;
  request->ok = 1;
  return 1;
}

DWORD WINAPI qbProbeMenu(ProbeMenuRequest* request) {
  HWND window = (HWND)(uintptr_t)request->window;
  request->ok = 0;
  request->popup = -1;
  HMENU bar = IsWindow(window) ? GetMenu(window) : NULL;
  if (bar == NULL)
    return 0;
  int popup = popupHolding(bar, request->command);
  request->popup = popup;
  if (request->refresh && popup >= 0) {
    // The program enables items when a popup opens; run that rule on its own
    // thread, as the system would. The time limit keeps a hung target from
    // hanging the probe (the driver also waits with a limit).
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_INITMENUPOPUP, (WPARAM)GetSubMenu(bar, popup),
                        MAKELPARAM(popup, FALSE), SMTO_NORMAL, 5000, &ignored);
  }
  UINT state = GetMenuState(bar, (UINT)request->command, MF_BYCOMMAND);
  if (state == (UINT)-1)
    return 0;
  request->state = state;
  request->ok = 1;
  return 1;
}

DWORD WINAPI qbProbeHook(ProbeHookRequest* request) {
  HWND window = (HWND)(uintptr_t)request->window;
  request->ok = 0;
  if (!IsWindow(window))
    return 0;
  if (hookedWindow == window) {
    request->ok = 1;
    return 1;
  }
  if (hookedWindow != NULL)
    return 0;  // one window per process; a second would lose the first
  markerMessage = RegisterWindowMessageW(QB_PROBE_MARKER_NAME);
  if (markerMessage == 0)
    return 0;
  // The procedure is swapped from this thread, which the system allows
  // within one process; the main thread picks it up with its next message.
  // It is swapped on the window's own side, ANSI or Unicode: swapping with
  // the other kind of call would change the kind of the window, and every
  // text message would then be converted on its way to the program.
  unicodeWindow = IsWindowUnicode(window) != FALSE;
  originalProc = (WNDPROC)(unicodeWindow ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                         : GetWindowLongPtrA(window, GWLP_WNDPROC));
  if (originalProc == NULL)
    return 0;
  hookedWindow = window;
  LONG_PTR previous = unicodeWindow
                          ? SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)markerProc)
                          : SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)markerProc);
  if (previous == 0) {
    hookedWindow = NULL;
    return 0;
  }
  request->ok = 1;
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
