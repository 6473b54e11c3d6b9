#include "rotation/geometry.h"

#include <cmath>

#include "picture/filetype.h"

namespace {

// Conversion of a double to a 32-bit pixel count or coordinate: toward zero,
// never to the nearest integer.
int32_t trunc32(double value) { return static_cast<int32_t>(value); }

const RotationGeometry noGeometry = {{0, 0}, {0, 0}, {0, 0}, 0, 0};

}  // namespace

Diagonal diagonalSize(uint32_t w, uint32_t h) {
  Diagonal result;
  if (w > kMaxRotationSide || h > kMaxRotationSide) {
    result.diag = std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h);
    result.size = 0;
    return result;
  }
  // Both squares are below 2^60, so their 64-bit sum cannot wrap.
  uint64_t q = uint64_t(w) * w + uint64_t(h) * h;
  result.diag = std::sqrt(static_cast<double>(q));
  result.size = result.diag > kMaxRotationSide ? 0 : static_cast<uint32_t>(result.diag);
  return result;
}

RotationPoint rotatePoint(int32_t x, int32_t y, double angle, uint32_t w, uint32_t h) {
  double cx = w * 0.5;
  double cy = h * 0.5;
  int32_t dy = trunc32(y - cy);
  int32_t dx = trunc32(x - cx);
  double c = std::cos(angle);
  double s = std::sin(angle);
  int32_t tx = trunc32(dx * c - dy * s);
  int32_t ty = trunc32(dx * s + dy * c);
  RotationPoint point;
  point.x = trunc32(cx + tx);
  point.y = trunc32(cy + ty);
  return point;
}

RotationGeometry rotationGeometry(int mode, double angle, uint32_t w, uint32_t h) {
  if (w > kMaxRotationSide || h > kMaxRotationSide) return noGeometry;
  RotationGeometry g;
  if (mode == InPlane) {
    Diagonal d = diagonalSize(w, h);
    if (d.size == 0 && d.diag > 0) return noGeometry;
    g.outputWidth = g.outputHeight = d.size;
    // The untruncated diagonal centres the picture on the square.
    int32_t offX = trunc32((d.diag - w) * 0.5);
    int32_t offY = trunc32((d.diag - h) * 0.5);
    const int32_t wi = static_cast<int32_t>(w), hi = static_cast<int32_t>(h);
    g.p0 = rotatePoint(0, 0, angle, w, h);
    g.p1 = rotatePoint(wi, 0, angle, w, h);
    g.p2 = rotatePoint(0, hi, angle, w, h);
    RotationPoint* corners[3] = {&g.p0, &g.p1, &g.p2};
    for (RotationPoint* p : corners) {
      p->x += offX;
      p->y += offY;
    }
    return g;
  }
  g.outputWidth = w;
  g.outputHeight = h;
  double c = std::cos(angle);
  const int32_t wi = static_cast<int32_t>(w), hi = static_cast<int32_t>(h);
  if (mode == AboutHorizontalAxis) {
    int32_t yTop = trunc32(h * (1 - c) * 0.5);
    int32_t yBottom = trunc32(h * (1 + c) * 0.5);
    g.p0 = {0, yTop};
    g.p1 = {wi, yTop};
    g.p2 = {0, yBottom};
  } else {
    int32_t xLeft = trunc32(w * (1 - c) * 0.5);
    int32_t xRight = trunc32(w * (1 + c) * 0.5);
    g.p0 = {xLeft, 0};
    g.p1 = {xRight, 0};
    g.p2 = {xLeft, hi};
  }
  return g;
}

double angleRadians(int32_t degrees) {
  const double pi = std::acos(-1.0);
  return pi * degrees / 180;
}

uint32_t toArgb(uint32_t colour) {
  uint32_t red = colour & 0xff;
  uint32_t green = (colour >> 8) & 0xff;
  uint32_t blue = (colour >> 16) & 0xff;
  return 0xff000000u | red << 16 | green << 8 | blue;
}

int32_t reduceAngleStep(int32_t degrees) { return degrees % 360; }

int32_t frameCountForStep(int32_t step) {
  step %= 360;
  if (step == 0) return 0;
  int32_t magnitude = step < 0 ? -step : step;
  return static_cast<int32_t>(360.0 / magnitude);
}

BitmapKind bitmapKindFor(int type, uint32_t pixelFormat) {
  if (type == FileTypeGif) return Rgb24WithResolution;  // through a 24-bit BMP
  switch (pixelFormat) {
    case 0x00000000:  // PixelFormatUndefined
    case 0x00030101:  // PixelFormat1bppIndexed
    case 0x00030402:  // PixelFormat4bppIndexed
    case 0x00030803:  // PixelFormat8bppIndexed
    case 0x00061007:  // PixelFormat16bppARGB1555
    case 0x00101004:  // PixelFormat16bppGrayScale
      return Argb32;
    default:
      return FromPictureSurface;
  }
}
