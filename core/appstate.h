// AppState: the one program-wide record, at the bottom of the program: every
// folder may read and write it, and it includes nothing but the plain state
// headers of the folders. Every field has a fixed start value, set in
// resetAppState(). Handlers of every subsystem read and write it on the main
// thread; the fields a thread shares say so.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Each folder keeps the records of its own state in a header of plain
// values, which the record below holds.
#include "animation/state.h"
#include "browse/state.h"
#include "gifmake/state.h"
#include "picture/geometry.h"
#include "rotation/geometry.h"
#include "rotation/state.h"

struct Picture;

struct AppState {
  // Start-up and the main window.
  HINSTANCE instance;
  HWND mainWindow;
  ULONG_PTR gdiplusToken;
  DWORD helpCookie;
  unsigned char hasCommandLinePath;   // 1 when the command line named a path
  wchar_t commandLinePath[MAX_PATH];  // that path, unquoted
  int inSizeMove;                     // 1 between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE
  int resizedInSizeMove;              // 1 when WM_SIZE came inside that loop
  int eraseInSizeMove;                // 1 while the background may be erased in that loop
  HANDLE rotationWorkerThread;        // the animated-GIF worker, or none
  HBITMAP aboutLogoBitmap;            // the about box's logo while it is open
  HDC aboutLogoDC;

  // Working folder for temporary files; empty when it could not be set up.
  wchar_t workFolder[MAX_PATH];

  // Rotation: the settings of the last rotation dialog, applied by the view,
  // by every save and by the animated-GIF frames; they outlive pictures.
  RotationSettings rotation;          // InPlane, 0 degrees, white fill at start

  // The shown picture.
  Picture* currentPicture;            // owned; none when nothing is shown
  wchar_t currentPath[MAX_PATH];      // full path of the shown picture
  wchar_t savePath[MAX_PATH];         // path chosen by the save dialog
  int animationState;                 // AnimationState; NotAnimated at start
  short playbackMode;                 // PlaybackMode; PlaybackNormal at start

  // View geometry, in pixels.
  ScrollState verticalScroll;
  ScrollState horizontalScroll;
  int verticalPos;                    // picture drawn at (-horizontalPos, -verticalPos)
  int horizontalPos;
  int frameExtraWidth;                // window minus client size at creation
  int frameExtraHeight;
  int fittedFrameExtraHeight;         // the same after the last fit (menu may wrap)
  int maxTrackWidth;                  // largest window while a picture is shown
  int maxTrackHeight;
  int sizeMoveContentWidth;           // display size copied at the end of a resize
  int sizeMoveContentHeight;
  unsigned zoomPercent;               // zoom for new pictures; 100 at creation
  unsigned zoomInput;                 // the value the zoom dialog accepted

  FolderList folder;
  int stepQuestionOpen;               // 1 while the wrap question of a step is shown

  // Speed and scene dialogs: values handed to them and back.
  double speedValue;                  // delay multiplier shown and chosen; 1.0 at start
  int speedInputOn;                   // 1 while the free-speed check box is ticked
  int speedEditWriting;               // 1 while the dialog writes its own rate edit
  int sceneValue;                     // frame count in, chosen frame number out
  int sceneCurrent;                   // frame shown when the scene dialog opens

  // Animated GIF of a full turn: the worker's job, the output name, and the
  // values the parameter and colour table dialogs exchange.
  RotationFramesJob framesJob;        // idle values between jobs
  wchar_t gifOutputPath[MAX_PATH];    // output dialog's name; empty at start, kept between jobs
  wchar_t firstFramePath[MAX_PATH];   // frame 0 file of the job being set up; empty otherwise
  int stopQuestionOpen;               // 1 while the force-stop question is shown
  int workerDoneDeferred;             // 1 when WorkerDone came during that question
  std::vector<uint8_t> dialogPalette; // RGB triples shown by the colour table; empty outside it
  uint16_t dialogPaletteBits;         // its size in bits (2^bits entries); 0 when empty
  uint16_t pickedTransparentIndex;    // the transparent-colour grid's working index; 0 at start
  uint16_t savedBackgroundIndex;      // gifParams indices when the parameter dialog opened
  uint16_t savedTransparentIndex;
  ColourTableView colourTable;        // all none while no colour table dialog is open
};

extern AppState app;

void resetAppState();
// The idle values of a frames job: at start and after each job ends.
void resetFramesJob(RotationFramesJob* job);
