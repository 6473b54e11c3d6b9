// k-means refinement of a palette and the error measures built on the same
// nearest-entry search.
//
// Wu's boxes are cut along axis planes, so a box's mean is seldom the best
// representative of the colours that end up nearest to it. A Lloyd pass
// assigns each weighted colour to its nearest entry and moves every entry
// to the weighted mean of its colours; the squared error never rises from
// one pass to the next. Two or three passes take most of the gain.
#include <cmath>

#include "imgctl/nearest.h"
#include "imgctl/quantize.h"

namespace imgctl {
namespace {

uint32_t roundChannel(double sum, double weight) {
  const double v = std::floor(sum / weight + 0.5);
  return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

void refinePalette(const ColourStats& stats, int passes, Palette& palette) {
  for (int pass = 0; pass < passes; ++pass) {
    NearestFinder finder(palette);
    double sumR[256] = {}, sumG[256] = {}, sumB[256] = {}, weight[256] = {};
    for (const WeightedColour& wc : stats.colours) {
      const uint32_t i = finder.find(wc.colour);
      const double w = wc.weight;
      sumR[i] += w * redOf(wc.colour);
      sumG[i] += w * greenOf(wc.colour);
      sumB[i] += w * blueOf(wc.colour);
      weight[i] += w;
    }
    bool moved = false;
    for (uint32_t i = 0; i < palette.count; ++i) {
      if (weight[i] <= 0) continue;  // serves nobody: left where it is
      const uint32_t c = packRgb(roundChannel(sumR[i], weight[i]), roundChannel(sumG[i], weight[i]),
                                 roundChannel(sumB[i], weight[i]));
      if (c != palette.colours[i]) moved = true;
      palette.colours[i] = c;
    }
    if (!moved) break;
  }
}

void dropUnservedEntries(const ColourStats& stats, Palette& palette) {
  NearestFinder finder(palette);
  bool served[256] = {};
  for (const WeightedColour& wc : stats.colours) served[finder.find(wc.colour)] = true;
  Palette kept;
  for (uint32_t i = 0; i < palette.count; ++i)
    if (served[i]) kept.colours[kept.count++] = palette.colours[i];
  if (kept.count > 0) palette = kept;
}

PaletteFit measurePalette(const std::vector<WeightedColour>& colours, const Palette& palette,
                          double errorLimit, uint32_t poorThreshold) {
  NearestFinder finder(palette);
  PaletteFit fit;
  for (const WeightedColour& wc : colours) {
    uint32_t d;
    finder.find(wc.colour, &d);
    fit.error += double(d) * wc.weight;
    if (d > poorThreshold) fit.poor += wc.weight;
    if (fit.error > errorLimit) break;
  }
  return fit;
}

}  // namespace imgctl
