#include "tests/rotation/kernel_reference.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

TestPicture referenceRotation(const TestPicture& source, const RotationGeometry& g, uint32_t fill) {
  TestPicture out(int32_t(g.outputWidth), int32_t(g.outputHeight), fill);
  const double w = source.width, h = source.height;
  const double ax = g.p1.x - g.p0.x, ay = g.p1.y - g.p0.y;
  const double bx = g.p2.x - g.p0.x, by = g.p2.y - g.p0.y;
  const double det = ax * by - ay * bx;
  if (det == 0 || source.width == 0 || source.height == 0) return out;
  // Output point (x, y) to source: u = w (by dx - bx dy) / det, v = h (ax dy - ay dx) / det.
  const double ux = w * by / det, uy = -w * bx / det;
  const double vx = -h * ay / det, vy = h * ax / det;
  // Only pixels near the parallelogram's bounding box can differ from fill.
  const int px[4] = {g.p0.x, g.p1.x, g.p2.x, g.p1.x + g.p2.x - g.p0.x};
  const int py[4] = {g.p0.y, g.p1.y, g.p2.y, g.p1.y + g.p2.y - g.p0.y};
  int left = px[0], right = px[0], top = py[0], bottom = py[0];
  for (int i = 1; i < 4; ++i) {
    left = px[i] < left ? px[i] : left;
    right = px[i] > right ? px[i] : right;
    top = py[i] < top ? py[i] : top;
    bottom = py[i] > bottom ? py[i] : bottom;
  }
  left = left - 1 < 0 ? 0 : left - 1;
  top = top - 1 < 0 ? 0 : top - 1;
  right = right + 1 > out.width ? out.width : right + 1;
  bottom = bottom + 1 > out.height ? out.height : bottom + 1;
  const uint32_t fillRgb[3] = {(fill >> 16) & 0xff, (fill >> 8) & 0xff, fill & 0xff};
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      uint32_t sum[3] = {0, 0, 0};
      for (int j = 0; j < 8; ++j) {
        const double dy = y + (j + 0.5) / 8 - g.p0.y;
        for (int i = 0; i < 8; ++i) {
          const double dx = x + (i + 0.5) / 8 - g.p0.x;
          const double u = ux * dx + uy * dy, v = vx * dx + vy * dy;
          if (u >= 0 && u < w && v >= 0 && v < h) {
            const uint32_t p = source.at(int32_t(u), int32_t(v));
            sum[0] += (p >> 16) & 0xff;
            sum[1] += (p >> 8) & 0xff;
            sum[2] += p & 0xff;
          } else {
            for (int c = 0; c < 3; ++c) sum[c] += fillRgb[c];
          }
        }
      }
      out.pixels[size_t(y) * out.width + x] = (fill & 0xff000000u) | ((sum[0] + 32) / 64) << 16 |
                                              ((sum[1] + 32) / 64) << 8 | ((sum[2] + 32) / 64);
    }
  }
  return out;
}

double psnr(const TestPicture& a, const TestPicture& b) {
  double squares = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    for (int shift = 0; shift <= 16; shift += 8) {
      const double d =
          double((a.pixels[i] >> shift) & 0xff) - double((b.pixels[i] >> shift) & 0xff);
      squares += d * d;
    }
  }
  if (squares == 0) return 99;
  const double mse = squares / (3.0 * double(a.pixels.size()));
  return 10 * std::log10(255.0 * 255.0 / mse);
}

TestPicture noisePicture(int32_t w, int32_t h, uint32_t seed) {
  TestPicture p(w, h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t v = uint32_t(x) * 0x9E3779B1u ^ uint32_t(y) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
      v ^= v >> 15;
      v *= 0x2C1B3C6Du;
      v ^= v >> 12;
      p.pixels[size_t(y) * w + x] = v;
    }
  }
  return p;
}

bool readPpm(const std::string& path, TestPicture* picture) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  if (!(in >> magic >> w >> h >> maxval) || magic != "P6" || maxval != 255 || w <= 0 || h <= 0)
    return false;
  in.get();  // the one whitespace byte before the samples
  std::vector<unsigned char> bytes(size_t(w) * h * 3);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) return false;
  *picture = TestPicture(w, h);
  for (size_t i = 0; i < picture->pixels.size(); ++i)
    picture->pixels[i] =
        uint32_t(bytes[3 * i]) << 16 | uint32_t(bytes[3 * i + 1]) << 8 | bytes[3 * i + 2];
  return true;
}

std::string rgbText(uint32_t pixel) {
  char text[32];
  std::snprintf(text, sizeof text, "%u,%u,%u", (pixel >> 16) & 0xff, (pixel >> 8) & 0xff,
                pixel & 0xff);
  return text;
}
