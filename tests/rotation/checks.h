// Helpers of the rotation tests under Wine: an independent decoder for saved
// files (ImageMagick, run on the host) and the expected colour of a point of
// the quadrants picture after a rotation.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

#include "rotation/geometry.h"

// Pixels as 0x00RRGGBB, row-major, top row first.
struct RawPicture {
  int width = 0;
  int height = 0;
  std::string format;  // as ImageMagick names it: JPEG, PNG, BMP3, TIFF, GIF ...
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Decodes a picture file (Windows path) with the host's ImageMagick, not
// GDI+, so a saved file is judged by a decoder that shares nothing with the
// encoder that wrote it. False with the reason in error when it cannot.
bool decodeWithImageMagick(const std::string& windowsPath, RawPicture* out, std::string* error);

// The quadrants test picture: 300 x 400 (or any size), flat colours, top
// left red, top right green, bottom left blue, bottom right yellow.
extern const uint32_t quadrantColours[4];

// What a point (x, y) of a surface drawn with geometry g from a w x h
// quadrants picture should show: a quadrant's colour, the fill colour, or
// nothing certain (-1) when a pixel within `margin` of it lies across an
// edge (resampling blends edges, and each library blends them its own way).
// Returns the expected 0x00RRGGBB, or -1.
int64_t expectedQuadrantColour(const RotationGeometry& g, uint32_t w, uint32_t h, int x, int y,
                               int margin, uint32_t fill);

// Whether two 0x00RRGGBB colours differ by at most tolerance per channel.
bool closeColour(uint32_t a, uint32_t b, int tolerance);

// A colour as "(r,g,b)" for failure messages.
std::string colourText(uint32_t colour);
