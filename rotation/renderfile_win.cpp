// Drawing the picture afresh, at full resolution and under the current
// rotation settings, with the rotation kernel (the view's own), into memory
// that a GDI+ bitmap wraps for the encoder of the target type. GDI+ only
// encodes here, so a saved file looks exactly like the rotated view.
//
// Every file is written beside its target and moved over it when complete
// (core/replace.h): a failed bitmap, drawing, encoder or write leaves an
// existing target as it was, never a file of plain fill colour.
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <vector>

#include "core/appstate.h"
#include "core/replace.h"
#include "rotation/rotation.h"

using namespace Gdiplus;

namespace {

// MIME types of the encoders, by FileType.
const wchar_t* const mimeTypes[] = {L"image/jpeg", L"image/gif", L"image/png", L"image/tiff",
                                    L"image/bmp"};

bool isAnimated(const Picture* picture) { return picture->frameCount != 1; }

// The turned picture as the bitmap the encoder takes, over the pixels in
// `turned` (kept by the caller as long as the bitmap). The kind keeps the
// pixel format each save always had: 24-bit with the picture's resolution
// for the GIF route, the format of a drawing surface on the picture (with
// its resolution) or plain 32-bit ARGB. Null, with the reason in *status,
// when GDI+ refused it.
GpBitmap* makeTargetBitmap(std::vector<uint32_t>& turned, std::vector<uint8_t>& rgb24,
                           BitmapKind kind, INT width, INT height, float xdpi, float ydpi,
                           GpStatus* status) {
  GpBitmap* bitmap = nullptr;
  if (kind == Rgb24WithResolution) {
    INT stride = (width * 3 + 3) & ~3;
    rgb24.assign(static_cast<size_t>(stride) * height, 0);
    for (INT y = 0; y < height; ++y) {
      const uint32_t* from = &turned[static_cast<size_t>(y) * width];
      uint8_t* to = &rgb24[static_cast<size_t>(y) * stride];
      for (INT x = 0; x < width; ++x, to += 3) {
        to[0] = static_cast<uint8_t>(from[x]);
        to[1] = static_cast<uint8_t>(from[x] >> 8);
        to[2] = static_cast<uint8_t>(from[x] >> 16);
      }
    }
    *status = DllExports::GdipCreateBitmapFromScan0(width, height, stride, PixelFormat24bppRGB,
                                                    rgb24.data(), &bitmap);
  } else {
    PixelFormat format = kind == FromPictureSurface ? PixelFormat32bppPARGB : PixelFormat32bppARGB;
    *status = DllExports::GdipCreateBitmapFromScan0(width, height, width * 4, format,
                                                    reinterpret_cast<BYTE*>(turned.data()), &bitmap);
  }
  if (*status != Ok) return nullptr;
  // A picture without a resolution (0) keeps the bitmap's default.
  if (kind != Argb32 && xdpi > 0 && ydpi > 0) DllExports::GdipBitmapSetResolution(bitmap, xdpi, ydpi);
  return bitmap;
}

// Writes the bitmap with the encoder beside the target, then over it: Ok,
// or the failure (GenericError when the file could not be put in place).
GpStatus saveBitmap(GpBitmap* bitmap, const CLSID* encoder, const wchar_t* target) {
  std::filesystem::path temp;
  if (!makeSiblingTemp(target, &temp)) return GenericError;
  GpStatus status = DllExports::GdipSaveImageToFile(bitmap, temp.c_str(), encoder, nullptr);
  if (status != Ok) {
    removeTemp(temp);
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

  if (outWidth) *outWidth = g.outputWidth;
  if (outHeight) *outHeight = g.outputHeight;
  uint32_t fill = toArgb(app.rotation.fillColour);
  std::vector<uint32_t> turned;
  std::vector<uint8_t> rgb24;
  GpStatus status = GenericError;
  GpBitmap* bitmap = nullptr;
  try {
    // The output first: a turned picture too large for memory is told
    // apart from a source that cannot be read.
    turned.resize(static_cast<size_t>(g.outputWidth) * g.outputHeight);
    SourcePixels source;
    int read = readSourcePixels(picture, fill, &source);
    PixelRows output{turned.data(), static_cast<int32_t>(g.outputWidth),
                     static_cast<int32_t>(g.outputHeight), static_cast<int32_t>(g.outputWidth * 4)};
    if (read == SourceNoMemory) {
      status = OutOfMemory;
    } else if (read == SourceRead &&
               renderRotationOnThreads(source.rows, app.rotation.mode, angleRadians(angleDegrees),
                                       fill, output, processorCount()) == RotationRendered) {
      bitmap = makeTargetBitmap(turned, rgb24, kind, static_cast<INT>(g.outputWidth),
                                static_cast<INT>(g.outputHeight), xdpi, ydpi, &status);
    }
  } catch (const std::exception&) {  // bad_alloc, or a length no vector can have
    status = OutOfMemory;
  }
  CLSID encoder;
  if (bitmap) status = findEncoderClsid(mimeTypes[type], &encoder) >= 0 ? Ok : GenericError;
  if (bitmap && status == Ok) status = saveBitmap(bitmap, &encoder, widePath);
  if (bitmap) DllExports::GdipDisposeImage(bitmap);
  return status == Ok ? RenderWritten : status == OutOfMemory ? RenderNoMemory : RenderFailed;
}
