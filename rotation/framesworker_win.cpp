// The animated GIF of a full turn. The picture is decoded once, into 32-bit
// pixels laid over the fill colour, and one palette is made for the whole
// turn from them (imgctl.dll, ordinal 58): the picture's colours, the fill
// at index 0 and the blends of the two that the turned edges show. Frame 0
// is made on the main thread, because the parameter dialog shows its
// palette; after the two dialogs a worker thread has the other frames made
// on every core, each turned by the rotation kernel into memory and written
// by the library as "temp<i>.gif" in the working folder with that palette
// (ordinal 57), and splices the frame files, in frame order, into the
// output, written beside it and put in its place only when whole. A frame
// file depends on its number alone, so the output is the same whatever the
// number of threads.
//
// The worker shares two words with the main thread, both changed only by
// interlocked operations, so no request is lost between a check and the
// step it guards:
//   workerState   WorkerRendering while frames are made; the stop command
//                 swaps it to WorkerStopAsked (no frame is started after
//                 it), the worker swaps it to WorkerAssembling when it
//                 starts the assembly. Whichever swap comes first wins.
//   assemblyGate  during the assembly the stop command holds the gate while
//                 it asks whether to stop; the worker waits at its next frame
//                 (and before the replace) until the answer opens the gate or
//                 sets it to stop. The worker claims the gate before the
//                 replace, after which no question is asked. Nothing is ever
//                 suspended or killed: a thread stopped by force could hold
//                 the heap or a half-written file.
//
// The job deletes exactly the files it made - its frame files - never the
// whole working folder: an output file chosen in that folder, or a GIF
// saved by the save command meanwhile, stays.
#include <process.h>

#include <new>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "core/dialogs.h"
#include "core/messages.h"
#include "core/replace.h"
#include "gifmake/gifdialogs.h"
#include "gifmake/gifmake.h"
#include "imgctl/imgctl.h"
#include "rotation/framejob.h"
#include "rotation/framesworker.h"
#include "rotation/rotation.h"
#include "rotation/workerpace.h"

namespace {

// Turns the source by frame i's angle into `turned` and writes the frame
// file at framePath with the turn's palette.
WorkerResult makeFrame(const RotationFramesJob* job, int i, const wchar_t* framePath,
                       std::vector<uint32_t>& turned, bool oneThread) {
  const TurnSource& source = *job->source;
  double angle = angleRadians(frameAngle(job->angleStep, i));
  RotationGeometry g = rotationGeometry(source.mode, angle, source.pixels.rows.width,
                                        source.pixels.rows.height);
  try {
    turned.resize(static_cast<size_t>(g.outputWidth) * g.outputHeight);
  } catch (const std::exception&) {
    return WorkerBmpNotWritten;
  }
  PixelRows output{turned.data(), static_cast<int32_t>(g.outputWidth),
                   static_cast<int32_t>(g.outputHeight), static_cast<int32_t>(g.outputWidth * 4)};
  if (renderRotation(source.pixels.rows, source.mode, angle, source.fill, output, 0,
                     output.height) != RotationRendered)
    return WorkerDrawRefused;
  int written = imgctlWriteFrameGif(framePath, turned.data(), output.width, output.height,
                                    output.stride, source.palette, true, oneThread);
  if (written == IMGCTL_USED_OWN_PALETTE) InterlockedIncrement(&job->source->ownPaletteFrames);
  return written ? WorkerSucceeded : WorkerConvertFailed;
}

// Deletes the files a job may have made: its frame files.
void deleteJobFiles(const RotationFramesJob* job) {
  wchar_t path[MAX_PATH];
  for (int i = 0; i < job->frameCount; ++i)
    if (formatFramePath(path, MAX_PATH, app.workFolder, i)) DeleteFileW(path);
}

bool samePath(const wchar_t* a, const wchar_t* b) {
  wchar_t fullA[MAX_PATH], fullB[MAX_PATH];
  DWORD lengthA = GetFullPathNameW(a, MAX_PATH, fullA, nullptr);
  DWORD lengthB = GetFullPathNameW(b, MAX_PATH, fullB, nullptr);
  if (lengthA == 0 || lengthA >= MAX_PATH || lengthB == 0 || lengthB >= MAX_PATH) return false;
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, fullA, -1, fullB, -1) ==
         CSTR_EQUAL;
}

// Whether the output would be one of the files the job writes and deletes
// (or the temporary BMP earlier versions wrote there).
bool isJobFile(const wchar_t* output, int frames) {
  wchar_t path[MAX_PATH];
  if (formatTempBmpPath(path, MAX_PATH, app.workFolder) && samePath(output, path)) return true;
  for (int i = 0; i < frames; ++i)
    if (formatFramePath(path, MAX_PATH, app.workFolder, i) && samePath(output, path)) return true;
  return false;
}

int runOutputDialog(HWND window) {
  static const FileDialogKind kind = {L"GIF(*.gif)\0*.gif\0", L"保存ファイルを指定", L"gif", 1};
  return runFileDialog(window, kind, app.gifOutputPath);
}

void postProgress(const RotationFramesJob* job, int done) {
  PostMessageW(job->window, WorkerProgress, static_cast<WPARAM>(done),
               static_cast<LPARAM>(job->frameCount));
}

bool stopAsked(RotationFramesJob* job) {
  return InterlockedCompareExchange(&job->workerState, WorkerStopAsked, WorkerStopAsked) ==
         WorkerStopAsked;
}

// The frames 1 .. frameCount-1, shared out among the frame threads: each
// takes the next number until none is left, the stop is asked or a frame
// failed.
struct FrameShare {
  RotationFramesJob* job;
  unsigned pauseMs;
  volatile LONG next;                 // the next frame number to take
  volatile LONG made;                 // frames made, frame 0 included
  std::vector<WorkerResult> results;  // by frame number; WorkerSucceeded until one fails
  volatile LONG failed;               // 1 once a frame failed
};

unsigned __stdcall frameThread(void* argument) {
  FrameShare* share = static_cast<FrameShare*>(argument);
  RotationFramesJob* job = share->job;
  std::vector<uint32_t> turned;
  wchar_t path[MAX_PATH];
  for (;;) {
    if (stopAsked(job) || share->failed) break;
    LONG i = InterlockedIncrement(&share->next) - 1;
    if (i >= job->frameCount) break;
    if (share->pauseMs) Sleep(share->pauseMs);
    formatFramePath(path, MAX_PATH, app.workFolder, i);  // fits: checked at the start
    WorkerResult r = makeFrame(job, i, path, turned, true);
    share->results[static_cast<size_t>(i)] = r;
    if (r != WorkerSucceeded) {
      InterlockedExchange(&share->failed, 1);
      break;
    }
    // The last frame is counted in the title only once the assembly is
    // decided.
    LONG made = InterlockedIncrement(&share->made);
    if (made < job->frameCount) postProgress(job, made);
  }
  return 0;
}

}  // namespace

WorkerResult makeOtherFrames(RotationFramesJob* job, int threads, unsigned pauseMs, bool* allMade) {
  FrameShare share;
  share.job = job;
  share.pauseMs = pauseMs;
  share.next = 1;
  share.made = 1;
  share.results.assign(static_cast<size_t>(job->frameCount), WorkerSucceeded);
  share.failed = 0;
  std::vector<HANDLE> helpers;
  for (int t = 1; t < threads; ++t) {
    HANDLE helper =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, frameThread, &share, 0, nullptr));
    if (helper) helpers.push_back(helper);  // without it, the others take its frames
  }
  frameThread(&share);
  for (HANDLE helper : helpers) {
    WaitForSingleObject(helper, INFINITE);
    CloseHandle(helper);
  }
  *allMade = share.made == job->frameCount;
  for (WorkerResult r : share.results)
    if (r != WorkerSucceeded) return r;
  return WorkerSucceeded;
}

namespace {

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

TurnSource* takeTurnSource(Picture* picture, int* result) {
  // The image of an animation belongs to its playback thread.
  if (picture->frameCount != 1) {
    *result = RotationDrawFailed;
    return nullptr;
  }
  TurnSource* source = new (std::nothrow) TurnSource();
  if (!source) {
    *result = RotationTempNotWritten;
    return nullptr;
  }
  source->mode = app.rotation.mode;
  int read = readSourcePixels(picture, toArgb(app.rotation.fillColour), &source->pixels);
  if (read != SourceRead) {
    delete source;
    *result = read == SourceNoMemory ? RotationTempNotWritten : RotationDrawFailed;
    return nullptr;
  }
  // The fill as the library reads pixels: 0x00RRGGBB.
  source->fill = toArgb(app.rotation.fillColour) & 0x00ffffff;
  *result = RotationJobStarted;
  return source;
}

HANDLE startRotationFrames(TurnSource* source, HWND window, int* result) {
  RotationFramesJob* job = &app.framesJob;
  TurnPlan plan;
  if (!planTurn(app.rotation.angleDegrees, &plan)) {
    *result = RotationBadAngle;
    return nullptr;
  }
  // Without a working folder (or with one too deep for the file names)
  // there is nowhere to put temporary files: nothing is written elsewhere.
  wchar_t firstFrame[MAX_PATH];
  if (!formatFramePath(firstFrame, MAX_PATH, app.workFolder, plan.frames - 1) ||
      !formatFramePath(firstFrame, MAX_PATH, app.workFolder, 0)) {
    resetFramesJob(job);
    *result = RotationTempNotWritten;
    return nullptr;
  }
  const PixelRows& rows = source->pixels.rows;
  if (!imgctlTurnPalette(rows.top, rows.width, rows.height, rows.stride, app.rotation.fillColour,
                         source->palette)) {
    *result = rotationResultOfFrame(WorkerConvertFailed);
    return nullptr;
  }
  job->source = source;
  job->angleStep = plan.step;
  job->frameCount = plan.frames;
  std::vector<uint32_t> turned;
  WorkerResult first = makeFrame(job, 0, firstFrame, turned, false);
  job->source = nullptr;
  HANDLE thread = nullptr;
  if (first != WorkerSucceeded) {
    *result = rotationResultOfFrame(first);
  } else {
    lstrcpynW(app.firstFramePath, firstFrame, MAX_PATH);
    if (runGifParamsDialog(window) != 1) {
      *result = RotationCancelled;
    } else if (runOutputDialog(window) != 1) {
      *result = RotationOutputCancelled;
    } else if (isJobFile(app.gifOutputPath, plan.frames)) {
      *result = RotationOutputIsJobFile;
    } else if (!isWritableTarget(app.gifOutputPath)) {
      // Found now, not after every frame is made: a folder that is gone or
      // takes no file, or a read-only file.
      *result = RotationOutputUnwritable;
    } else {
      job->source = source;
      job->outputPath = app.gifOutputPath;
      job->window = window;
      job->workerState = WorkerRendering;
      job->assemblyGate = GateOpen;
      job->lastResult = WorkerUnexpected;
      thread = reinterpret_cast<HANDLE>(
          _beginthreadex(nullptr, 0, rotationFramesWorker, job, 0, nullptr));
      *result = thread ? RotationJobStarted : RotationThreadFailed;
      if (!thread) job->source = nullptr;
    }
    app.firstFramePath[0] = L'\0';
  }
  if (!thread) {
    deleteJobFiles(job);
    resetFramesJob(job);
  }
  return thread;
}

unsigned __stdcall rotationFramesWorker(void* argument) {
  RotationFramesJob* job = static_cast<RotationFramesJob*>(argument);
  DWORD pauseMs = workerPaceMs();
  int threads = workerThreadCount(processorCount());
  if (threads > job->frameCount - 1) threads = job->frameCount - 1;
  bool allMade = job->frameCount == 1;
  WorkerResult r = job->frameCount > 1 ? makeOtherFrames(job, threads, pauseMs, &allMade)
                                       : WorkerSucceeded;
  job->lastResult = r;
  // A stop asked after the last frame still wins: the swap to assembling
  // happens only from rendering.
  if (r == WorkerSucceeded && allMade &&
      InterlockedCompareExchange(&job->workerState, WorkerAssembling, WorkerRendering) ==
          WorkerRendering) {
    if (job->frameCount > 1) postProgress(job, job->frameCount);
    if (pauseMs) Sleep(pauseMs);
    FramePaths framePaths;
    wchar_t path[MAX_PATH];
    for (int i = 0; i < job->frameCount; ++i) {
      formatFramePath(path, MAX_PATH, app.workFolder, i);
      framePaths.push_back(path);
    }
    AssemblyWatch watch = {job, pauseMs};
    AssemblyControl control = {assemblyMayProceed, &watch};
    GifParams snapshot = gifParams;
    int assembled = assembleAnimatedGif(framePaths, job->outputPath, snapshot, nullptr, &control);
    job->lastResult = assembled == GifWritten          ? WorkerSucceeded
                      : assembled == GifAssemblyStopped ? WorkerAssemblyStopped
                                                        : WorkerOutputFailed;
  }
  deleteJobFiles(job);
  PostMessageW(job->window, WorkerDone, 0, 0);
  return 0;
}

int runAnimatedGifCommand(HWND window, Picture* picture) {
  if (app.rotationWorkerThread) return RotationWorkerBusy;
  int result = RotationCancelled;
  TurnSource* source = takeTurnSource(picture, &result);
  if (!source) return result;
  app.rotationWorkerThread = startRotationFrames(source, window, &result);
  if (result != RotationJobStarted) delete source;
  return result;
}
