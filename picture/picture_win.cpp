// The Picture record: loading through GDI+, frames, the memory surface, the
// still rendering and the release.
#include <new>

#include "core/appstate.h"
#include "picture/picture.h"

using namespace Gdiplus;

const GUID frameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a,
                                 {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

Picture* createPicture(const wchar_t* path, HWND window) {
  Picture* picture = new (std::nothrow) Picture();
  if (!picture) return nullptr;
  picture->window = window;
  picture->horizontalZoom = picture->verticalZoom = static_cast<double>(app.zoomPercent);
  picture->scaled = app.zoomPercent != 100 ? 1 : 0;
  picture->horizontalPosRef = &app.horizontalPos;
  picture->verticalPosRef = &app.verticalPos;
  if (path) loadImage(picture, path);
  picture->speed = 1.0;
  picture->currentFrame = 0;
  picture->running = 1;
  picture->fileType = path ? classifyExtension(path) : -1;
  picture->frameCount = picture->fileType == FileTypeGif ? countFrames(picture) : 1;
  measureLargestFrame(picture);
  return picture;
}

int loadImage(Picture* picture, const wchar_t* path) {
  if (!path || !path[0]) return 0;
  picture->image = new ImageObject;
  if (picture->image) picture->image->loadFile(path);
  UINT width = 0, height = 0;
  if (picture->image && picture->image->nativeImage) {
    picture->image->lastStatus = DllExports::GdipGetImageWidth(picture->image->nativeImage, &width);
    picture->image->lastStatus =
        DllExports::GdipGetImageHeight(picture->image->nativeImage, &height);
  }
  picture->surfaceWidth = picture->imageWidth = width;
  picture->surfaceHeight = picture->imageHeight = height;
  updateDisplaySize(picture);
  return 2;
}

int updateDisplaySize(Picture* picture) {
  if (picture->scaled == 1) {
    picture->displayWidth =
        zoomedSide(static_cast<unsigned>(picture->horizontalZoom), picture->imageWidth);
    picture->displayHeight =
        zoomedSide(static_cast<unsigned>(picture->verticalZoom), picture->imageHeight);
  } else {
    picture->displayWidth = picture->imageWidth;
    picture->displayHeight = picture->imageHeight;
  }
  return 1;
}

UINT countFrames(Picture* picture) {
  if (!picture->image || !picture->image->nativeImage) return 0;
  GpImage* native = picture->image->nativeImage;
  UINT dimensions = 0;
  picture->image->lastStatus = DllExports::GdipImageGetFrameDimensionsCount(native, &dimensions);
  if (dimensions == 0) return 0;
  GUID* ids = new (std::nothrow) GUID[dimensions];
  if (!ids) return 0;
  UINT frames = 0;
  picture->image->lastStatus = DllExports::GdipImageGetFrameDimensionsList(native, ids, dimensions);
  if (picture->image->lastStatus == Ok)
    picture->image->lastStatus = DllExports::GdipImageGetFrameCount(native, &ids[0], &frames);
  delete[] ids;
  return frames;
}

int measureLargestFrame(Picture* picture) {
  if (picture->frameCount < 2 || !picture->image || !picture->image->nativeImage) return 0;
  GpImage* native = picture->image->nativeImage;
  for (UINT frame = 1; frame < picture->frameCount; ++frame) {
    DllExports::GdipImageSelectActiveFrame(native, &frameDimensionTime, frame);
    UINT width = 0, height = 0;
    DllExports::GdipGetImageWidth(native, &width);
    DllExports::GdipGetImageHeight(native, &height);
    if (width > picture->surfaceWidth) picture->surfaceWidth = width;
    if (height > picture->surfaceHeight) picture->surfaceHeight = height;
  }
  updateDisplaySize(picture);
  picture->image->lastStatus = DllExports::GdipImageSelectActiveFrame(native, &frameDimensionTime, 0);
  return 1;
}

int createSurface(Picture* picture, UINT width, UINT height) {
  if (width == 0 || height == 0) return 0;
  if (width > 0x7fffffff || height > 0x7fffffff) return 0;
  if (picture->surfaceDC) DeleteDC(picture->surfaceDC);
  if (picture->surfaceBitmap) DeleteObject(picture->surfaceBitmap);
  picture->surfaceDC = nullptr;
  picture->surfaceBitmap = nullptr;
  picture->surfacePixels = nullptr;

  // A 32-bit top-down DIB section: GDI and GDI+ draw into it like into any
  // bitmap, and the rotation kernel writes its pixels directly.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC windowDC = GetDC(picture->window);
  HDC memoryDC = CreateCompatibleDC(windowDC);
  void* pixels = nullptr;
  HBITMAP bitmap = nullptr;
  // 32-bit rows: beyond 2^29 pixels a side's byte count no longer fits.
  if (memoryDC && static_cast<unsigned long long>(width) * height <= (1ull << 29))
    bitmap = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  int result = 0;
  if (bitmap && pixels) {
    SelectObject(memoryDC, bitmap);
    SelectObject(memoryDC, GetStockObject(GRAY_BRUSH));
    PatBlt(memoryDC, 0, 0, width, height, PATCOPY);
    picture->surfaceDC = memoryDC;
    picture->surfaceBitmap = bitmap;
    picture->surfacePixels = static_cast<uint32_t*>(pixels);
    result = 1;
  } else {
    // A surface too large for GDI is no surface: nothing is painted rather
    // than something half made.
    if (bitmap) DeleteObject(bitmap);
    if (memoryDC) DeleteDC(memoryDC);
  }
  ReleaseDC(picture->window, windowDC);
  return result;
}

int renderStill(Picture* picture) {
  if (!picture->image) return 0;
  // An image that did not decode has no size, and so no surface.
  if (createSurface(picture, picture->surfaceWidth, picture->surfaceHeight) != 1) return -1;
  GpGraphics* graphics = nullptr;
  picture->image->lastStatus = DllExports::GdipCreateFromHDC(picture->surfaceDC, &graphics);
  if (graphics) {
    picture->image->lastStatus =
        DllExports::GdipDrawImageRectI(graphics, picture->image->nativeImage, 0, 0,
                                       picture->surfaceWidth, picture->surfaceHeight);
  }
  updateDisplaySize(picture);
  InvalidateRect(picture->window, nullptr, FALSE);
  if (graphics) DllExports::GdipDeleteGraphics(graphics);
  return 1;
}

int renderPicture(Picture* picture) {
  if (!picture->image) return 0;
  if (picture->frameCount == 1) {
    renderStill(picture);
  } else {
    // The frames are drawn by playback, from the layer above.
    createSurface(picture, picture->surfaceWidth, picture->surfaceHeight);
  }
  return 1;
}

const wchar_t* unshownText(const Picture* picture) {
  if (picture->surfaceDC) return nullptr;
  if (!picture->image || !picture->image->nativeImage) return L"この画像を表示できません";
  return L"画像が大きすぎて表示できません";
}

void clearPictureResources(Picture* picture) {
  if (picture->surfaceDC) DeleteDC(picture->surfaceDC);
  if (picture->surfaceBitmap) DeleteObject(picture->surfaceBitmap);
  delete picture->image;
  picture->surfaceDC = nullptr;
  picture->surfaceBitmap = nullptr;
  picture->surfacePixels = nullptr;
  picture->image = nullptr;
  picture->surfaceWidth = picture->surfaceHeight = 0;
  picture->imageWidth = picture->imageHeight = 0;
  picture->displayWidth = picture->displayHeight = 0;
}

void releasePicture(Picture* picture) {
  if (!picture) return;
  clearPictureResources(picture);
  delete picture;
}
