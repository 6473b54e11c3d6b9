// The request blocks that the driver and qbprobe.dll exchange.
//
// Wine answers GetScrollInfo, GetMenuState and their friends with nothing
// useful when the window belongs to another process, so the driver loads
// qbprobe.dll into the program under test and runs the probe's exported
// functions there on a remote thread. Each function takes one pointer to a
// block of the driver's making (copied into the target with
// WriteProcessMemory), fills in its answer and returns 1 on success. Both
// sides are 32-bit builds of the same compiler, so the records have the same
// layout on both; handles travel as 32-bit integers.
#pragma once

#include <stdint.h>

// Scroll bar of a window: the range, page and position as the scroll bar
// itself keeps them, and whether the bar is shown.
struct ProbeScrollRequest {
  uint32_t window;    // in: HWND
  int32_t bar;        // in: SB_HORZ (0) or SB_VERT (1)
  int32_t ok;         // out: 1 when GetScrollInfo answered
  int32_t minimum;    // out
  int32_t maximum;    // out
  int32_t page;       // out: nPage, 0 when never set
  int32_t position;   // out
  int32_t shown;      // out: 1 when the window style carries the bar
};

// State of one menu item by command number. With refresh set, the probe
// first sends WM_INITMENUPOPUP for the popup that holds the item, as the
// system does when the user opens it, so the program's enabling rules run.
struct ProbeMenuRequest {
  uint32_t window;    // in: HWND of the window that owns the menu bar
  int32_t command;    // in: command number
  int32_t refresh;    // in: 1 to run the popup's enabling first
  int32_t ok;         // out: 1 when the item exists
  uint32_t state;     // out: GetMenuState flags (MF_GRAYED, MF_DISABLED, MF_CHECKED ...)
  int32_t popup;      // out: index of the popup in the menu bar, -1 when on the bar
};

// Installs the marker counter on a window: the probe subclasses it so that
// a posted marker message (registered as kProbeMarkerName) stores its wParam
// in the exported variable qbProbeMarkerSeen. A marker posted after a command
// is seen only once the command has been handled, or once the program waits
// in a nested message loop (a modal dialog), which is what "idle" means.
struct ProbeHookRequest {
  uint32_t window;    // in: HWND to subclass
  int32_t ok;         // out: 1 when installed (or already installed)
};

#define QB_PROBE_MARKER_NAME L"quobixlens.e2e.probe.marker"

// Exported names (stdcall, one argument, decorated by the compiler as
// name@4; the .def-free build exports them undecorated through the
// declarations in qbprobe.cpp).
#define QB_PROBE_SCROLL "qbProbeScroll"
#define QB_PROBE_MENU "qbProbeMenu"
#define QB_PROBE_HOOK "qbProbeHook"
#define QB_PROBE_MARKER_SEEN "qbProbeMarkerSeen"
