// Pieces the rotation kernel's files share. Callers use rotation/kernel.h.
#pragma once

#include <cstdint>

#include "rotation/pixelrows.h"

// Where the source lands on the output: its corner (0,0) on (x0, y0), its
// top edge along (e1x, e1y), its left edge along (e2x, e2y), in output
// pixels. Integers: the geometry's corners, or the exact quarter turn.
struct KernelPlacement {
  int64_t x0, y0;
  int64_t e1x, e1y;
  int64_t e2x, e2y;
};

// One call's work, checked: rows rowBegin .. rowEnd-1 of `output`.
struct KernelJob {
  PixelRows source;
  PixelRows output;
  KernelPlacement at;
  uint32_t fill;     // the fill word, written as given
  uint32_t topByte;  // fill & 0xFF000000: the top byte of every output word
  int32_t rowBegin;
  int32_t rowEnd;
};

// Writes `fill` over row[from .. to-1]; nothing when to <= from.
void fillPixels(uint32_t* row, int64_t from, int64_t to, uint32_t fill);

// Quotient rounded toward minus infinity, for a divisor above 0.
inline int64_t floorDiv(int64_t n, int64_t d) {
  int64_t q = n / d;
  return (n % d != 0 && n < 0) ? q - 1 : q;
}
inline int64_t ceilDiv(int64_t n, int64_t d) { return -floorDiv(-n, d); }

// kernel_box.cpp: placements whose edges run along the axes (e1y == 0 and
// e2x == 0), by the exact area average.
void drawUpright(const KernelJob& job);

// kernel_turn.cpp: every other placement, bilinear with covered edges.
void drawTurned(const KernelJob& job);
