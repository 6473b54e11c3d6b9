// The shown picture and everything that puts it on screen: the Picture
// record and its GDI+ image, view geometry and scrolling, painting. Opening
// a file (which may start playback) is the shell's, above animation.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include "picture/filetype.h"
#include "picture/geometry.h"

// --- image_win.cpp ---------------------------------------------------------

// A GDI+ image with the status of the last call on it, decoded from a copy
// of its file in memory: no file stays open while a picture is shown, so a
// save may replace the shown picture's own file, and the picture shown stays
// as it was loaded. The destructor disposes the native image, then lets go
// of the bytes. Memory comes from GDI+'s own allocator, and a failed
// allocation yields null rather than an exception.
class ImageObject {
 public:
  static void* operator new(size_t size) noexcept;
  static void operator delete(void* block) noexcept;
  ImageObject() : nativeImage(nullptr), lastStatus(Gdiplus::Ok), stream(nullptr) {}
  virtual ~ImageObject();

  // Reads the file whole and decodes it: Ok, or why not (OutOfMemory for a
  // file too large to hold, Win32Error when it cannot be read). The status
  // is also kept in lastStatus.
  Gdiplus::GpStatus loadFile(const wchar_t* path);

  Gdiplus::GpImage* nativeImage;
  Gdiplus::GpStatus lastStatus;
  IStream* stream;  // the file's bytes, which the image decodes from; none without an image
};

// --- picture_win.cpp -------------------------------------------------------

struct Picture {
  HWND window;                 // window the picture is shown in
  HDC surfaceDC;               // memory DC holding surfaceBitmap, or none
  HBITMAP surfaceBitmap;       // rendered picture: a 32-bit top-down DIB section
  uint32_t* surfacePixels;     // its top row, rows packed (0x00RRGGBB words), or none
  int scaled;                  // 1 when either zoom differs from 100 (stretched paint)
  double horizontalZoom;       // percent
  double verticalZoom;         // percent
  ImageObject* image;          // decoded file, or none
  UINT surfaceWidth;           // widest frame
  UINT surfaceHeight;          // tallest frame
  UINT imageWidth;             // first frame as loaded
  UINT imageHeight;
  UINT displayWidth;           // on screen after zoom
  UINT displayHeight;
  int* horizontalPosRef;       // AppState horizontalPos
  int* verticalPosRef;         // AppState verticalPos
  int fileType;                // FileType of the path
  UINT frameCount;             // 1 for every type but GIF
  UINT currentFrame;           // frame shown by playback or scene selection
  HANDLE runEvent;             // manual-reset: playback runs while set
  HANDLE quitEvent;            // ends the playback thread; also times the delay
  HANDLE playbackThread;       // none unless an animation plays
  volatile LONG running;       // 1 while runEvent is set
  double speed;                // frame delays are multiplied by it
  SRWLOCK surfaceLock;         // held by the playback thread, the scenes and painting
                               // around surface drawing; all-zero is unlocked
};

// GDI+ time dimension of animated GIF frames.
extern const GUID frameDimensionTime;

Picture* createPicture(const wchar_t* path, HWND window);
int loadImage(Picture* picture, const wchar_t* path);
int updateDisplaySize(Picture* picture);
UINT countFrames(Picture* picture);
int measureLargestFrame(Picture* picture);
int createSurface(Picture* picture, UINT width, UINT height);
int renderStill(Picture* picture);
// A still picture is drawn into its surface (renderStill); an animation
// only gets its surface, which its playback thread draws into. 1, or 0 for
// a picture without an image object. A file that did not decode has an
// image object but no size: it gets no surface (renderStill gives -1).
int renderPicture(Picture* picture);
// Why a picture with nothing to paint shows nothing, in the words the
// window shows in its place: it did not decode, or its surface could not be
// made. None for a picture that has its surface.
const wchar_t* unshownText(const Picture* picture);
// Frees the picture and everything it holds. It must have no playback
// thread: animation's stopAndRelease stops one first.
void releasePicture(Picture* picture);
void clearPictureResources(Picture* picture);

// --- view_win.cpp ------------------------------------------------------------

void resetScrollBars(HWND window);
void resetAxis(HWND window, int bar);
void measureFrameExtras(HWND window);
void computeMaxTrackSize(int width, int height, int extraHeight);
void fitWindow(HWND window, int width, int height);
int setScrollBar(int bar, ScrollState* state, HWND window, int contentSize, int* position);
// Fits the window to content of width x height from unscrolled bars, then
// sets both bars; a bar that appears narrows the other axis, so a shown bar
// sets both once more.
void fitView(HWND window, int width, int height);
// The same for a picture just rendered, resetting both bars first; a
// picture that cannot be shown gets a window of kUnshownWidth x
// kUnshownHeight for the text that says why.
void layOutNewPicture(HWND window, Picture* picture);
const int kUnshownWidth = 360;
const int kUnshownHeight = 120;
int refitAfterResize(HWND window);
int scrollVertically(HWND window, WPARAM wParam);
int scrollHorizontally(HWND window, WPARAM wParam);
int relayoutAxis(Picture* picture, int axis, ScrollState* state);
int zoomCommand(HWND window, Picture* picture);

// --- zoomdialog_win.cpp ----------------------------------------------------

INT_PTR CALLBACK zoomDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- paint_win.cpp -----------------------------------------------------------

int drawPicture(Picture* picture, HDC dc);
// For a picture that cannot be shown, says why in the middle of the client
// area (over the gray paintUncovered leaves there).
void paintUnshown(Picture* picture, HDC dc, const RECT& client);
// Fills the part of the client area the picture does not cover.
void paintUncovered(Picture* picture, HDC dc, const RECT& client);
