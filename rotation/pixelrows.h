// A 32-bit picture in memory as the rotation kernel reads and writes it:
// width x height pixels, each one 32-bit word 0xAARRGGBB (bytes B, G, R, A
// in memory, the layout of GDI+'s 32-bit formats and of a 32-bit DIB
// section). Rows need not be packed: each row starts `stride` bytes after
// the one above it, so locked GDI+ bits and a bottom-up DIB (its last memory
// row as `top`, a negative stride) are described without copying.
// No windows.h: pure code, built in both trees.
#pragma once

#include <cstddef>
#include <cstdint>

struct PixelRows {
  uint32_t* top;   // first pixel of the top row; may be null when there are no pixels
  int32_t width;   // pixels per row, 0 or more
  int32_t height;  // rows, 0 or more
  int32_t stride;  // bytes from one row to the next: a multiple of 4, |stride| >= 4 * width
};

// Row y (0 = top) of a picture; y within 0..height-1.
inline uint32_t* pixelRow(const PixelRows& picture, int32_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(picture.top) +
                                     static_cast<ptrdiff_t>(y) * picture.stride);
}
