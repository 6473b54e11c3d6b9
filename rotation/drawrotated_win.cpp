// The rotated view: the picture is drawn once, by one affine GDI+ call into
// the parallelogram of its three turned corners, over a surface filled with
// the fill colour. Painting and scrolling then only copy the surface.
#include "rotation/rotation.h"

using namespace Gdiplus;

int drawRotated(Picture* picture, int mode, double angle, uint32_t argb) {
  RotationGeometry g =
      rotationGeometry(mode, angle, picture->surfaceWidth, picture->surfaceHeight);
  // The sizes change only once the surface exists: a refused surface leaves
  // the picture as it was shown, never sized for a bitmap that is not there.
  if (createSurface(picture, g.outputWidth, g.outputHeight) != 1) return 0;
  picture->imageWidth = g.outputWidth;
  picture->imageHeight = g.outputHeight;

  GpGraphics* graphics = nullptr;
  GpSolidFill* brush = nullptr;
  if (DllExports::GdipCreateFromHDC(picture->surfaceDC, &graphics) == Ok &&
      DllExports::GdipCreateSolidFill(static_cast<ARGB>(argb), &brush) == Ok) {
    DllExports::GdipFillRectangleI(graphics, brush, 0, 0, static_cast<INT>(picture->imageWidth),
                                   static_cast<INT>(picture->imageHeight));
    if (picture->image && picture->image->nativeImage) {
      const Point corners[3] = {Point(g.p0.x, g.p0.y), Point(g.p1.x, g.p1.y),
                                Point(g.p2.x, g.p2.y)};
      picture->image->lastStatus =
          DllExports::GdipDrawImagePointsI(graphics, picture->image->nativeImage, corners, 3);
    }
  }
  updateDisplaySize(picture);
  InvalidateRect(picture->window, nullptr, FALSE);
  if (brush) DllExports::GdipDeleteBrush(brush);
  if (graphics) DllExports::GdipDeleteGraphics(graphics);
  return 1;
}
