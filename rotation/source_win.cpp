// The picture as the rotation kernel reads it: its image decoded once into
// 32-bit pixels through GDI+'s LockBits, with transparent parts laid over
// the fill colour (as they were when GDI+ drew the picture onto the filled
// surface), so the kernel never sees alpha.
#include <new>

#include "rotation/rotation.h"

using namespace Gdiplus;

namespace {

// src over fill, per channel, rounded: (s * a + f * (255 - a) + 127) / 255.
uint32_t over(uint32_t source, uint32_t fill) {
  uint32_t alpha = source >> 24;
  if (alpha == 255) return source & 0x00ffffff;
  uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t s = (source >> shift) & 0xff, f = (fill >> shift) & 0xff;
    result |= ((s * alpha + f * (255 - alpha) + 127) / 255) << shift;
  }
  return result;
}

}  // namespace

int readSourcePixels(Picture* picture, uint32_t fillColour, SourcePixels* out) {
  out->pixels.clear();
  out->rows = PixelRows{nullptr, 0, 0, 0};
  if (!picture->image || !picture->image->nativeImage) return SourceUnreadable;
  UINT width = picture->surfaceWidth, height = picture->surfaceHeight;
  if (width == 0 || height == 0 || width > kMaxKernelSide || height > kMaxKernelSide)
    return SourceUnreadable;
  GpBitmap* bitmap = static_cast<GpBitmap*>(picture->image->nativeImage);
  GpRect area(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  BitmapData data = {};
  GpStatus status =
      DllExports::GdipBitmapLockBits(bitmap, &area, ImageLockModeRead, PixelFormat32bppARGB, &data);
  if (status != Ok) return status == OutOfMemory ? SourceNoMemory : SourceUnreadable;
  int result = SourceRead;
  try {
    out->pixels.resize(static_cast<size_t>(width) * height);
    const uint32_t fill = fillColour & 0x00ffffff;
    for (UINT y = 0; y < height; ++y) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const char*>(data.Scan0) +
                                                              static_cast<ptrdiff_t>(y) * data.Stride);
      uint32_t* target = &out->pixels[static_cast<size_t>(y) * width];
      for (UINT x = 0; x < width; ++x) target[x] = over(row[x], fill);
    }
    out->rows = PixelRows{out->pixels.data(), static_cast<int32_t>(width),
                          static_cast<int32_t>(height), static_cast<int32_t>(width * 4)};
  } catch (const std::bad_alloc&) {
    out->pixels.clear();
    result = SourceNoMemory;
  }
  DllExports::GdipBitmapUnlockBits(bitmap, &data);
  return result;
}
