// Playback of animated GIFs. Until the playback thread exists, an animated
// picture shows its first frame as a still picture.
#include "animation/animation.h"
#include "picture/picture.h"

using namespace Gdiplus;

void startPlayback(Picture* picture) {
  if (!picture->image || !picture->image->nativeImage || !picture->surfaceDC) return;
  GpImage* native = picture->image->nativeImage;
  DllExports::GdipImageSelectActiveFrame(native, &frameDimensionTime, 0);
  GpGraphics* graphics = nullptr;
  picture->image->lastStatus = DllExports::GdipCreateFromHDC(picture->surfaceDC, &graphics);
  if (graphics) {
    picture->image->lastStatus = DllExports::GdipDrawImageRectI(
        graphics, native, 0, 0, picture->imageWidth, picture->imageHeight);
    DllExports::GdipDeleteGraphics(graphics);
  }
  InvalidateRect(picture->window, nullptr, TRUE);
}

void stopPlayback(Picture* picture) {
  if (picture->quitEvent) SetEvent(picture->quitEvent);
  if (picture->runEvent && !picture->running) SetEvent(picture->runEvent);
  if (picture->playbackThread) {
    WaitForSingleObject(picture->playbackThread, INFINITE);
    CloseHandle(picture->playbackThread);
  }
  if (picture->runEvent) CloseHandle(picture->runEvent);
  if (picture->quitEvent) CloseHandle(picture->quitEvent);
  picture->playbackThread = nullptr;
  picture->runEvent = nullptr;
  picture->quitEvent = nullptr;
  picture->speed = 1.0;
  picture->frameCount = 0;
  picture->currentFrame = 0;
  picture->fileType = -1;
  picture->running = 1;
}
