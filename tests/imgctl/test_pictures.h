// Pictures made in code for the conversion tests: flat colour sets for the
// exact path, a smooth and noisy "photo" for the quantizer, and a turned
// copy of a picture on a fill colour, as the rotation command renders it;
// and pictures to and from the files the library reads and writes.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "imgctl/bmp_reader.h"
#include "imgctl/gif_codec.h"
#include "imgctl/pixmap.h"
#include "tests/support/bmp_file.h"
#include "tests/support/files.h"

namespace imgctl_test {

// A picture of the given colours, each used at least once (the first
// pixels take them in order), in a pattern that is neither a plain run nor
// a plain stripe.
inline imgctl::Pixmap paletteTiles(int w, int h, const std::vector<uint32_t>& colours) {
  imgctl::Pixmap p;
  p.width = w;
  p.height = h;
  p.pixels.resize(size_t(w) * h);
  for (size_t i = 0; i < p.pixels.size(); ++i)
    p.pixels[i] = colours[(i < colours.size() ? i : i * 11 + i / 7) % colours.size()];
  return p;
}

// n distinct colours spread over the cube (n up to 4096).
inline std::vector<uint32_t> spreadColours(int n) {
  std::vector<uint32_t> c;
  for (int i = 0; i < n; ++i)
    c.push_back(imgctl::packRgb(uint32_t(i * 37) & 0xFF, uint32_t(i * 101 + (i >> 8) * 13) & 0xFF,
                                uint32_t(i * 59 + (i >> 8) * 7) & 0xFF));
  return c;
}

// Deterministic pseudo-random numbers (the standard library's engines differ
// between the trees' libraries in nothing, but this keeps tests explicit).
struct Lcg {
  uint32_t state;
  explicit Lcg(uint32_t seed) : state(seed) {}
  uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

// A screenshot's kind of picture in 256 colours: blockRows rows of noise
// (so that only the repeats make long LZW strings) repeated down the
// picture repeats times, then noiseRows rows of fresh noise.
inline imgctl::Pixmap repeatedRows(int w, int blockRows, int repeats, int noiseRows) {
  const std::vector<uint32_t> colours = spreadColours(256);
  imgctl::Pixmap p;
  p.width = w;
  p.height = blockRows * repeats + noiseRows;
  Lcg rng(21);
  std::vector<uint32_t> block(size_t(w) * blockRows);
  for (uint32_t& c : block) c = colours[rng.next() % 256];
  for (int k = 0; k < repeats; ++k) p.pixels.insert(p.pixels.end(), block.begin(), block.end());
  for (size_t i = 0; i < size_t(w) * noiseRows; ++i) p.pixels.push_back(colours[rng.next() % 256]);
  return p;
}

// Smooth gradients, a few soft discs and mild noise: many thousands of
// colours, like a photo.
inline imgctl::Pixmap syntheticPhoto(int w, int h, uint32_t seed = 1) {
  imgctl::Pixmap p;
  p.width = w;
  p.height = h;
  p.pixels.resize(size_t(w) * h);
  Lcg rng(seed);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      double r = 40 + 180.0 * x / w, g = 30 + 150.0 * y / h, b = 120 + 80 * std::sin(x * 0.05 + y * 0.03);
      const double dx = x - w * 0.35, dy = y - h * 0.4;
      const double disc = std::exp(-(dx * dx + dy * dy) / (0.02 * w * h));
      r = r * (1 - disc) + 250 * disc;
      g = g * (1 - disc) + 200 * disc;
      b = b * (1 - disc) + 40 * disc;
      const int noise = int(rng.next() % 9) - 4;
      auto clamp = [](double v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
      p.pixels[size_t(y) * w + x] = imgctl::packRgb(clamp(r + noise), clamp(g + noise), clamp(b - noise));
    }
  }
  return p;
}

// The picture turned by degrees about its centre on a square surface as
// large as its diagonal, the rest in fill, sampled bilinearly: what the
// rotation command draws for each frame.
inline imgctl::Pixmap rotatedOnFill(const imgctl::Pixmap& src, double degrees, uint32_t fill) {
  const int d = int(std::sqrt(double(src.width) * src.width + double(src.height) * src.height));
  imgctl::Pixmap out;
  out.width = d;
  out.height = d;
  out.pixels.assign(size_t(d) * d, fill);
  const double a = degrees * 3.14159265358979323846 / 180.0, c = std::cos(a), s = std::sin(a);
  const double cx = d * 0.5, cy = d * 0.5, sx = src.width * 0.5, sy = src.height * 0.5;
  for (int y = 0; y < d; ++y) {
    for (int x = 0; x < d; ++x) {
      const double u = c * (x + 0.5 - cx) + s * (y + 0.5 - cy) + sx - 0.5;
      const double v = -s * (x + 0.5 - cx) + c * (y + 0.5 - cy) + sy - 0.5;
      if (u < -0.5 || v < -0.5 || u > src.width - 0.5 || v > src.height - 0.5) continue;
      const int x0 = int(std::floor(u)), y0 = int(std::floor(v));
      const double fx = u - x0, fy = v - y0;
      double acc[3] = {0, 0, 0}, weight = 0;
      for (int k = 0; k < 4; ++k) {
        const int px = x0 + (k & 1), py = y0 + (k >> 1);
        const double wgt = ((k & 1) ? fx : 1 - fx) * ((k >> 1) ? fy : 1 - fy);
        uint32_t colour = fill;  // outside the picture the fill shows through
        if (px >= 0 && py >= 0 && px < src.width && py < src.height) colour = src.pixels[size_t(py) * src.width + px];
        acc[0] += wgt * imgctl::redOf(colour);
        acc[1] += wgt * imgctl::greenOf(colour);
        acc[2] += wgt * imgctl::blueOf(colour);
        weight += wgt;
      }
      out.pixels[size_t(y) * d + x] = imgctl::packRgb(uint32_t(acc[0] / weight + 0.5), uint32_t(acc[1] / weight + 0.5),
                                                      uint32_t(acc[2] / weight + 0.5));
    }
  }
  return out;
}

// A 24-bit BMP of a picture.
inline std::vector<uint8_t> bmpOf(const imgctl::Pixmap& p) {
  qbtest::BmpLayout layout;
  layout.width = p.width;
  layout.height = p.height;
  return qbtest::buildBmp(layout, p.pixels);
}

// The pixels of a GIF file written by the library; width 0 when it does not
// decode.
inline imgctl::Pixmap gifPixels(const std::string& path) {
  const std::vector<uint8_t> bytes = qbtest::readFileBytes(path);
  imgctl::DecodedGif d;
  imgctl::Pixmap p;
  if (imgctl::decodeGif(bytes.data(), bytes.size(), d) != imgctl::kDecodeOk) return p;
  p.width = d.width;
  p.height = d.height;
  for (uint8_t i : d.indices) p.pixels.push_back(d.palette.colours[i]);
  return p;
}

inline double psnrOf(double squaredError, size_t pixels) {
  const double mse = squaredError / (3.0 * double(pixels));
  return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

inline double squaredErrorBetween(const imgctl::Pixmap& a, const imgctl::Pixmap& b) {
  double total = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const int dr = int(imgctl::redOf(a.pixels[i])) - int(imgctl::redOf(b.pixels[i]));
    const int dg = int(imgctl::greenOf(a.pixels[i])) - int(imgctl::greenOf(b.pixels[i]));
    const int db = int(imgctl::blueOf(a.pixels[i])) - int(imgctl::blueOf(b.pixels[i]));
    total += dr * dr + dg * dg + db * db;
  }
  return total;
}

}  // namespace imgctl_test
