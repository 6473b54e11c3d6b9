// Upright placements: the source lands on an axis-aligned rectangle, scaled
// and perhaps mirrored along each axis on its own (the two axis modes, and
// in-plane 0 and 180 degrees). Each output pixel is the exact average of
// the source area it covers. Along one axis, the footprint of output pixel
// d and the source pixels are intervals with integer ends in units of
// 1/|extent| pixel, so their overlaps are exact integers; running sums of
// them rounded to 1/65536 give weights that always total 65536. The two
// axes' weights multiply. A side kept at its length gives one tap of 65536,
// an exact copy.
#include <vector>

#include "rotation/kernel_parts.h"

namespace {

constexpr int kWeightBits = 16;
constexpr int64_t kWeightOne = int64_t(1) << kWeightBits;

// The source pixels each output pixel of one axis averages: pixel i of the
// axis's run takes count[i] source pixels from first[i], with the weights
// weights[offset[i] ...].
struct Taps {
  std::vector<int32_t> first;
  std::vector<int32_t> count;
  std::vector<int32_t> offset;
  std::vector<uint32_t> weights;
  bool copy = true;  // every pixel one source pixel at full weight
};

// Adds output pixel d's taps along an axis on which the source's n pixels
// run from `origin` over `extent` output pixels (negative: mirrored). d lies
// within that run, so its footprint lies within the source.
void addTaps(int64_t d, int64_t origin, int64_t extent, int64_t n, Taps* taps) {
  const int64_t m = extent < 0 ? -extent : extent;
  // Source pixel k spans [k m, (k+1) m]; the footprint is n long.
  const int64_t lo = extent > 0 ? (d - origin) * n : (origin - d - 1) * n;
  const int64_t hi = lo + n;
  int64_t k0 = floorDiv(lo, m), k1 = ceilDiv(hi, m) - 1;
  if (k0 < 0) k0 = 0;
  if (k1 > n - 1) k1 = n - 1;
  int64_t covered = 0, given = 0;
  int32_t first = -1, count = 0;
  const int32_t offset = int32_t(taps->weights.size());
  for (int64_t k = k0; k <= k1; ++k) {
    int64_t start = lo > k * m ? lo : k * m;
    int64_t end = hi < (k + 1) * m ? hi : (k + 1) * m;
    if (end > start) covered += end - start;
    int64_t upTo = (covered * kWeightOne * 2 + n) / (2 * n);  // nearest
    int64_t weight = upTo - given;
    given = upTo;
    // Zero weights inside the run stay, so taps are consecutive pixels.
    if (weight == 0 && first < 0) continue;
    if (first < 0) first = int32_t(k);
    taps->weights.push_back(uint32_t(weight));
    count = int32_t(k - first + 1);
  }
  while (count > 1 && taps->weights.back() == 0) {
    taps->weights.pop_back();
    --count;
  }
  taps->first.push_back(first < 0 ? 0 : first);
  taps->count.push_back(count);
  taps->offset.push_back(offset);
  if (count != 1) taps->copy = false;
}

struct Rgb {
  uint32_t r, g, b;
};

inline void addWeighted(Rgb* sum, uint32_t pixel, uint32_t weight) {
  sum->r += ((pixel >> 16) & 0xff) * weight;
  sum->g += ((pixel >> 8) & 0xff) * weight;
  sum->b += (pixel & 0xff) * weight;
}

inline uint32_t packRounded(const Rgb& sum, int shift, uint32_t top) {
  const uint32_t half = uint32_t(1) << (shift - 1);
  return top | ((sum.r + half) >> shift) << 16 | ((sum.g + half) >> shift) << 8 |
         ((sum.b + half) >> shift);
}

// One output row inside the rectangle, columns xa .. xb-1. `rows` are the
// vertical taps of this output row (one run), `cols` the horizontal ones.
void drawRun(const KernelJob& job, const Taps& cols, int64_t xa, int64_t xb, const Taps& rows,
             uint32_t* out) {
  const PixelRows& src = job.source;
  const int32_t rowFirst = rows.first[0], rowCount = rows.count[0];
  const uint32_t* rowWeights = rows.weights.data() + rows.offset[0];
  if (rowCount == 1 && cols.copy) {
    const uint32_t* line = pixelRow(src, rowFirst);
    for (int64_t x = xa; x < xb; ++x)
      out[x] = (line[cols.first[x - xa]] & 0x00ffffffu) | job.topByte;
    return;
  }
  if (cols.copy) {  // squeezed along y only: sum 65536ths
    for (int64_t x = xa; x < xb; ++x) {
      const int32_t col = cols.first[x - xa];
      Rgb sum = {0, 0, 0};
      for (int32_t k = 0; k < rowCount; ++k)
        addWeighted(&sum, pixelRow(src, rowFirst + k)[col], rowWeights[k]);
      out[x] = packRounded(sum, kWeightBits, job.topByte);
    }
    return;
  }
  if (rowCount == 1) {  // squeezed along x only
    const uint32_t* line = pixelRow(src, rowFirst);
    for (int64_t x = xa; x < xb; ++x) {
      const int32_t first = cols.first[x - xa], count = cols.count[x - xa];
      const uint32_t* weights = cols.weights.data() + cols.offset[x - xa];
      Rgb sum = {0, 0, 0};
      for (int32_t j = 0; j < count; ++j) addWeighted(&sum, line[first + j], weights[j]);
      out[x] = packRounded(sum, kWeightBits, job.topByte);
    }
    return;
  }
  // Both axes: each row's horizontal sum, kept to 1/256 of a level, then
  // the vertical sum of those, which stays below 2^32.
  for (int64_t x = xa; x < xb; ++x) {
    const int32_t first = cols.first[x - xa], count = cols.count[x - xa];
    const uint32_t* weights = cols.weights.data() + cols.offset[x - xa];
    Rgb sum = {0, 0, 0};
    for (int32_t k = 0; k < rowCount; ++k) {
      const uint32_t* line = pixelRow(src, rowFirst + k);
      Rgb across = {0, 0, 0};
      for (int32_t j = 0; j < count; ++j) addWeighted(&across, line[first + j], weights[j]);
      sum.r += ((across.r + 128) >> 8) * rowWeights[k];
      sum.g += ((across.g + 128) >> 8) * rowWeights[k];
      sum.b += ((across.b + 128) >> 8) * rowWeights[k];
    }
    out[x] = packRounded(sum, 2 * kWeightBits - 8, job.topByte);
  }
}

}  // namespace

void drawUpright(const KernelJob& job) {
  const KernelPlacement& at = job.at;
  const int64_t width = job.output.width, height = job.output.height;
  int64_t xa = at.e1x < 0 ? at.x0 + at.e1x : at.x0, xb = xa + (at.e1x < 0 ? -at.e1x : at.e1x);
  int64_t ya = at.e2y < 0 ? at.y0 + at.e2y : at.y0, yb = ya + (at.e2y < 0 ? -at.e2y : at.e2y);
  if (xa < 0) xa = 0;
  if (xb > width) xb = width;
  if (ya < 0) ya = 0;
  if (yb > height) yb = height;
  if (xa >= xb || ya >= yb) xa = xb = ya = yb = 0;  // no area: all fill

  Taps cols;
  for (int64_t x = xa; x < xb; ++x) addTaps(x, at.x0, at.e1x, job.source.width, &cols);
  Taps rows;
  for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
    uint32_t* out = pixelRow(job.output, y);
    if (y < ya || y >= yb) {
      fillPixels(out, 0, width, job.fill);
      continue;
    }
    fillPixels(out, 0, xa, job.fill);
    fillPixels(out, xb, width, job.fill);
    rows.first.clear();
    rows.count.clear();
    rows.offset.clear();
    rows.weights.clear();
    addTaps(y, at.y0, at.e2y, job.source.height, &rows);
    drawRun(job, cols, xa, xb, rows, out);
  }
}
