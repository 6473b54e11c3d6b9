// AppState: the one program-wide record. Every field has a fixed start value,
// set in resetAppState(). Handlers of every subsystem read and write it on the
// main thread; the fields a thread shares say so.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "picture/geometry.h"
#include "rotation/geometry.h"

struct Picture;

// The sorted picture files of the shown picture's folder.
struct FolderList {
  std::string folderPath;          // folder of the last scanned picture, no trailing '\'
  std::vector<std::string> names;  // file names in natural order, each once
  int nameCount;                   // entries in names
  int folderCount;                 // navigable count: nameCount after a good scan, else 0
  int folderIndex;                 // index in names of the shown picture
  std::string scannedName;         // file name of the last scanned path (title after a failed scan)
};

struct AppState {
  // Start-up and the main window.
  HINSTANCE instance;
  HWND mainWindow;
  ULONG_PTR gdiplusToken;
  DWORD helpCookie;
  unsigned char hasCommandLinePath;   // 1 when the command line named a path
  char commandLinePath[MAX_PATH];     // that path, unquoted
  int inSizeMove;                     // 1 between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE
  int resizedInSizeMove;              // 1 when WM_SIZE came inside that loop
  int eraseInSizeMove;                // 1 while the background may be erased in that loop
  HANDLE rotationWorkerThread;        // the animated-GIF worker, or none
  HBITMAP aboutLogoBitmap;            // the about box's logo while it is open
  HDC aboutLogoDC;

  // Working folder for temporary files; empty when it could not be set up.
  char workFolder[MAX_PATH];

  // Rotation: the settings of the last rotation dialog, applied by the view,
  // by every save and by the animated-GIF frames; they outlive pictures.
  RotationSettings rotation;          // InPlane, 0 degrees, white fill at start

  // The shown picture.
  Picture* currentPicture;            // owned; none when nothing is shown
  char currentPath[MAX_PATH];         // full path of the shown picture
  char savePath[MAX_PATH];            // path chosen by the save dialog
  int animationState;                 // 1 playing, 0 paused, -1 not animated
  short playbackMode;                 // 0 normal, 1 one scene, -1 stop asked by the speed dialog

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

  // Speed and scene dialogs: values handed to them and back.
  double speedValue;                  // delay multiplier shown and chosen; 1.0 at start
  int speedInputOn;                   // 1 while the free-speed check box is ticked
  int speedEditWriting;               // 1 while the dialog writes its own rate edit
  int sceneValue;                     // frame count in, chosen frame number out
  int sceneCurrent;                   // frame shown when the scene dialog opens
};

extern AppState app;

void resetAppState();
