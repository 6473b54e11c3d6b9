// The rotation kernel's entry: checks the pictures and the band, places the
// source by the geometry (or on the exact quarter turn the geometry's
// truncated corners stand for) and hands the rows to the upright or the
// turned drawing.
#include "rotation/kernel.h"

#include <cmath>
#include <cstdlib>

#include "rotation/kernel_parts.h"

namespace {

bool isPicture(const PixelRows& p) {
  if (p.width < 0 || p.height < 0) return false;
  if (p.width == 0 || p.height == 0) return true;  // no pixel is ever touched
  if (!p.top || p.stride % 4 != 0) return false;
  return std::llabs(p.stride) >= int64_t(p.width) * 4;
}

// A quarter turn's corners, each truncated on its own, may stand a pixel off
// the exact turn. When the angle is a quarter turn, the parallelogram's
// bounding box has the turned picture's size and each corner lies within a
// pixel of where the exact turn puts it, `at` becomes that turn.
void snapQuarterTurn(double angle, int64_t w, int64_t h, KernelPlacement* at) {
  // One of them is exactly +-1 at a quarter turn; the tolerance keeps a
  // last-bit difference between two maths libraries from choosing otherwise.
  const double c = std::cos(angle), s = std::sin(angle), near = 1e-12;
  int quarter;  // clockwise on screen
  if (std::fabs(c - 1) < near)
    quarter = 0;
  else if (std::fabs(s - 1) < near)
    quarter = 1;
  else if (std::fabs(c + 1) < near)
    quarter = 2;
  else if (std::fabs(s + 1) < near)
    quarter = 3;
  else
    return;
  const int64_t px[3] = {at->x0, at->x0 + at->e1x, at->x0 + at->e2x};
  const int64_t py[3] = {at->y0, at->y0 + at->e1y, at->y0 + at->e2y};
  const int64_t fx = px[1] + px[2] - px[0], fy = py[1] + py[2] - py[0];
  int64_t l = fx, r = fx, t = fy, b = fy;  // the bounding box
  for (int i = 0; i < 3; ++i) {
    l = px[i] < l ? px[i] : l;
    r = px[i] > r ? px[i] : r;
    t = py[i] < t ? py[i] : t;
    b = py[i] > b ? py[i] : b;
  }
  const bool sideways = quarter % 2 == 1;
  if (r - l != (sideways ? h : w) || b - t != (sideways ? w : h)) return;
  // Where the exact turn puts the top-left, top-right and bottom-left corners.
  const int64_t turns[4][6] = {
      {l, t, r, t, l, b},  // 0
      {r, t, r, b, l, t},  // 90
      {r, b, l, b, r, t},  // 180
      {l, b, l, t, r, b},  // 270
  };
  const int64_t* q = turns[quarter];
  for (int i = 0; i < 3; ++i)
    if (std::llabs(px[i] - q[2 * i]) > 1 || std::llabs(py[i] - q[2 * i + 1]) > 1) return;
  *at = {q[0], q[1], q[2] - q[0], q[3] - q[1], q[4] - q[0], q[5] - q[1]};
}

}  // namespace

void fillPixels(uint32_t* row, int64_t from, int64_t to, uint32_t fill) {
  for (int64_t x = from; x < to; ++x) row[x] = fill;
}

RotationRenderResult renderRotation(const PixelRows& source, int mode, double angle,
                                    uint32_t fillColour, const PixelRows& output,
                                    int32_t rowBegin, int32_t rowEnd) {
  if (source.width > kMaxKernelSide || source.height > kMaxKernelSide) return RotationTooLarge;
  if (!isPicture(source)) return RotationBadSource;
  RotationGeometry g = rotationGeometry(mode, angle, uint32_t(source.width),
                                        uint32_t(source.height));
  if (!isPicture(output) || uint32_t(output.width) != g.outputWidth ||
      uint32_t(output.height) != g.outputHeight)
    return RotationBadOutput;
  if (rowBegin < 0 || rowBegin > rowEnd || rowEnd > output.height) return RotationBadRows;
  if (rowBegin == rowEnd || output.width == 0) return RotationRendered;

  KernelJob job;
  job.source = source;
  job.output = output;
  job.at = {g.p0.x, g.p0.y, int64_t(g.p1.x) - g.p0.x, int64_t(g.p1.y) - g.p0.y,
            int64_t(g.p2.x) - g.p0.x, int64_t(g.p2.y) - g.p0.y};
  if (source.width == 0 || source.height == 0)
    job.at = {0, 0, 0, 0, 0, 0};  // nothing to draw: all fill
  else if (mode == InPlane)
    snapQuarterTurn(angle, source.width, source.height, &job.at);
  job.fill = fillColour;
  job.topByte = fillColour & 0xff000000u;
  job.rowBegin = rowBegin;
  job.rowEnd = rowEnd;
  if (job.at.e1y == 0 && job.at.e2x == 0)
    drawUpright(job);
  else
    drawTurned(job);
  return RotationRendered;
}
