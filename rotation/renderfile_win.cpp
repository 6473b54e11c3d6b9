// Drawing the picture afresh, at full resolution and under the current
// rotation settings, into a new GDI+ bitmap that the encoder of the target
// type writes to a file. The save command and the animated-GIF frames both
// come through here, so a saved file looks like the rotated view.
//
// Every file is written beside its target and moved over it when complete
// (core/replace.h): a failed bitmap, drawing, encoder or write leaves an
// existing target as it was, never a file of plain fill colour.
#include <cstdlib>
#include <cwchar>

#include "core/appstate.h"
#include "core/replace.h"
#include "rotation/rotation.h"

using namespace Gdiplus;

namespace {

// MIME types of the encoders, by FileType.
const wchar_t* const mimeTypes[] = {L"image/jpeg", L"image/gif", L"image/png", L"image/tiff",
                                    L"image/bmp"};

bool isAnimated(const Picture* picture) { return picture->frameCount != 1; }

// The target bitmap of a save, or null when GDI+ refused it (why in
// *status).
GpBitmap* makeTargetBitmap(Picture* picture, BitmapKind kind, INT width, INT height, float xdpi,
                           float ydpi, GpStatus* status) {
  GpBitmap* bitmap = nullptr;
  *status = GenericError;
  if (kind == FromPictureSurface) {
    GpGraphics* pictureGraphics = nullptr;
    if (picture->image && picture->image->nativeImage &&
        DllExports::GdipGetImageGraphicsContext(picture->image->nativeImage, &pictureGraphics) ==
            Ok) {
      *status = DllExports::GdipCreateBitmapFromGraphics(width, height, pictureGraphics, &bitmap);
      DllExports::GdipDeleteGraphics(pictureGraphics);
    }
  } else if (kind == Rgb24WithResolution) {
    *status = DllExports::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat24bppRGB, nullptr,
                                                    &bitmap);
    // A picture without a resolution (0) keeps the bitmap's default.
    if (*status == Ok) DllExports::GdipBitmapSetResolution(bitmap, xdpi, ydpi);
  } else {
    *status = DllExports::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB,
                                                    nullptr, &bitmap);
  }
  if (*status != Ok) bitmap = nullptr;
  return bitmap;
}

// Fills the bitmap and draws the turned picture into it: Ok, or the first
// failure (a fill-only bitmap is no picture to save).
GpStatus drawIntoBitmap(GpBitmap* bitmap, Picture* picture, const RotationGeometry& g) {
  GpGraphics* graphics = nullptr;
  GpSolidFill* brush = nullptr;
  GpStatus status = DllExports::GdipGetImageGraphicsContext(bitmap, &graphics);
  if (status == Ok) status = DllExports::GdipCreateSolidFill(toArgb(app.rotation.fillColour), &brush);
  if (status == Ok)
    status = DllExports::GdipFillRectangleI(graphics, brush, 0, 0, static_cast<INT>(g.outputWidth),
                                            static_cast<INT>(g.outputHeight));
  if (status == Ok) {
    const Point corners[3] = {Point(g.p0.x, g.p0.y), Point(g.p1.x, g.p1.y),
                              Point(g.p2.x, g.p2.y)};
    status = DllExports::GdipDrawImagePointsI(graphics, picture->image->nativeImage, corners, 3);
  }
  if (brush) DllExports::GdipDeleteBrush(brush);
  if (graphics) DllExports::GdipDeleteGraphics(graphics);
  return status;
}

// Writes the bitmap with the encoder beside the target, then over it: Ok,
// or the failure (GenericError when the file could not be put in place).
GpStatus saveBitmap(GpBitmap* bitmap, const CLSID* encoder, const wchar_t* target) {
  wchar_t temp[MAX_PATH];
  if (!makeSiblingTemp(target, temp)) return GenericError;
  GpStatus status = DllExports::GdipSaveImageToFile(bitmap, temp, encoder, nullptr);
  if (status != Ok) {
    DeleteFileW(temp);
    return status;
  }
  return replaceWithTemp(temp, target) ? Ok : GenericError;
}

}  // namespace

int findEncoderClsid(const wchar_t* mime, CLSID* clsid) {
  UINT count = 0, size = 0;
  DllExports::GdipGetImageEncodersSize(&count, &size);
  if (size == 0) return -1;
  ImageCodecInfo* encoders = static_cast<ImageCodecInfo*>(std::malloc(size));
  if (!encoders) return -1;
  int found = -1;
  if (DllExports::GdipGetImageEncoders(count, size, encoders) == Ok) {
    for (UINT i = 0; i < count; ++i) {
      if (encoders[i].MimeType && std::wcscmp(encoders[i].MimeType, mime) == 0) {
        *clsid = encoders[i].Clsid;
        found = static_cast<int>(i);
        break;
      }
    }
  }
  std::free(encoders);
  return found;
}

BitmapKind chooseBitmapKind(int type, Picture* picture, float* xdpi, float* ydpi) {
  PixelFormat format = PixelFormatUndefined;
  *xdpi = *ydpi = 0.0f;
  if (picture->image && picture->image->nativeImage) {
    GpImage* image = picture->image->nativeImage;
    picture->image->lastStatus = DllExports::GdipGetImagePixelFormat(image, &format);
    if (picture->image->lastStatus != Ok) format = PixelFormatUndefined;
    if (DllExports::GdipGetImageHorizontalResolution(image, xdpi) != Ok) *xdpi = 0.0f;
    if (DllExports::GdipGetImageVerticalResolution(image, ydpi) != Ok) *ydpi = 0.0f;
  }
  return bitmapKindFor(type, static_cast<uint32_t>(format));
}

int renderRotatedToFile(Picture* picture, int type, const wchar_t* widePath, int angleDegrees,
                        BitmapKind kind, float xdpi, float ydpi, UINT* outWidth,
                        UINT* outHeight) {
  if (!picture || isAnimated(picture)) return RenderRefused;
  if (type < FileTypeJpeg || type > FileTypeBmp || !widePath || !widePath[0]) return RenderFailed;
  if (!picture->image || !picture->image->nativeImage) return RenderFailed;
  RotationGeometry g = rotationGeometry(app.rotation.mode, angleRadians(angleDegrees),
                                        picture->surfaceWidth, picture->surfaceHeight);
  if (g.outputWidth == 0 || g.outputHeight == 0) return RenderFailed;

  GpStatus status = GenericError;
  GpBitmap* bitmap = makeTargetBitmap(picture, kind, static_cast<INT>(g.outputWidth),
                                      static_cast<INT>(g.outputHeight), xdpi, ydpi, &status);
  if (bitmap) status = drawIntoBitmap(bitmap, picture, g);
  CLSID encoder;
  if (status == Ok) status = findEncoderClsid(mimeTypes[type], &encoder) >= 0 ? Ok : GenericError;
  if (status == Ok) status = saveBitmap(bitmap, &encoder, widePath);
  if (bitmap) DllExports::GdipDisposeImage(bitmap);
  int result = status == Ok ? RenderWritten : status == OutOfMemory ? RenderNoMemory : RenderFailed;
  if (outWidth) *outWidth = g.outputWidth;
  if (outHeight) *outHeight = g.outputHeight;
  return result;
}
