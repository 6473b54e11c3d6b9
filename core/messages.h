// The private window messages of the main window. The worker thread posts
// them; the shell handles them.
#pragma once

#include <windows.h>

// The animated-GIF worker has ended (it posts nothing after this).
const UINT WorkerDone = WM_USER;

// The worker has made a frame: wParam frames made so far, lParam frames of
// the turn.
const UINT WorkerProgress = WM_USER + 1;
