// Playback of animated GIFs. Each playing picture has one thread that draws
// frame after frame into the picture's memory surface and invalidates the
// window; the main thread paints from that surface.
//
// The two threads meet through two manual-reset events and one lock:
//  - runEvent is the gate at the start of every pass: set while playing,
//    reset while paused. `running` mirrors it and only the main thread
//    writes it, so a pause posted before the thread has even started is
//    never undone by the thread starting up.
//  - quitEvent times each frame's delay and ends the thread. stopPlayback
//    sets it and always opens the gate, so a paused thread runs one more
//    pass (it draws one frame) and then sees the signal in its delay wait.
//  - surfaceLock is held around frame selection and drawing, here and in
//    the scene functions, and around the blit in painting, and never while
//    waiting. Pause and resume change the gate and `running` under it too,
//    so a pass that finds `running` cleared draws nothing: a scene the user
//    chose is not overdrawn by a pass that had already passed the gate.
// The thread never sends to the window (InvalidateRect only marks it for a
// paint), so stopPlayback may block on the thread without a deadlock.
#include <process.h>
#include <stdint.h>
#include <stdlib.h>

#include "animation/animation.h"
#include "animation/frames.h"
#include "core/appstate.h"
#include "picture/picture.h"

using namespace Gdiplus;

namespace {

// GDI+'s frame-delay property: one 32-bit delay per frame, in hundredths
// of a second.
const PROPID frameDelayProperty = 0x5100;

class SurfaceLock {
 public:
  explicit SurfaceLock(Picture* picture) : lock_(&picture->surfaceLock) {
    AcquireSRWLockExclusive(lock_);
  }
  ~SurfaceLock() { ReleaseSRWLockExclusive(lock_); }
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;

 private:
  SRWLOCK* lock_;
};

bool canDraw(const Picture* picture) {
  return picture->image && picture->image->nativeImage && picture->surfaceDC;
}

// Draws one frame over the whole surface, stretched to it. Playback clears
// to opaque black first, so transparent parts show black; a scene is drawn
// over what the surface holds. GDI+ failures are kept in lastStatus only.
// The caller holds the surface lock.
void drawFrame(Picture* picture, UINT frame, bool clearFirst) {
  GpImage* native = picture->image->nativeImage;
  int width = static_cast<int>(picture->surfaceWidth);
  int height = static_cast<int>(picture->surfaceHeight);
  picture->image->lastStatus =
      DllExports::GdipImageSelectActiveFrame(native, &frameDimensionTime, frame);
  GpGraphics* graphics = nullptr;
  picture->image->lastStatus = DllExports::GdipCreateFromHDC(picture->surfaceDC, &graphics);
  if (!graphics) return;
  if (clearFirst) {
    GpSolidFill* black = nullptr;
    DllExports::GdipCreateSolidFill(0xFF000000, &black);
    if (black) {
      DllExports::GdipFillRectangleI(graphics, black, 0, 0, width, height);
      DllExports::GdipDeleteBrush(black);
    }
  }
  picture->image->lastStatus = DllExports::GdipDrawImageRectI(graphics, native, 0, 0, width, height);
  DllExports::GdipDeleteGraphics(graphics);
}

// The picture's delay list, read whole into a buffer the caller frees. The
// entries that lie inside the buffer are counted, so a property shorter
// than the frame count is never read past its end. Null when GDI+ has no
// such property or the buffer cannot be had.
PropertyItem* readFrameDelays(Picture* picture, const uint32_t** delays, size_t* entries) {
  GpImage* native = picture->image->nativeImage;
  UINT size = 0;
  if (DllExports::GdipGetPropertyItemSize(native, frameDelayProperty, &size) != Ok) return nullptr;
  if (size < sizeof(PropertyItem)) return nullptr;
  PropertyItem* item = static_cast<PropertyItem*>(malloc(size));
  if (!item) return nullptr;
  if (DllExports::GdipGetPropertyItem(native, frameDelayProperty, size, item) != Ok) {
    free(item);
    return nullptr;
  }
  uintptr_t start = reinterpret_cast<uintptr_t>(item);
  uintptr_t value = reinterpret_cast<uintptr_t>(item->value);
  // A value before the buffer wraps to a huge offset and so counts nothing.
  *entries = delayEntriesInside(size, value - start, item->length);
  *delays = *entries ? static_cast<const uint32_t*>(item->value) : nullptr;
  return item;
}

// One pass after the gate: advance (except on the first pass), then select
// and draw. False when the pass was paused after the gate and drew nothing.
bool drawNextFrame(Picture* picture, bool first, UINT* frame, double* speed) {
  SurfaceLock lock(picture);
  if (!picture->running) return false;
  if (!first) picture->currentFrame = nextFrame(picture->currentFrame, picture->frameCount);
  // The copy is checked here and used for both the frame and its delay.
  *frame = sceneFrame(picture->currentFrame, picture->frameCount);
  *speed = picture->speed;
  drawFrame(picture, *frame, true);
  return true;
}

unsigned __stdcall playbackThreadMain(void* argument) {
  Picture* picture = static_cast<Picture*>(argument);
  const uint32_t* delays = nullptr;
  size_t entries = 0;
  // Without a delay list nothing plays: the surface keeps its grey fill.
  PropertyItem* delayBuffer = readFrameDelays(picture, &delays, &entries);
  if (!delayBuffer) return 0;
  bool first = true;
  for (;;) {
    if (WaitForSingleObject(picture->runEvent, INFINITE) != WAIT_OBJECT_0) break;
    UINT frame = 0;
    double speed = 1.0;
    if (!drawNextFrame(picture, first, &frame, &speed)) {
      // Paused after the gate: back to it, unless the end is asked for.
      if (WaitForSingleObject(picture->quitEvent, 0) != WAIT_TIMEOUT) break;
      continue;
    }
    first = false;
    InvalidateRect(picture->window, nullptr, TRUE);
    DWORD wait = frameWaitMs(frameDelay(delays, entries, frame), speed);
    // Signalled means stop; a failed wait also ends the thread rather than
    // letting it spin.
    if (WaitForSingleObject(picture->quitEvent, wait) != WAIT_TIMEOUT) break;
  }
  free(delayBuffer);
  return 0;
}

void drawStill(Picture* picture) {
  SurfaceLock lock(picture);
  drawFrame(picture, 0, false);
}

}  // namespace

int renderAndPlay(Picture* picture) {
  if (renderPicture(picture) != 1) return 0;
  if (picture->frameCount != 1 && picture->surfaceDC) startPlayback(picture);
  return 1;
}

void stopAndRelease(Picture* picture) {
  if (!picture) return;
  stopPlayback(picture);
  releasePicture(picture);
}

bool isAnimationShown(const Picture* picture) {
  return picture && picture->playbackThread;
}

void startPlayback(Picture* picture) {
  if (!canDraw(picture) || picture->playbackThread) return;
  if (picture->frameCount < 2) {
    // An unreadable frame count (0) has no last frame to wrap at: the first
    // frame is shown as a still picture.
    drawStill(picture);
    InvalidateRect(picture->window, nullptr, TRUE);
    return;
  }
  if (!picture->runEvent) picture->runEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  if (!picture->quitEvent) picture->quitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  updateDisplaySize(picture);
  if (!picture->runEvent || !picture->quitEvent) return;
  SetEvent(picture->runEvent);
  ResetEvent(picture->quitEvent);
  picture->running = 1;
  picture->currentFrame = 0;
  // _beginthreadex gives the C library its per-thread state and returns a
  // handle that stays valid until it is closed (0 when no thread started).
  picture->playbackThread = reinterpret_cast<HANDLE>(
      _beginthreadex(nullptr, 0, playbackThreadMain, picture, 0, nullptr));
}

void stopPlayback(Picture* picture) {
  if (picture->playbackThread) {
    SetEvent(picture->quitEvent);
    {
      SurfaceLock lock(picture);
      SetEvent(picture->runEvent);
      picture->running = 1;
    }
    WaitForSingleObject(picture->playbackThread, INFINITE);
    CloseHandle(picture->playbackThread);
    picture->playbackThread = nullptr;
    ResetEvent(picture->quitEvent);
  }
  if (picture->runEvent) CloseHandle(picture->runEvent);
  if (picture->quitEvent) CloseHandle(picture->quitEvent);
  picture->runEvent = nullptr;
  picture->quitEvent = nullptr;
  picture->speed = 1.0;
  picture->frameCount = 0;
  picture->currentFrame = 0;
  picture->fileType = -1;
  picture->running = 1;
}

int pausePlayback(Picture* picture) {
  if (!picture->playbackThread || !picture->running) return 0;
  SurfaceLock lock(picture);
  ResetEvent(picture->runEvent);
  picture->running = 0;
  return 1;
}

int resumePlayback(Picture* picture) {
  if (!picture->playbackThread || picture->running) return 0;
  SurfaceLock lock(picture);
  picture->running = 1;
  SetEvent(picture->runEvent);
  return 1;
}

int showScene(Picture* picture, UINT frame) {
  int paused = pausePlayback(picture);
  if (canDraw(picture)) {
    SurfaceLock lock(picture);
    picture->currentFrame = sceneFrame(frame, picture->frameCount);
    drawFrame(picture, picture->currentFrame, false);
  }
  InvalidateRect(picture->window, nullptr, TRUE);
  return paused;
}

namespace {

void stepScene(bool forward) {
  Picture* picture = app.currentPicture;
  if (!isAnimationShown(picture) || !canDraw(picture)) return;
  {
    SurfaceLock lock(picture);
    UINT count = picture->frameCount;
    picture->currentFrame = forward ? nextFrame(picture->currentFrame, count)
                                    : previousFrame(picture->currentFrame, count);
    drawFrame(picture, picture->currentFrame, false);
  }
  InvalidateRect(picture->window, nullptr, TRUE);
}

}  // namespace

void nextScene() { stepScene(true); }
void previousScene() { stepScene(false); }

UINT shownFrame(Picture* picture) {
  SurfaceLock lock(picture);
  return picture->currentFrame;
}

void setPlaybackSpeed(Picture* picture, double speed) {
  SurfaceLock lock(picture);
  picture->speed = speed;
}
