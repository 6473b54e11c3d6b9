// The animated GIF of a full turn: the first frame and the two dialogs on
// the main thread, then a worker thread that renders and converts the other
// frames and splices them into the output file. The job's record is
// AppState framesJob; the main window's side (the end report, the progress
// title, the stop command) is shell/workerdone_win.cpp.
#pragma once

#include <windows.h>

#include "imgctl/imgctl.h"
#include "picture/picture.h"
#include "rotation/results.h"
#include "rotation/rotation.h"

struct RotationFramesJob;

// What a job turns, owned by the job: the picture decoded once.
struct TurnSource {
  SourcePixels pixels;             // the picture over the fill colour
  int mode;                        // the job's RotationMode
  uint32_t fill;                   // 0x00RRGGBB around the turned picture
  ImgctlPalette palette;           // the turn's one palette, the fill at IMGCTL_FILL_INDEX
  volatile LONG ownPaletteFrames;  // frames that needed a palette of their own
};

// The rotation command's animated-GIF branch: RotationWorkerBusy when a
// worker already runs; otherwise the job's source is taken from the picture
// and startRotationFrames runs with it. Returns its RotationResult; on
// RotationJobStarted the thread is in app.rotationWorkerThread and the job
// owns the source, on anything else the source is already freed.
int runAnimatedGifCommand(HWND window, Picture* picture);

// The job's source, sharing nothing with `picture`: its pixels over the
// current fill colour and the current mode. None with a RotationResult in
// *result: RotationDrawFailed for an animation (its image belongs to its
// playback) or an image that cannot be read, RotationTempNotWritten when
// memory runs out.
TurnSource* takeTurnSource(Picture* picture, int* result);

// Makes the turn's palette and frame 0 of the turn of the current angle,
// runs "AGFPRMDLG" and the output file dialog, and starts the worker.
// Returns the thread handle (none when no worker was started) with a
// RotationResult in *result: RotationJobStarted (the job owns `source`),
// RotationCancelled (the parameter
// dialog), RotationOutputCancelled, RotationBadAngle, frame 0's failure
// (rotationResultOfFrame), RotationOutputIsJobFile, RotationOutputUnwritable
// (checked before the worker makes a frame) or RotationThreadFailed.
// Whenever no worker starts, the files made so far are deleted.
HANDLE startRotationFrames(TurnSource* source, HWND window, int* result);

// Makes frames 1 .. frameCount-1 of the job's turn into the working folder
// on up to `threads` threads (this one included), each frame after a pause
// of pauseMs: WorkerSucceeded, or the failure of the lowest-numbered frame
// that failed. *allMade tells whether every frame exists (not after a stop).
WorkerResult makeOtherFrames(RotationFramesJob* job, int threads, unsigned pauseMs, bool* allMade);

// The worker's thread procedure; `job` is the RotationFramesJob.
unsigned __stdcall rotationFramesWorker(void* job);
