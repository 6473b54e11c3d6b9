// Upright placements: the source lands on an axis-aligned rectangle, scaled
// and perhaps mirrored along each axis on its own (the two axis modes, and
// in-plane 0 and 180 degrees). Each output pixel is the exact average of
// the source area it covers. Along one axis, the footprint of output pixel
// d and the source pixels are intervals with integer ends in units of
// 1/|extent| pixel, so their overlaps are exact integers; running sums of
// them rounded to 1/32768 give weights that always total 32768 (15 bits, so
// that SSE2 multiplies a pixel and a weight as two signed 16-bit numbers).
// The two axes' weights multiply. A side kept at its length gives one tap of
// full weight: an exact copy.
#include <vector>

#include "rotation/kernel_parts.h"

#if defined(__SSE2__) && !defined(QB_KERNEL_SCALAR)
#include <emmintrin.h>
#define QB_KERNEL_SSE2 1
#endif

namespace {

constexpr int kWeightBits = 15;
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

#ifdef QB_KERNEL_SSE2
// A weight pair for a multiply-add: (first, second) in every 32-bit lane.
// Weights of a run of two or more taps are below 32768, as they must be.
inline __m128i weightPair(uint32_t first, uint32_t second) {
  return _mm_set1_epi32(int32_t(first | second << 16));
}

// Rounded channel sums (one pixel's B, G, R, A per register) of four pixels,
// packed into four words with the top byte.
inline __m128i packFour(__m128i a, __m128i b, __m128i c, __m128i d, uint32_t top) {
  const __m128i half = _mm_set1_epi32(1 << (kWeightBits - 1));
  a = _mm_srli_epi32(_mm_add_epi32(a, half), kWeightBits);
  b = _mm_srli_epi32(_mm_add_epi32(b, half), kWeightBits);
  c = _mm_srli_epi32(_mm_add_epi32(c, half), kWeightBits);
  d = _mm_srli_epi32(_mm_add_epi32(d, half), kWeightBits);
  const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
  return _mm_or_si128(_mm_and_si128(bytes, _mm_set1_epi32(0x00ffffff)),
                      _mm_set1_epi32(int32_t(top)));
}
#endif

// Squeezed along y only, the columns in order: out[x] averages the tap
// rows at column col + x - xa. Four pixels at a time with SSE2, the tap
// rows two at a time, interleaved so that one multiply-add weighs both.
void squeezeRows(const uint32_t* const* lines, const uint32_t* weights, int32_t taps, int32_t col,
                 int64_t count, uint32_t top, uint32_t* out) {
  int64_t i = 0;
#ifdef QB_KERNEL_SSE2
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) {
    __m128i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
    for (int32_t k = 0; k < taps; k += 2) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lines[k] + col + i));
      const bool pair = k + 1 < taps;
      const __m128i b =
          pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(lines[k + 1] + col + i)) : zero;
      const __m128i w = weightPair(weights[k], pair ? weights[k + 1] : 0);
      const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
      s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), w));
      s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), w));
      s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), w));
      s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), w));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packFour(s0, s1, s2, s3, top));
  }
#endif
  for (; i < count; ++i) {
    Rgb sum = {0, 0, 0};
    for (int32_t k = 0; k < taps; ++k) addWeighted(&sum, lines[k][col + i], weights[k]);
    out[i] = packRounded(sum, kWeightBits, top);
  }
}

// The sum of `count` taps of one row from `pixels`, weighted: with SSE2
// two adjacent taps per multiply-add.
inline uint32_t squeezeColumns(const uint32_t* pixels, const uint32_t* weights, int32_t count,
                               uint32_t top) {
#ifdef QB_KERNEL_SSE2
  const __m128i zero = _mm_setzero_si128();
  __m128i sum = zero;
  for (int32_t j = 0; j < count; j += 2) {
    const bool pair = j + 1 < count;
    const __m128i two = pair ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels + j))
                             : _mm_cvtsi32_si128(int32_t(pixels[j]));
    const __m128i wide = _mm_unpacklo_epi8(two, zero);  // B0 G0 R0 A0 B1 G1 R1 A1
    const __m128i pairs = _mm_unpacklo_epi16(wide, _mm_srli_si128(wide, 8));
    sum = _mm_add_epi32(sum,
                        _mm_madd_epi16(pairs, weightPair(weights[j], pair ? weights[j + 1] : 0)));
  }
  sum = _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (kWeightBits - 1))), kWeightBits);
  sum = _mm_packs_epi32(sum, sum);
  return (uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum))) & 0x00ffffffu) | top;
#else
  Rgb sum = {0, 0, 0};
  for (int32_t j = 0; j < count; ++j) addWeighted(&sum, pixels[j], weights[j]);
  return packRounded(sum, kWeightBits, top);
#endif
}

// One output row inside the rectangle, columns xa .. xb-1. `rows` are the
// vertical taps of this output row (one run), `cols` the horizontal ones;
// `lines` has room for a pointer per vertical tap.
void drawRun(const KernelJob& job, const Taps& cols, int64_t xa, int64_t xb, const Taps& rows,
             std::vector<const uint32_t*>* lines, uint32_t* out) {
  const PixelRows& src = job.source;
  const int32_t rowFirst = rows.first[0], rowCount = rows.count[0];
  const uint32_t* rowWeights = rows.weights.data() + rows.offset[0];
  if (rowCount == 1 && cols.copy) {
    const uint32_t* line = pixelRow(src, rowFirst);
    for (int64_t x = xa; x < xb; ++x)
      out[x] = (line[cols.first[x - xa]] & 0x00ffffffu) | job.topByte;
    return;
  }
  if (rowCount == 1) {  // squeezed along x only
    const uint32_t* line = pixelRow(src, rowFirst);
    for (int64_t x = xa; x < xb; ++x)
      out[x] = squeezeColumns(line + cols.first[x - xa], cols.weights.data() + cols.offset[x - xa],
                              cols.count[x - xa], job.topByte);
    return;
  }
  lines->resize(size_t(rowCount));
  for (int32_t k = 0; k < rowCount; ++k) (*lines)[size_t(k)] = pixelRow(src, rowFirst + k);
  if (cols.copy && job.at.e1x > 0) {  // squeezed along y only, columns in order
    squeezeRows(lines->data(), rowWeights, rowCount, cols.first[0], xb - xa, job.topByte, out + xa);
    return;
  }
  // Both axes, or columns mirrored: each row's horizontal sum, kept to
  // 1/256 of a level, then the vertical sum of those (below 2^31).
  for (int64_t x = xa; x < xb; ++x) {
    const int32_t first = cols.first[x - xa], count = cols.count[x - xa];
    const uint32_t* weights = cols.weights.data() + cols.offset[x - xa];
    Rgb sum = {0, 0, 0};
    for (int32_t k = 0; k < rowCount; ++k) {
      const uint32_t* line = (*lines)[size_t(k)];
      Rgb across = {0, 0, 0};
      for (int32_t j = 0; j < count; ++j) addWeighted(&across, line[first + j], weights[j]);
      const int drop = kWeightBits - 8;
      sum.r += ((across.r + (1u << (drop - 1))) >> drop) * rowWeights[k];
      sum.g += ((across.g + (1u << (drop - 1))) >> drop) * rowWeights[k];
      sum.b += ((across.b + (1u << (drop - 1))) >> drop) * rowWeights[k];
    }
    out[x] = packRounded(sum, kWeightBits + 8, job.topByte);
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
  std::vector<const uint32_t*> lines;
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
    drawRun(job, cols, xa, xb, rows, &lines, out);
  }
}
