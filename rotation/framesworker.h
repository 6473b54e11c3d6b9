// The animated GIF of a full turn: the first frame and the two dialogs on
// the main thread, then a worker thread that renders and converts the other
// frames and splices them into the output file. The job's record is
// AppState framesJob; the main window's side (the end report, the progress
// title, the stop command) is shell/workerdone_win.cpp.
#pragma once

#include <windows.h>

#include "picture/picture.h"
#include "rotation/results.h"

struct RotationFramesJob;

// The rotation command's animated-GIF branch, for a picture of one frame:
// RotationWorkerBusy when a worker already runs; otherwise the worker's copy
// of the picture is made and startRotationFrames runs with it. Returns its
// RotationResult; on RotationJobStarted the thread is in
// app.rotationWorkerThread and owns the copy, on anything else the copy is
// already released.
int runAnimatedGifCommand(HWND window, Picture* picture);

// A picture record for the worker that shares nothing drawable with
// `picture`: a clone of its image, its sizes, zoom and type, no surface and
// no playback. None when memory runs out.
Picture* copyPictureForWorker(const Picture* picture);

// Renders frame 0 of the turn of the current angle, runs "AGFPRMDLG" and
// the output file dialog, and starts the worker. Returns the thread handle
// (none when no worker was started) with a RotationResult in *result:
// RotationJobStarted (the job owns `copy`), RotationCancelled (the parameter
// dialog), RotationOutputCancelled, RotationBadAngle, frame 0's failure
// (rotationResultOfFrame), RotationOutputIsJobFile, RotationOutputUnwritable
// (checked before the worker makes a frame) or RotationThreadFailed.
// Whenever no worker starts, the files made so far are deleted.
HANDLE startRotationFrames(Picture* copy, HWND window, int* result);

// The worker's thread procedure; `job` is the RotationFramesJob.
unsigned __stdcall rotationFramesWorker(void* job);
