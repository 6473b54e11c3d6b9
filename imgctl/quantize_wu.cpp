// Wu's colour quantizer (X. Wu, "Efficient Statistical Computations for
// Optimal Color Quantization", Graphics Gems II, 1991).
//
// The colour cube starts as one box. Repeatedly the box with the largest
// squared error is cut in two along the axis and at the plane that most
// reduce the total squared error; box moments come from the cumulative
// tables in ColourStats in constant time, so each candidate plane costs a
// few lookups. Each final box contributes the mean of its pixels.
#include "imgctl/quantize.h"

namespace imgctl {
namespace {

struct Box {
  int r0, r1, g0, g1, b0, b1;  // lower bounds exclusive, upper inclusive, in 0..32
  int volume;
};

enum Axis { kRed, kGreen, kBlue };

inline size_t at(int r, int g, int b) { return (size_t(r) * 33 + size_t(g)) * 33 + size_t(b); }

template <typename T>
T volume(const Box& c, const std::vector<T>& m) {
  return m[at(c.r1, c.g1, c.b1)] - m[at(c.r1, c.g1, c.b0)] - m[at(c.r1, c.g0, c.b1)] +
         m[at(c.r1, c.g0, c.b0)] - m[at(c.r0, c.g1, c.b1)] + m[at(c.r0, c.g1, c.b0)] +
         m[at(c.r0, c.g0, c.b1)] - m[at(c.r0, c.g0, c.b0)];
}

// The part of volume() that involves the box's lower bound on axis.
int64_t bottom(const Box& c, Axis axis, const std::vector<int64_t>& m) {
  switch (axis) {
    case kRed:
      return -m[at(c.r0, c.g1, c.b1)] + m[at(c.r0, c.g1, c.b0)] + m[at(c.r0, c.g0, c.b1)] -
             m[at(c.r0, c.g0, c.b0)];
    case kGreen:
      return -m[at(c.r1, c.g0, c.b1)] + m[at(c.r1, c.g0, c.b0)] + m[at(c.r0, c.g0, c.b1)] -
             m[at(c.r0, c.g0, c.b0)];
    case kBlue:
      return -m[at(c.r1, c.g1, c.b0)] + m[at(c.r1, c.g0, c.b0)] + m[at(c.r0, c.g1, c.b0)] -
             m[at(c.r0, c.g0, c.b0)];
  }
  return 0;
}

// The rest of volume() with the upper bound on axis replaced by pos.
int64_t top(const Box& c, Axis axis, int pos, const std::vector<int64_t>& m) {
  switch (axis) {
    case kRed:
      return m[at(pos, c.g1, c.b1)] - m[at(pos, c.g1, c.b0)] - m[at(pos, c.g0, c.b1)] +
             m[at(pos, c.g0, c.b0)];
    case kGreen:
      return m[at(c.r1, pos, c.b1)] - m[at(c.r1, pos, c.b0)] - m[at(c.r0, pos, c.b1)] +
             m[at(c.r0, pos, c.b0)];
    case kBlue:
      return m[at(c.r1, c.g1, pos)] - m[at(c.r1, c.g0, pos)] - m[at(c.r0, c.g1, pos)] +
             m[at(c.r0, c.g0, pos)];
  }
  return 0;
}

// Weighted variance of a box (its squared error around its mean).
double variance(const Box& c, const ColourStats& s) {
  const double r = double(volume(c, s.sumR)), g = double(volume(c, s.sumG)),
               b = double(volume(c, s.sumB));
  const double w = double(volume(c, s.weight));
  if (w <= 0) return 0;
  return volume(c, s.sumSquares) - (r * r + g * g + b * b) / w;
}

// Best cut plane of box c on axis: returns the between-halves score (larger
// is better) and the plane in cut (-1 when no plane leaves both halves
// non-empty).
double maximize(const Box& c, Axis axis, int first, int last, int& cut, const ColourStats& s,
                int64_t wholeR, int64_t wholeG, int64_t wholeB, int64_t wholeW) {
  const int64_t baseR = bottom(c, axis, s.sumR), baseG = bottom(c, axis, s.sumG),
                baseB = bottom(c, axis, s.sumB), baseW = bottom(c, axis, s.weight);
  double best = 0;
  cut = -1;
  for (int i = first; i < last; ++i) {
    int64_t r = baseR + top(c, axis, i, s.sumR), g = baseG + top(c, axis, i, s.sumG),
            b = baseB + top(c, axis, i, s.sumB), w = baseW + top(c, axis, i, s.weight);
    if (w == 0) continue;
    double score = (double(r) * r + double(g) * g + double(b) * b) / double(w);
    r = wholeR - r;
    g = wholeG - g;
    b = wholeB - b;
    w = wholeW - w;
    if (w == 0) continue;
    score += (double(r) * r + double(g) * g + double(b) * b) / double(w);
    if (score > best) {
      best = score;
      cut = i;
    }
  }
  return best;
}

bool cutBox(Box& a, Box& b, const ColourStats& s) {
  const int64_t wholeR = volume(a, s.sumR), wholeG = volume(a, s.sumG), wholeB = volume(a, s.sumB),
                wholeW = volume(a, s.weight);
  int cutR, cutG, cutB;
  const double maxR = maximize(a, kRed, a.r0 + 1, a.r1, cutR, s, wholeR, wholeG, wholeB, wholeW);
  const double maxG = maximize(a, kGreen, a.g0 + 1, a.g1, cutG, s, wholeR, wholeG, wholeB, wholeW);
  const double maxB = maximize(a, kBlue, a.b0 + 1, a.b1, cutB, s, wholeR, wholeG, wholeB, wholeW);
  Axis axis;
  if (maxR >= maxG && maxR >= maxB) {
    axis = kRed;
    if (cutR < 0) return false;
  } else if (maxG >= maxR && maxG >= maxB) {
    axis = kGreen;
  } else {
    axis = kBlue;
  }
  b.r1 = a.r1;
  b.g1 = a.g1;
  b.b1 = a.b1;
  switch (axis) {
    case kRed:
      b.r0 = a.r1 = cutR;
      b.g0 = a.g0;
      b.b0 = a.b0;
      break;
    case kGreen:
      b.g0 = a.g1 = cutG;
      b.r0 = a.r0;
      b.b0 = a.b0;
      break;
    case kBlue:
      b.b0 = a.b1 = cutB;
      b.r0 = a.r0;
      b.g0 = a.g0;
      break;
  }
  a.volume = (a.r1 - a.r0) * (a.g1 - a.g0) * (a.b1 - a.b0);
  b.volume = (b.r1 - b.r0) * (b.g1 - b.g0) * (b.b1 - b.b0);
  return true;
}

uint32_t roundedMean(int64_t sum, int64_t weight) {
  const int64_t v = (sum + weight / 2) / weight;
  return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

void wuPalette(const ColourStats& stats, uint32_t maxColours, Palette& palette) {
  if (maxColours < 2) maxColours = 2;
  if (maxColours > 256) maxColours = 256;
  Box boxes[256];
  double score[256];
  boxes[0] = Box{0, 32, 0, 32, 0, 32, 32 * 32 * 32};
  score[0] = 0;
  uint32_t made = 1;
  int next = 0;
  while (made < maxColours) {
    if (cutBox(boxes[next], boxes[made], stats)) {
      score[next] = boxes[next].volume > 1 ? variance(boxes[next], stats) : 0;
      score[made] = boxes[made].volume > 1 ? variance(boxes[made], stats) : 0;
      ++made;
    } else {
      score[next] = 0;  // cannot be split: never pick it again
    }
    next = 0;
    double largest = score[0];
    for (uint32_t k = 1; k < made; ++k) {
      if (score[k] > largest) {
        largest = score[k];
        next = int(k);
      }
    }
    if (largest <= 0) break;
  }
  palette = Palette();
  for (uint32_t k = 0; k < made; ++k) {
    const int64_t w = volume(boxes[k], stats.weight);
    if (w <= 0) continue;
    palette.colours[palette.count++] =
        packRgb(roundedMean(volume(boxes[k], stats.sumR), w), roundedMean(volume(boxes[k], stats.sumG), w),
                roundedMean(volume(boxes[k], stats.sumB), w));
  }
}

}  // namespace imgctl
