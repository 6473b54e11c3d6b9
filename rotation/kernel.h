// The rotation kernel: draws a picture turned or squeezed under the rotation
// settings, into memory, with the same bytes in every build. The view, the
// saves and the animated-GIF frames all draw through it, so what is shown is
// what is saved and animated.
//
// What is drawn is exactly rotationGeometry(mode, angle, w, h): an output of
// its size, the source's corners (0,0), (w,0) and (0,h) on P0, P1 and P2,
// the source rectangle [0,w] x [0,h] mapped affinely onto that
// parallelogram, and the fill colour everywhere else. Pixel (x, y) is the
// unit square [x,x+1] x [y,y+1], in the source and in the output.
//   - Turned placements (in-plane angles off the quarter turns): bilinear
//     resampling; a pixel the parallelogram's edge crosses is blended with
//     the fill by the share of it the parallelogram covers.
//   - Upright placements (the two axis modes; in-plane 0 and 180 degrees):
//     each output pixel is the exact average of the source area it covers,
//     so a picture squeezed to a band one pixel high shows its average
//     colour, not one of its rows, and a picture mirrored unsqueezed is an
//     exact copy.
//   - Quarter turns in the plane: the geometry truncates each corner on its
//     own, so at 180 and 270 degrees (and at 90 on some sizes) a corner lies
//     a pixel off the exact turn. When the angle is a quarter turn and the
//     three corners are each within a pixel of an exact turn of the whole
//     picture, that exact turn is drawn: every pixel is a copy of a source
//     pixel, with no blur and no darkened edge. (Odd sizes, which the
//     geometry draws a pixel smaller than they are, are resampled.)
//   - A parallelogram of no area (a 1 x 1 picture in the plane, an odd
//     height squeezed at 90 degrees) covers nothing: all fill.
//
// Pixels are 0xAARRGGBB words (PixelRows). The source's top byte is never
// read; every output word carries the fill colour's top byte, so pass
// 0xFF000000 | rgb for GDI+'s ARGB bitmaps (toArgb) and a top byte of 0 for
// imgctl::Pixmap.
//
// Bands: only output rows rowBegin .. rowEnd-1 are written, and no row's
// bytes depend on the band it was drawn in, so a picture may be split over
// threads, one band each. The source is only read; source and output must
// not overlap. There is no shared state: concurrent calls are safe as long
// as their output bands do not overlap.
//
// Every per-pixel step is integer arithmetic (SSE2 in the Windows build, the
// same formula in plain C++ elsewhere), so both trees write the same bytes.
#pragma once

#include <cstdint>

#include "rotation/geometry.h"
#include "rotation/pixelrows.h"

// Longest source side the kernel draws. Source positions are 32-bit fixed
// point with 14 fractional bits; the largest output (the diagonal square of
// a 65535 x 65535 picture) stays well inside that.
constexpr int32_t kMaxKernelSide = 65535;

// What renderRotation did. On any refusal nothing was written.
enum RotationRenderResult {
  RotationRendered = 0,    // rows rowBegin .. rowEnd-1 written
  RotationTooLarge = -1,   // a source side above kMaxKernelSide
  RotationBadSource = -2,  // a negative side, no pixels for a side above 0, or a stride
                           // that is not a multiple of 4 or shorter than a row
  RotationBadOutput = -3,  // the same faults in the output, or a size other than the
                           // geometry's output size
  RotationBadRows = -4,    // not 0 <= rowBegin <= rowEnd <= output height
};

// Draws rows rowBegin .. rowEnd-1 of `source` turned by angle radians in
// `mode` (RotationMode), over fillColour (0xAARRGGBB), into `output`, which
// must be rotationGeometry(mode, angle, source.width, source.height)'s
// outputWidth x outputHeight. Sides of 0 are accepted: the output is then
// fill colour where it has pixels at all.
RotationRenderResult renderRotation(const PixelRows& source, int mode, double angle,
                                    uint32_t fillColour, const PixelRows& output,
                                    int32_t rowBegin, int32_t rowEnd);
