// The rotated view: the picture is turned by the rotation kernel straight
// into its surface (a DIB section) over the fill colour, on every core.
// Painting and scrolling then only copy the surface.
#include "rotation/rotation.h"

int drawRotated(Picture* picture, int mode, double angle, uint32_t argb) {
  RotationGeometry g =
      rotationGeometry(mode, angle, picture->surfaceWidth, picture->surfaceHeight);
  SourcePixels source;
  readSourcePixels(picture, argb, &source);
  // The sizes change only once the surface exists: a refused surface leaves
  // the picture as it was shown, never sized for a bitmap that is not there.
  if (createSurface(picture, g.outputWidth, g.outputHeight) != 1) return 0;
  picture->imageWidth = g.outputWidth;
  picture->imageHeight = g.outputHeight;

  GdiFlush();  // GDI is done with the surface before its pixels are written
  PixelRows output{picture->surfacePixels, static_cast<int32_t>(g.outputWidth),
                   static_cast<int32_t>(g.outputHeight), static_cast<int32_t>(g.outputWidth * 4)};
  uint32_t fill = argb & 0x00ffffff;
  // A picture without pixels (its image could not be read) shows the fill.
  if (!source.rows.top ||
      renderRotationOnThreads(source.rows, mode, angle, fill, output, processorCount()) !=
          RotationRendered) {
    for (int32_t y = 0; y < output.height; ++y) {
      uint32_t* row = pixelRow(output, y);
      for (int32_t x = 0; x < output.width; ++x) row[x] = fill;
    }
  }
  updateDisplaySize(picture);
  InvalidateRect(picture->window, nullptr, FALSE);
  return 1;
}
