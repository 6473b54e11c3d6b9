#include "tests/rotation/checks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tests/support/files.h"
#include "tests/support/host_win.h"

using namespace qbtest;

const uint32_t quadrantColours[4] = {0xc81e1e, 0x1ea01e, 0x1e1ec8, 0xdcc828};

namespace {

// Where a surface point comes from in the picture: quadrant 0..3, or 4 when
// the drawn parallelogram does not cover it.
int classify(const RotationGeometry& g, uint32_t w, uint32_t h, double x, double y) {
  double ax = double(g.p1.x - g.p0.x) / w, ay = double(g.p1.y - g.p0.y) / w;
  double bx = double(g.p2.x - g.p0.x) / h, by = double(g.p2.y - g.p0.y) / h;
  double det = ax * by - ay * bx;
  if (std::fabs(det) < 1e-12) return 4;  // squeezed to a line: nothing covers the point
  double rx = x - g.p0.x, ry = y - g.p0.y;
  double u = (rx * by - ry * bx) / det;
  double v = (ax * ry - ay * rx) / det;
  if (!(u >= 0 && u < w && v >= 0 && v < h)) return 4;
  return (u < w / 2.0 ? 0 : 1) + (v < h / 2.0 ? 0 : 2);
}

}  // namespace

bool decodeWithImageMagick(const std::string& windowsPath, RawPicture* out, std::string* error) {
  static int serial = 0;
  std::string source = unixPathOf(windowsPath);
  if (source.empty() || source.find('\'') != std::string::npos) {
    *error = "no usable unix path for " + windowsPath;
    return false;
  }
  char raw[64];
  std::snprintf(raw, sizeof raw, "/tmp/qb-decode-%lu-%d.rgb", GetCurrentProcessId(), ++serial);
  std::string size;
  if (!runOnHost("/usr/bin/identify -format '%w %h %m' '" + source + "[0]' 2>/dev/null && " +
                     "/usr/bin/convert '" + source + "[0]' -depth 8 rgb:'" + raw + "' 2>/dev/null",
                 &size, error, 60000))
    return false;
  std::string rawWindows = std::string("Z:") + raw;
  for (char& c : rawWindows) c = c == '/' ? '\\' : c;
  std::string pixels = readFile(rawWindows);
  DeleteFileA(rawWindows.c_str());
  int width = 0, height = 0;
  char format[16] = "";
  if (std::sscanf(size.c_str(), "%d %d %15s", &width, &height, format) != 3 || width <= 0 ||
      height <= 0 || pixels.size() != size_t(width) * height * 3) {
    *error = "ImageMagick could not decode " + windowsPath + " (" + size + ")";
    return false;
  }
  out->width = width;
  out->height = height;
  out->format = format;
  out->pixels.resize(size_t(width) * height);
  for (size_t i = 0; i < out->pixels.size(); ++i) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pixels.data()) + i * 3;
    out->pixels[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  return true;
}

int64_t expectedQuadrantColour(const RotationGeometry& g, uint32_t w, uint32_t h, int x, int y,
                               int margin, uint32_t fill) {
  // The pixel's centre and the corners of the square of `margin` around it
  // must all fall in the same region.
  double cx = x + 0.5, cy = y + 0.5;
  int region = classify(g, w, h, cx, cy);
  const double offsets[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  for (const auto& o : offsets)
    if (classify(g, w, h, cx + o[0] * margin, cy + o[1] * margin) != region) return -1;
  return region == 4 ? int64_t(fill) : int64_t(quadrantColours[region]);
}

bool closeColour(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    int difference = int((a >> shift) & 0xff) - int((b >> shift) & 0xff);
    if (std::abs(difference) > tolerance) return false;
  }
  return true;
}

std::string colourText(uint32_t colour) {
  char text[32];
  std::snprintf(text, sizeof text, "(%u,%u,%u)", (colour >> 16) & 0xff, (colour >> 8) & 0xff,
                colour & 0xff);
  return text;
}
