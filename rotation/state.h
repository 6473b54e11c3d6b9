// The animated-GIF job the program-wide record keeps, and the values its
// worker shares with the main thread. Plain values only: core/appstate.h
// includes this header.
#pragma once

#include <windows.h>

struct TurnSource;

// Values of RotationFramesJob workerState.
enum WorkerState : LONG {
  WorkerStopAsked = 0,    // the stop command asked for an end after the current frame
  WorkerRendering = 1,    // frames are being made (and the value when idle)
  WorkerAssembling = 2,   // the frames are being spliced, or the job is done
};

// Values of RotationFramesJob assemblyGate: how the worker may go on with
// the assembly while the main thread may be asking whether to stop it.
enum AssemblyGate : LONG {
  GateOpen = 0,      // go on
  GateHeld = 1,      // the stop question is shown: wait
  GateStop = 2,      // the user chose to stop: abandon, leave the target alone
  GateReplacing = 3, // the finished file is being put in place; too late to stop
};

// The animated GIF of a full turn: the job of the single frames worker.
// workerState and assemblyGate are shared with the worker thread and change
// only through interlocked operations; lastResult is read by the main
// thread only after the worker has ended.
struct RotationFramesJob {
  TurnSource* source;                 // the picture as the job turns it, owned; none when idle
  int angleStep;                      // degrees between frames, below 360 in magnitude; 0 when idle
  int frameCount;                     // frames of the turn; 0 when idle
  const wchar_t* outputPath;          // gifOutputPath while a job runs; none when idle
  volatile LONG workerState;          // WorkerState; WorkerRendering when idle
  volatile LONG assemblyGate;         // AssemblyGate; GateOpen when idle
  int lastResult;                     // WorkerResult of the worker's last step; 0 when idle
  HWND window;                        // receives WorkerDone and the progress; none when idle
};
