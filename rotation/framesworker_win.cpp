// The animated GIF of a full turn. Frame 0 is made on the main thread,
// because the parameter dialog shows its palette; after the two dialogs a
// worker thread renders every other frame into the temporary BMP, converts
// it to "temp<i>.gif" in the working folder, and splices the frame files
// into the output, written beside it and put in its place only when whole.
//
// The worker shares two words with the main thread, both changed only by
// interlocked operations, so no request is lost between a check and the
// step it guards:
//   workerState   1 while rendering; the stop command swaps it to 0 (stop
//                 after the current frame), the worker swaps it to 2 when it
//                 starts the assembly. Whichever swap comes first wins.
//   assemblyGate  during the assembly the stop command holds the gate while
//                 it asks whether to stop; the worker waits at its next frame
//                 (and before the replace) until the answer opens the gate or
//                 sets it to stop. The worker claims the gate before the
//                 replace, after which no question is asked. Nothing is ever
//                 suspended or killed: a thread stopped by force could hold
//                 the heap or a half-written file.
//
// The job deletes exactly the files it made - its frame files and its
// temporary BMP - never the whole working folder: an output file chosen in
// that folder, or a GIF saved by the save command meanwhile, stays.
#include <process.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "core/dialogs.h"
#include "core/messages.h"
#include "core/replace.h"
#include "gifmake/gifdialogs.h"
#include "gifmake/gifmake.h"
#include "rotation/convert.h"
#include "rotation/framejob.h"
#include "rotation/framesworker.h"
#include "rotation/rotation.h"
#include "rotation/workerpace.h"

using namespace Gdiplus;

namespace {

void readResolution(const Picture* picture, float* xdpi, float* ydpi) {
  *xdpi = *ydpi = 0.0f;
  if (!picture->image || !picture->image->nativeImage) return;
  if (DllExports::GdipGetImageHorizontalResolution(picture->image->nativeImage, xdpi) != Ok)
    *xdpi = 0.0f;
  if (DllExports::GdipGetImageVerticalResolution(picture->image->nativeImage, ydpi) != Ok)
    *ydpi = 0.0f;
}

// Renders the picture turned by angle into the job's temporary BMP and
// converts that into framePath.
WorkerResult makeFrame(RotationFramesJob* job, int angle, const char* framePath, float xdpi,
                       float ydpi) {
  UINT width = 0, height = 0;
  int r = renderRotatedToFile(job->picture, FileTypeBmp, job->tempBmpPathWide, angle,
                              Rgb24WithResolution, xdpi, ydpi, &width, &height);
  if (r == RenderRefused) return WorkerDrawRefused;
  if (r != RenderWritten) return WorkerBmpNotWritten;
  switch (convertImageFile(job->tempBmpPath, framePath, FileTypeGif)) {
    case FileTypeGif: return WorkerSucceeded;
    case ConvertOpenFailed: return WorkerSourceUnopened;
    case ConvertInfoFailed: return WorkerInfoFailed;
    default: return WorkerConvertFailed;
  }
}

// Deletes the files a job made: frames 0 to made - 1 and the temporary BMP.
void deleteJobFiles(const RotationFramesJob* job, int made) {
  char path[MAX_PATH];
  for (int i = 0; i < made; ++i)
    if (formatFramePath(path, sizeof path, app.workFolder, i)) DeleteFileA(path);
  if (job->tempBmpPath[0]) DeleteFileA(job->tempBmpPath);
}

bool samePath(const char* a, const char* b) {
  char fullA[MAX_PATH], fullB[MAX_PATH];
  DWORD lengthA = GetFullPathNameA(a, MAX_PATH, fullA, nullptr);
  DWORD lengthB = GetFullPathNameA(b, MAX_PATH, fullB, nullptr);
  if (lengthA == 0 || lengthA >= MAX_PATH || lengthB == 0 || lengthB >= MAX_PATH) return false;
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, fullA, -1, fullB, -1) ==
         CSTR_EQUAL;
}

// Whether the output would be one of the files the job writes and deletes.
bool isJobFile(const RotationFramesJob* job, const char* output, int frames) {
  if (samePath(output, job->tempBmpPath)) return true;
  char path[MAX_PATH];
  for (int i = 0; i < frames; ++i)
    if (formatFramePath(path, sizeof path, app.workFolder, i) && samePath(output, path)) return true;
  return false;
}

int runOutputDialog(HWND window) {
  static const FileDialogSpec spec = {"GIF(*.gif)\0*.gif\0", "保存ファイルを指定", "gif", 1};
  return runFileDialog(window, spec, app.gifOutputPath);
}

void postProgress(const RotationFramesJob* job, int done) {
  PostMessageA(job->window, WorkerProgress, static_cast<WPARAM>(done),
               static_cast<LPARAM>(job->frameCount));
}

// The job's control of the assembly (see the top of the file).
struct AssemblyWatch {
  RotationFramesJob* job;
  DWORD pauseMs;
};

bool assemblyMayProceed(void* context, int done, int total) {
  AssemblyWatch* watch = static_cast<AssemblyWatch*>(context);
  volatile LONG* gate = &watch->job->assemblyGate;
  if (watch->pauseMs && done < total) Sleep(watch->pauseMs);
  for (;;) {
    LONG state = InterlockedCompareExchange(gate, GateOpen, GateOpen);
    if (state == GateStop) return false;
    if (state == GateOpen) {
      if (done < total) return true;
      // Before the replace: once claimed, the stop command asks nothing.
      if (InterlockedCompareExchange(gate, GateReplacing, GateOpen) == GateOpen) return true;
      continue;
    }
    if (state == GateReplacing) return true;
    Sleep(20);  // held: the user is being asked whether to stop
  }
}

}  // namespace

Picture* copyPictureForWorker(const Picture* picture) {
  Picture* copy = new (std::nothrow) Picture();
  if (!copy) return nullptr;
  copy->window = picture->window;
  copy->scaled = picture->scaled;
  copy->horizontalZoom = picture->horizontalZoom;
  copy->verticalZoom = picture->verticalZoom;
  copy->surfaceWidth = picture->surfaceWidth;
  copy->surfaceHeight = picture->surfaceHeight;
  copy->displayWidth = picture->displayWidth;
  copy->displayHeight = picture->displayHeight;
  copy->horizontalPosRef = picture->horizontalPosRef;
  copy->verticalPosRef = picture->verticalPosRef;
  copy->fileType = picture->fileType;
  copy->frameCount = picture->frameCount;
  copy->speed = picture->speed;
  copy->image = picture->image ? picture->image->Clone() : nullptr;
  return copy;
}

HANDLE startRotationFrames(Picture* copy, HWND window, int* result) {
  RotationFramesJob* job = &app.framesJob;
  TurnPlan plan;
  if (!planTurn(app.rotation.angleDegrees, &plan)) {
    *result = RotationBadAngle;
    return nullptr;
  }
  // Without a working folder (or with one too deep for the file names)
  // there is nowhere to put temporary files: nothing is written elsewhere.
  char firstFrame[MAX_PATH];
  if (!formatTempBmpPath(job->tempBmpPath, MAX_PATH, app.workFolder) ||
      !toWidePath(job->tempBmpPath, job->tempBmpPathWide, MAX_PATH) ||
      !formatFramePath(firstFrame, sizeof firstFrame, app.workFolder, plan.frames - 1) ||
      !formatFramePath(firstFrame, sizeof firstFrame, app.workFolder, 0)) {
    resetFramesJob(job);
    *result = RotationTempNotWritten;
    return nullptr;
  }
  float xdpi, ydpi;
  readResolution(copy, &xdpi, &ydpi);
  job->picture = copy;
  WorkerResult first = makeFrame(job, 0, firstFrame, xdpi, ydpi);
  job->picture = nullptr;
  HANDLE thread = nullptr;
  if (first != WorkerSucceeded) {
    *result = rotationResultOfFrame(first);
  } else {
    lstrcpynA(app.firstFramePath, firstFrame, MAX_PATH);
    if (runGifParamsDialog(window) != 1) {
      *result = RotationCancelled;
    } else if (runOutputDialog(window) != 1) {
      *result = RotationOutputCancelled;
    } else if (isJobFile(job, app.gifOutputPath, plan.frames)) {
      *result = RotationOutputIsJobFile;
    } else if (!isWritableTarget(app.gifOutputPath)) {
      // Found now, not after every frame is made: a folder that is gone or
      // takes no file, or a read-only file.
      *result = RotationOutputUnwritable;
    } else {
      job->picture = copy;
      job->angleStep = plan.step;
      job->frameCount = plan.frames;
      job->outputPath = app.gifOutputPath;
      job->window = window;
      job->workerState = WorkerRendering;
      job->assemblyGate = GateOpen;
      job->lastResult = WorkerUnexpected;
      thread = reinterpret_cast<HANDLE>(
          _beginthreadex(nullptr, 0, rotationFramesWorker, job, 0, nullptr));
      *result = thread ? RotationJobStarted : RotationThreadFailed;
    }
    app.firstFramePath[0] = '\0';
  }
  if (!thread) {
    deleteJobFiles(job, 1);
    resetFramesJob(job);
  }
  return thread;
}

unsigned __stdcall rotationFramesWorker(void* argument) {
  RotationFramesJob* job = static_cast<RotationFramesJob*>(argument);
  job->lastResult = WorkerSucceeded;
  DWORD pauseMs = workerPaceMs();
  float xdpi, ydpi;
  readResolution(job->picture, &xdpi, &ydpi);

  std::vector<std::string> framePaths;
  char path[MAX_PATH];
  int made = 1;  // frame 0 is startRotationFrames's
  WorkerResult r = WorkerSucceeded;
  for (int i = 0; i < job->frameCount; ++i) {
    formatFramePath(path, sizeof path, app.workFolder, i);  // fits: checked at the start
    framePaths.push_back(path);
    if (i == 0) continue;
    if (pauseMs) Sleep(pauseMs);
    made = i + 1;
    r = makeFrame(job, frameAngle(job->angleStep, i), path, xdpi, ydpi);
    job->lastResult = r;
    if (r != WorkerSucceeded || i == job->frameCount - 1) break;
    postProgress(job, i + 1);
    if (InterlockedCompareExchange(&job->workerState, WorkerStopAsked, WorkerStopAsked) ==
        WorkerStopAsked)
      break;
  }
  // A stop asked after the last frame still wins: the swap to assembling
  // happens only from rendering. The last frame is counted in the title only
  // once the assembly is decided.
  if (r == WorkerSucceeded &&
      InterlockedCompareExchange(&job->workerState, WorkerAssembling, WorkerRendering) ==
          WorkerRendering) {
    if (job->frameCount > 1) postProgress(job, job->frameCount);
    if (pauseMs) Sleep(pauseMs);
    AssemblyWatch watch = {job, pauseMs};
    AssemblyControl control = {assemblyMayProceed, &watch};
    GifParams snapshot = gifParams;
    int assembled = assembleAnimatedGif(framePaths, job->outputPath, snapshot, nullptr, &control);
    job->lastResult = assembled == GifWritten          ? WorkerSucceeded
                      : assembled == GifAssemblyStopped ? WorkerAssemblyStopped
                                                        : WorkerOutputFailed;
  }
  deleteJobFiles(job, made);
  PostMessageA(job->window, WorkerDone, 0, 0);
  return 0;
}

int runAnimatedGifCommand(HWND window, Picture* picture) {
  if (app.rotationWorkerThread) return RotationWorkerBusy;
  Picture* copy = copyPictureForWorker(picture);
  if (!copy) return RotationTempNotWritten;
  int result = RotationCancelled;
  app.rotationWorkerThread = startRotationFrames(copy, window, &result);
  if (result != RotationJobStarted) releasePicture(copy);
  return result;
}
