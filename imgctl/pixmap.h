// The plain pixel record every stage of the conversion library passes on:
// the BMP reader fills it, the quantizer reads it, the GIF encoder never
// sees it (it gets palette indices). No windows.h here: the whole core
// builds natively too.
#pragma once

#include <cstdint>
#include <vector>

namespace imgctl {

// Largest picture the library accepts, in pixels. A 32-bit process must hold
// the file, these pixels (4 bytes each) and the index plane at once, so the
// cap keeps the peak well under the 2 GB address space. 8192 x 8192 covers
// the in-plane rotation surface of a 5800 x 5800 photo.
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;
// A GIF stores its sizes in 16 bits.
constexpr uint32_t kMaxSide = 65535;

// A true-colour picture: rows from the top, one 0x00RRGGBB word per pixel,
// width * height words with no padding.
struct Pixmap {
  int32_t width = 0;              // pixels, 1..kMaxSide once filled
  int32_t height = 0;             // pixels, 1..kMaxSide once filled
  std::vector<uint32_t> pixels;   // width * height words
};

inline uint32_t packRgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
inline uint32_t redOf(uint32_t c) { return (c >> 16) & 0xFF; }
inline uint32_t greenOf(uint32_t c) { return (c >> 8) & 0xFF; }
inline uint32_t blueOf(uint32_t c) { return c & 0xFF; }

}  // namespace imgctl
