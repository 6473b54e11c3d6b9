// The main window's side of the animated-GIF worker: the progress in the
// title, the end report, and the stop command.
//
// The stop command never suspends or kills the worker. While frames are
// rendered it swaps the worker's state to "stop" (the worker ends after its
// current frame); during the assembly it holds the assembly gate, asks
// "強制終了しますか?", and on Yes sets the gate to stop, waits for the
// worker to leave the assembly (it stops at its next frame and deletes its
// files; the user's file at the output path is not touched), then ends the
// program. WorkerDone that arrives while the question is shown (the message
// box runs its own message loop) is kept until the answer: after No it is
// handled as usual, after Yes there is nothing left to report.
#include <string>

#include "core/appstate.h"
#include "rotation/framesworker.h"
#include "rotation/results.h"
#include "shell/shell.h"

int workerResultText(wchar_t* buffer, size_t size, int code, int state) {
  const wchar_t* text = nullptr;
  bool known = workerResultMessage(code, state == WorkerAssembling, &text);
  if (size > 0) lstrcpynW(buffer, text, static_cast<int>(size));
  return known ? 1 : 0;
}

void onWorkerProgress(HWND window, WPARAM done, LPARAM total) {
  if (!app.rotationWorkerThread) return;  // a late notice of a job already reported
  std::wstring title = L"アニメGIF作成中... " + std::to_wstring(static_cast<unsigned>(done)) + L"/" +
                       std::to_wstring(static_cast<long>(total));
  SetWindowTextW(window, title.c_str());
}

void onWorkerDone(HWND window) {
  if (app.stopQuestionOpen) {
    app.workerDoneDeferred = 1;
    return;
  }
  if (!app.rotationWorkerThread) return;
  WaitForSingleObject(app.rotationWorkerThread, INFINITE);
  CloseHandle(app.rotationWorkerThread);
  app.rotationWorkerThread = nullptr;
  updateTitle(window);
  wchar_t text[128];
  workerResultText(text, 128, app.framesJob.lastResult, app.framesJob.workerState);
  // The job is released before the box, whose message loop could otherwise
  // start the next job over this one's record.
  delete app.framesJob.source;
  resetFramesJob(&app.framesJob);
  MessageBoxW(window, text, L"スレッド終了", MB_OK);
}

int forceStopWorker(HWND window, HANDLE thread) {
  if (!thread || app.stopQuestionOpen) return 0;
  RotationFramesJob& job = app.framesJob;
  // Rendering: the swap is the stop request, seen after the current frame.
  LONG state = InterlockedCompareExchange(&job.workerState, WorkerStopAsked, WorkerRendering);
  if (state != WorkerAssembling) return 0;
  // Assembling. A worker already putting its file in place is past stopping;
  // its WorkerDone reports the finished file.
  if (InterlockedCompareExchange(&job.assemblyGate, GateHeld, GateOpen) != GateOpen) return 0;
  app.stopQuestionOpen = 1;
  int answer = MessageBoxW(window, L"強制終了しますか?", L"Alert", MB_YESNO);
  app.stopQuestionOpen = 0;
  if (answer == IDYES) {
    // The worker stops at its next spliced frame and deletes its files;
    // the program ends only after it, so GDI+ is never shut down under it.
    InterlockedExchange(&job.assemblyGate, GateStop);
    WaitForSingleObject(thread, INFINITE);
    app.workerDoneDeferred = 0;
    closeHelpWindows(window);
    DestroyWindow(window);
    return 1;
  }
  InterlockedExchange(&job.assemblyGate, GateOpen);
  if (app.workerDoneDeferred) {
    app.workerDoneDeferred = 0;
    onWorkerDone(window);
  }
  return 0;
}
