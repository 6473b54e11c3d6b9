// Turned placements: every output pixel's centre is taken back to the
// source through the inverse of the placement and resampled bilinearly;
// pixels the parallelogram's edges cross are blended with the fill by the
// share of them it covers.
//
// With e1 = P1 - P0, e2 = P2 - P0 and det their determinant, the centre of
// output pixel (X, Y) has the parallelogram coordinates s = Ns / 2det and
// t = Nt / 2det, where Ns = e2y (2X + 1 - 2 P0x) - e2x (2Y + 1 - 2 P0y) and
// Nt = e1x (2Y + 1 - 2 P0y) - e1y (2X + 1 - 2 P0x) are exact integers; the
// source position is (w s, h t). Everything that decides whether a pixel is
// inside, on an edge or outside is therefore exact integer arithmetic.
//
// Coverage: a pixel's share on the inner side of one edge is the area of the
// unit square cut by a line, a closed form in the edge's normal (a, b) and
// the distance t from the square's outermost corner (scaled by 2|e|, so all
// integers): t^2 / 2ab while the line cuts a corner off, linear while it
// crosses two opposite sides, and 1 minus the mirror image beyond. A pixel
// near two edges (a corner of the parallelogram) takes the product.
//
// Source positions are fixed point with kFrac fractional bits. Each block of
// kBlock pixels starts from the exact position (a double division of exact
// integers, correctly rounded in both trees) and steps by a rounded
// increment, so no position drifts by more than 1/1000 of a pixel. Bilinear
// weights keep 7 bits of the fraction and sum to 2^14; the SSE2 loop and the
// plain loop compute the same integer sums.
#include <cmath>

#include "rotation/kernel_parts.h"

#if defined(__SSE2__) && !defined(QB_KERNEL_SCALAR)
#include <emmintrin.h>
#define QB_KERNEL_SSE2 1
#endif

namespace {

constexpr int kFrac = 14;
constexpr uint32_t kHalfPixel = 1u << (kFrac - 1);
constexpr int kWeightBits = 7;  // of the fraction, for the bilinear weights
constexpr int32_t kWeightOne = 1 << kWeightBits;
constexpr int kBlock = 32;
constexpr int32_t kFullCover = 65536;  // one edge's share, 16 fractional bits

// The placement's constants.
struct Turn {
  int64_t x0, y0, e1x, e1y, e2x, e2y;
  int64_t det2;  // 2 det: the denominator of s and t
  int64_t sign;  // sign of det: positive inside for either orientation
  int64_t w, h;
  // The two kinds of edges: along e2 (s = 0, s = 1) and along e1 (t = 0,
  // t = 1). Components of their normals, doubled: a <= b.
  int64_t a2, b2, a1, b1;
  int32_t du, dv;  // source position steps per output pixel along a row
};

// One output row's four edges: t_k(X) = slope[k] X + at0[k], with the pixel
// wholly inside edge k from full[k] on and wholly outside up to 0.
struct RowEdges {
  int64_t slope[4];
  int64_t at0[4];
  int64_t full[4];
  int64_t a[4], b[4];
  int64_t ns0, nt0;  // Ns and Nt at X = 0
};

struct Source {
  const uint8_t* top;
  ptrdiff_t stride;
  int32_t w, h;
};

inline const uint32_t* sourceRow(const Source& s, int32_t y) {
  return reinterpret_cast<const uint32_t*>(s.top + ptrdiff_t(y) * s.stride);
}

int64_t nearestStep(int64_t numerator, int64_t det2) {
  return int64_t(std::floor(double(numerator) / double(det2) * (1 << kFrac) + 0.5));
}

Turn makeTurn(const KernelPlacement& at, int32_t w, int32_t h) {
  Turn t;
  t.x0 = at.x0;
  t.y0 = at.y0;
  t.e1x = at.e1x;
  t.e1y = at.e1y;
  t.e2x = at.e2x;
  t.e2y = at.e2y;
  t.det2 = 2 * (at.e1x * at.e2y - at.e1y * at.e2x);
  t.sign = t.det2 > 0 ? 1 : -1;
  t.w = w;
  t.h = h;
  const int64_t x1 = at.e1x < 0 ? -at.e1x : at.e1x, y1 = at.e1y < 0 ? -at.e1y : at.e1y;
  const int64_t x2 = at.e2x < 0 ? -at.e2x : at.e2x, y2 = at.e2y < 0 ? -at.e2y : at.e2y;
  t.a1 = 2 * (x1 < y1 ? x1 : y1);
  t.b1 = 2 * (x1 < y1 ? y1 : x1);
  t.a2 = 2 * (x2 < y2 ? x2 : y2);
  t.b2 = 2 * (x2 < y2 ? y2 : x2);
  // Along a row Ns grows by 2 e2y and Nt by -2 e1y.
  t.du = int32_t(nearestStep(w * 2 * at.e2y, t.det2));
  t.dv = int32_t(nearestStep(-h * 2 * at.e1y, t.det2));
  return t;
}

RowEdges rowEdges(const Turn& t, int32_t y) {
  RowEdges e;
  const int64_t dy2 = 2 * int64_t(y) + 1 - 2 * t.y0, dx2 = 1 - 2 * t.x0;
  e.ns0 = t.e2y * dx2 - t.e2x * dy2;
  e.nt0 = t.e1x * dy2 - t.e1y * dx2;
  const int64_t m2 = (t.a2 + t.b2) / 2, m1 = (t.a1 + t.b1) / 2;
  // t = sign * N + (a + b) / 2 is the distance from the pixel's outermost
  // corner; 1 - s and 1 - t give the far edges.
  e.slope[0] = t.sign * 2 * t.e2y;
  e.at0[0] = t.sign * e.ns0 + m2;
  e.slope[1] = -e.slope[0];
  e.at0[1] = t.sign * (t.det2 - e.ns0) + m2;
  e.slope[2] = -t.sign * 2 * t.e1y;
  e.at0[2] = t.sign * e.nt0 + m1;
  e.slope[3] = -e.slope[2];
  e.at0[3] = t.sign * (t.det2 - e.nt0) + m1;
  for (int k = 0; k < 4; ++k) {
    e.a[k] = k < 2 ? t.a2 : t.a1;
    e.b[k] = k < 2 ? t.b2 : t.b1;
    e.full[k] = e.a[k] + e.b[k];
  }
  return e;
}

// Narrows [lo, hi) to the X with slope X + at0 >= least.
void keepAtLeast(int64_t slope, int64_t at0, int64_t least, int64_t* lo, int64_t* hi) {
  if (slope == 0) {
    if (at0 < least) *hi = *lo;
  } else if (slope > 0) {
    int64_t first = ceilDiv(least - at0, slope);
    if (first > *lo) *lo = first;
  } else {
    int64_t end = floorDiv(at0 - least, -slope) + 1;
    if (end < *hi) *hi = end;
  }
}

// The share of a pixel on the inner side of one edge, 0 .. kFullCover.
int64_t edgeShare(int64_t t, int64_t a, int64_t b) {
  if (t <= 0) return 0;
  if (t >= a + b) return kFullCover;
  if (a == 0) return t * kFullCover / b;
  if (t < a) return t * t * kFullCover / (2 * a * b);
  if (t <= b) return (2 * t - a) * kFullCover / (2 * b);
  const int64_t r = a + b - t;
  return kFullCover - r * r * kFullCover / (2 * a * b);
}

// The pixel's covered share, 0 .. 256.
uint32_t coverage(const RowEdges& e, int64_t x) {
  int64_t share = kFullCover;
  for (int k = 0; k < 4; ++k) {
    const int64_t t = e.slope[k] * x + e.at0[k];
    if (t >= e.full[k]) continue;
    share = share * edgeShare(t, e.a[k], e.b[k]) >> 16;
  }
  return uint32_t((share + 128) >> 8);
}

// Source position of a pixel, fixed point, exact up to the final rounding:
// far outside positions are clamped (their pixels are outside anyway).
int32_t exactPosition(int64_t scale, int64_t n, int64_t det2) {
  const double q = double(scale * n) / double(det2) * (1 << kFrac);
  const double limit = double(1 << 30);
  if (q >= limit) return 1 << 30;
  if (q <= -limit) return -(1 << 30);
  const int32_t whole = int32_t(q);  // toward zero; then down
  return double(whole) > q ? whole - 1 : whole;
}

// 0x00RRGGBB of p00 p01 / p10 p11 weighted by the fractions fx, fy (7 bits).
inline uint32_t blend4(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, uint32_t fx,
                       uint32_t fy) {
  const uint32_t w00 = (kWeightOne - fx) * (kWeightOne - fy), w01 = fx * (kWeightOne - fy);
  const uint32_t w10 = (kWeightOne - fx) * fy, w11 = fx * fy;
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t sum = ((p00 >> shift) & 0xff) * w00 + ((p01 >> shift) & 0xff) * w01 +
                         ((p10 >> shift) & 0xff) * w10 + ((p11 >> shift) & 0xff) * w11;
    result |= ((sum + (1u << (2 * kWeightBits - 1))) >> (2 * kWeightBits)) << shift;
  }
  return result;
}

// Bilinear sample at a fixed-point position, taps clamped to the picture
// (a position beyond its edge takes the edge's colour).
uint32_t clampedSample(const Source& s, uint32_t u, uint32_t v) {
  const int32_t su = int32_t(u - kHalfPixel), sv = int32_t(v - kHalfPixel);
  const int32_t x0 = su >> kFrac, y0 = sv >> kFrac;
  const uint32_t fx = uint32_t(su >> (kFrac - kWeightBits)) & (kWeightOne - 1);
  const uint32_t fy = uint32_t(sv >> (kFrac - kWeightBits)) & (kWeightOne - 1);
  auto clampTo = [](int32_t v, int32_t n) { return v < 0 ? 0 : (v >= n ? n - 1 : v); };
  const int32_t xa = clampTo(x0, s.w), xb = clampTo(x0 + 1, s.w);
  const uint32_t* ra = sourceRow(s, clampTo(y0, s.h));
  const uint32_t* rb = sourceRow(s, clampTo(y0 + 1, s.h));
  return blend4(ra[xa], ra[xb], rb[xa], rb[xb], fx, fy);
}

// A pixel by the careful route: its coverage, the clamped sample, the blend.
uint32_t edgePixel(const Source& s, const RowEdges& e, int64_t x, uint32_t u, uint32_t v,
                   uint32_t fill, uint32_t top) {
  const uint32_t cover = coverage(e, x);
  if (cover == 0) return fill;
  const uint32_t colour = clampedSample(s, u, v);
  if (cover == 256) return colour | top;
  uint32_t result = top;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t c = (colour >> shift) & 0xff, f = (fill >> shift) & 0xff;
    result |= ((c * cover + f * (256 - cover) + 128) >> 8) << shift;
  }
  return result;
}

#ifdef QB_KERNEL_SSE2
// One pixel's channel sums, before rounding: its two rows' bytes
// interleaved and widened, one register per column holding (upper, lower)
// pairs of each channel, so one multiply-add per column weighs both rows.
inline __m128i weighPixel(const uint8_t* p, ptrdiff_t stride, __m128i wl, __m128i wr) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i both =
      _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + stride)));
  return _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(both, zero), wl),
                       _mm_madd_epi16(_mm_unpackhi_epi8(both, zero), wr));
}

// Four pixels at positions u, v (one lane each) wholly inside the picture
// with both taps of each axis: false, and nothing written, when a tap
// would fall outside.
inline bool insideFour(const Source& s, uint32_t* out, __m128i u, __m128i v, __m128i topWord) {
  const __m128i su = _mm_sub_epi32(u, _mm_set1_epi32(kHalfPixel));
  const __m128i sv = _mm_sub_epi32(v, _mm_set1_epi32(kHalfPixel));
  const __m128i x0 = _mm_srai_epi32(su, kFrac), y0 = _mm_srai_epi32(sv, kFrac);
  const __m128i zero = _mm_setzero_si128();
  const __m128i outside = _mm_or_si128(
      _mm_or_si128(_mm_cmplt_epi32(x0, zero), _mm_cmpgt_epi32(x0, _mm_set1_epi32(s.w - 2))),
      _mm_or_si128(_mm_cmplt_epi32(y0, zero), _mm_cmpgt_epi32(y0, _mm_set1_epi32(s.h - 2))));
  if (_mm_movemask_epi8(outside)) return false;
  const __m128i mask = _mm_set1_epi32(kWeightOne - 1), one = _mm_set1_epi32(kWeightOne);
  const __m128i fx = _mm_and_si128(_mm_srli_epi32(su, kFrac - kWeightBits), mask);
  const __m128i fy = _mm_and_si128(_mm_srli_epi32(sv, kFrac - kWeightBits), mask);
  const __m128i gx = _mm_sub_epi32(one, fx), gy = _mm_sub_epi32(one, fy);
  // Each product fits the low 16 bits of its lane; the left column's
  // weights (upper row, lower row) pair up in one lane, the right's in another.
  const __m128i wl =
      _mm_or_si128(_mm_mullo_epi16(gx, gy), _mm_slli_epi32(_mm_mullo_epi16(gx, fy), 16));
  const __m128i wr =
      _mm_or_si128(_mm_mullo_epi16(fx, gy), _mm_slli_epi32(_mm_mullo_epi16(fx, fy), 16));
  alignas(16) int32_t xs[4], ys[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(xs), x0);
  _mm_store_si128(reinterpret_cast<__m128i*>(ys), y0);
  const ptrdiff_t stride = s.stride;
  const __m128i s0 = weighPixel(s.top + ys[0] * stride + xs[0] * 4, stride,
                                _mm_shuffle_epi32(wl, 0x00), _mm_shuffle_epi32(wr, 0x00));
  const __m128i s1 = weighPixel(s.top + ys[1] * stride + xs[1] * 4, stride,
                                _mm_shuffle_epi32(wl, 0x55), _mm_shuffle_epi32(wr, 0x55));
  const __m128i s2 = weighPixel(s.top + ys[2] * stride + xs[2] * 4, stride,
                                _mm_shuffle_epi32(wl, 0xaa), _mm_shuffle_epi32(wr, 0xaa));
  const __m128i s3 = weighPixel(s.top + ys[3] * stride + xs[3] * 4, stride,
                                _mm_shuffle_epi32(wl, 0xff), _mm_shuffle_epi32(wr, 0xff));
  const __m128i round = _mm_set1_epi32(1 << (2 * kWeightBits - 1));
  const __m128i p01 = _mm_packs_epi32(_mm_srli_epi32(_mm_add_epi32(s0, round), 2 * kWeightBits),
                                      _mm_srli_epi32(_mm_add_epi32(s1, round), 2 * kWeightBits));
  const __m128i p23 = _mm_packs_epi32(_mm_srli_epi32(_mm_add_epi32(s2, round), 2 * kWeightBits),
                                      _mm_srli_epi32(_mm_add_epi32(s3, round), 2 * kWeightBits));
  const __m128i colours = _mm_and_si128(_mm_packus_epi16(p01, p23), _mm_set1_epi32(0x00ffffff));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(colours, topWord));
  return true;
}
#endif

// Pixels wholly inside the parallelogram: bilinear with both taps of each
// axis inside the picture, checked per pixel (a rounding or an odd
// placement may still reach past the last row or column: such a pixel goes
// the careful way and comes out the same).
void insideRun(const Source& s, uint32_t* out, int64_t count, uint32_t u, uint32_t v, int32_t du,
               int32_t dv, uint32_t top) {
  int64_t i = 0;
#ifdef QB_KERNEL_SSE2
  if (count >= 4) {
    const uint32_t stepU = uint32_t(du), stepV = uint32_t(dv);
    __m128i us = _mm_setr_epi32(int32_t(u), int32_t(u + stepU), int32_t(u + 2 * stepU),
                                int32_t(u + 3 * stepU));
    __m128i vs = _mm_setr_epi32(int32_t(v), int32_t(v + stepV), int32_t(v + 2 * stepV),
                                int32_t(v + 3 * stepV));
    const __m128i fourU = _mm_set1_epi32(int32_t(4 * stepU)),
                  fourV = _mm_set1_epi32(int32_t(4 * stepV));
    const __m128i topWord = _mm_set1_epi32(int32_t(top));
    for (; i + 4 <= count; i += 4) {
      if (!insideFour(s, out + i, us, vs, topWord)) {
        for (int64_t j = i; j < i + 4; ++j)
          out[j] = clampedSample(s, u + uint32_t(j) * stepU, v + uint32_t(j) * stepV) | top;
      }
      us = _mm_add_epi32(us, fourU);
      vs = _mm_add_epi32(vs, fourV);
    }
  }
#endif
  const uint32_t lastX = uint32_t(s.w - 2), lastY = uint32_t(s.h - 2);
  for (; i < count; ++i) {
    const uint32_t ui = u + uint32_t(i) * uint32_t(du), vi = v + uint32_t(i) * uint32_t(dv);
    const int32_t su = int32_t(ui - kHalfPixel), sv = int32_t(vi - kHalfPixel);
    const int32_t x0 = su >> kFrac, y0 = sv >> kFrac;
    if (uint32_t(x0) > lastX || uint32_t(y0) > lastY) {
      out[i] = clampedSample(s, ui, vi) | top;
      continue;
    }
    const uint32_t fx = uint32_t(su >> (kFrac - kWeightBits)) & (kWeightOne - 1);
    const uint32_t fy = uint32_t(sv >> (kFrac - kWeightBits)) & (kWeightOne - 1);
    const uint32_t* r0 = sourceRow(s, y0) + x0;
    const uint32_t* r1 = sourceRow(s, y0 + 1) + x0;
    out[i] = blend4(r0[0], r0[1], r1[0], r1[1], fx, fy) | top;
  }
}

void drawRow(const Turn& t, const Source& s, int32_t y, uint32_t* out, int64_t width, uint32_t fill,
             uint32_t top) {
  const RowEdges e = rowEdges(t, y);
  int64_t lo = 0, hi = width, fullLo = 0, fullHi = width;
  for (int k = 0; k < 4; ++k) {
    keepAtLeast(e.slope[k], e.at0[k], 1, &lo, &hi);
    keepAtLeast(e.slope[k], e.at0[k], e.full[k], &fullLo, &fullHi);
  }
  if (lo >= hi) {
    fillPixels(out, 0, width, fill);
    return;
  }
  if (fullLo < lo) fullLo = lo;
  if (fullHi > hi) fullHi = hi;
  // Pictures of one row or column have no two taps to take inside.
  if (fullLo >= fullHi || s.w < 2 || s.h < 2) fullLo = fullHi = hi;
  fillPixels(out, 0, lo, fill);
  fillPixels(out, hi, width, fill);
  for (int64_t start = lo; start < hi; start += kBlock) {
    const int64_t end = start + kBlock < hi ? start + kBlock : hi;
    const int64_t ns = e.ns0 + 2 * t.e2y * start, nt = e.nt0 - 2 * t.e1y * start;
    const uint32_t u0 = uint32_t(exactPosition(t.w, ns, t.det2));
    const uint32_t v0 = uint32_t(exactPosition(t.h, nt, t.det2));
    const int64_t inFrom = fullLo < start ? start : (fullLo > end ? end : fullLo);
    const int64_t inTo = fullHi < inFrom ? inFrom : (fullHi > end ? end : fullHi);
    for (int64_t x = start; x < end; ++x) {
      if (x == inFrom && inTo > inFrom) {
        const uint32_t k = uint32_t(x - start);
        insideRun(s, out + x, inTo - x, u0 + k * uint32_t(t.du), v0 + k * uint32_t(t.dv), t.du,
                  t.dv, top);
        x = inTo - 1;
        continue;
      }
      const uint32_t k = uint32_t(x - start);
      out[x] = edgePixel(s, e, x, u0 + k * uint32_t(t.du), v0 + k * uint32_t(t.dv), fill, top);
    }
  }
}

}  // namespace

void drawTurned(const KernelJob& job) {
  const KernelPlacement& at = job.at;
  const int64_t width = job.output.width;
  if (at.e1x * at.e2y - at.e1y * at.e2x == 0) {  // no area
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y)
      fillPixels(pixelRow(job.output, y), 0, width, job.fill);
    return;
  }
  const Turn t = makeTurn(at, job.source.width, job.source.height);
  const Source s = {reinterpret_cast<const uint8_t*>(job.source.top), job.source.stride,
                    job.source.width, job.source.height};
  for (int32_t y = job.rowBegin; y < job.rowEnd; ++y)
    drawRow(t, s, y, pixelRow(job.output, y), width, job.fill, job.topByte);
}
