// The animated GIF of a full turn: the first frame and the two dialogs on
// the main thread, then a worker thread that renders and converts the other
// frames and splices them into the output file. The job's record is
// AppState framesJob; the main window's side (the end report, the progress
// title, the stop command) is shell/workerdone_win.cpp.
#pragma once

#include <windows.h>

#include "picture/picture.h"

struct RotationFramesJob;

// Private message the worker posts after each frame it has made: wParam
// frames made so far, lParam frames of the turn.
const UINT WorkerProgress = WM_USER + 1;

// Values of RotationFramesJob assemblyGate: how the worker may go on with
// the assembly while the main thread may be asking whether to stop it.
enum AssemblyGate : LONG {
  GateOpen = 0,      // go on
  GateHeld = 1,      // the stop question is shown: wait
  GateStop = 2,      // the user chose to stop: abandon, leave the target alone
  GateReplacing = 3, // the finished file is being put in place; too late to stop
};

// Worker result codes beyond those of the frames (-2 .. -7).
const int WorkerOutputFailed = -8;  // the animated file could not be written
const int WorkerAssemblyStopped = -9; // the assembly was stopped (the program then ends)

// The rotation command's animated-GIF branch, for a picture of one frame:
// 4 when a worker already runs; otherwise the worker's copy of the picture
// is made and startRotationFrames runs with it. Returns its result; on 2
// the thread is in app.rotationWorkerThread and owns the copy, on anything
// else the copy is already released.
int runAnimatedGifCommand(HWND window, Picture* picture);

// A picture record for the worker that shares nothing drawable with
// `picture`: a clone of its image, its sizes, zoom and type, no surface and
// no playback. None when memory runs out.
Picture* copyPictureForWorker(const Picture* picture);

// Renders frame 0 of the turn of the current angle, runs "AGFPRMDLG" and
// the output file dialog, and starts the worker. Returns the thread handle
// (none when no worker was started) with *result:
//    2  started; the job owns `copy`
//    0  the parameter dialog was cancelled
//    3  the output dialog was cancelled
//   -1  the angle step is below 10 degrees
//   -3, -4, -6  frame 0's conversion failed (the library's code minus one)
//   -7  frame 0's temporary BMP was not written (also with no working folder)
//   -8  drawing frame 0 was refused (a picture of more than one frame)
//  -11  the output file chosen is one of the job's own temporary files
//  -12  the worker thread could not be started
// Whenever no worker starts, the files made so far are deleted.
HANDLE startRotationFrames(Picture* copy, HWND window, int* result);

// The worker's thread procedure; `job` is the RotationFramesJob.
unsigned __stdcall rotationFramesWorker(void* job);
