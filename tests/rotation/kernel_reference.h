// What the rotation kernel's tests judge it by, in both trees: an exact
// reference rendering (8 x 8 samples per output pixel of the source seen as
// flat squares), PSNR, test pictures, and reading the photo the build
// decodes to a PPM file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rotation/geometry.h"
#include "rotation/pixelrows.h"

// A packed picture of 0xAARRGGBB words, top row first.
struct TestPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  TestPicture() = default;
  TestPicture(int32_t w, int32_t h, uint32_t colour = 0)
      : width(w), height(h), pixels(size_t(w) * size_t(h), colour) {}
  uint32_t at(int32_t x, int32_t y) const { return pixels[size_t(y) * width + x]; }
  PixelRows rows() { return PixelRows{pixels.data(), width, height, width * 4}; }
};

// The parallelogram g places a w x h source on, sampled 8 x 8 times per
// output pixel: a sample inside [0,w) x [0,h) takes the source pixel it
// falls in, any other the fill; each channel is the rounded mean. Output
// words carry the fill's top byte.
TestPicture referenceRotation(const TestPicture& source, const RotationGeometry& g,
                              uint32_t fill);

// PSNR over the red, green and blue bytes of two pictures of one size
// (99 for identical pictures).
double psnr(const TestPicture& a, const TestPicture& b);

// Every pixel an arbitrary colour, the same for the same (x, y, seed); the
// top byte is a value the kernel must ignore.
TestPicture noisePicture(int32_t w, int32_t h, uint32_t seed);

// A binary PPM (P6, maxval 255) as 0x00RRGGBB pixels; false when the file
// is missing or not such a PPM.
bool readPpm(const std::string& path, TestPicture* picture);

// "r,g,b" of a pixel, for failure messages.
std::string rgbText(uint32_t pixel);
