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

uint32_t roundChannel(uint64_t sum, uint64_t weight) {
  // Sums of integers below 2^53 are exact in a double, so this rounds as
  // the double sums of earlier builds did.
  const double v = std::floor(double(sum) / double(weight) + 0.5);
  return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// The colours served by each entry: integer sums, so the halves of the
// list may be summed on two threads and added in any order.
struct Sums {
  uint64_t r[256], g[256], b[256], weight[256];
};

void sumServed(const NearestFinder& finder, const WeightedColour* colours, size_t count, Sums& sums) {
  for (size_t k = 0; k < count; ++k) {
    const WeightedColour& wc = colours[k];
    const uint32_t i = finder.findShared(wc.colour);
    const uint64_t w = wc.weight;
    sums.r[i] += w * redOf(wc.colour);
    sums.g[i] += w * greenOf(wc.colour);
    sums.b[i] += w * blueOf(wc.colour);
    sums.weight[i] += w;
  }
}

}  // namespace

std::vector<uint32_t> nearestCellsOf(const std::vector<WeightedColour>& colours) {
  std::vector<uint8_t> seen(NearestFinder::kCells, 0);
  std::vector<uint32_t> cells;
  for (const WeightedColour& wc : colours) {
    const uint32_t cell = NearestFinder::cellOf(wc.colour);
    if (seen[cell]) continue;
    seen[cell] = 1;
    cells.push_back(cell);
  }
  return cells;
}

void refinePalette(const ColourStats& stats, int passes, Palette& palette, HelperThread* helper) {
  const std::vector<uint32_t> cells = nearestCellsOf(stats.colours);
  const WeightedColour* colours = stats.colours.data();
  const size_t count = stats.colours.size(), half = helper ? count / 2 : count;
  for (int pass = 0; pass < passes; ++pass) {
    NearestFinder finder(palette);
    finder.prepare(cells, helper);
    Sums sums = {}, second = {};
    if (half < count) {
      auto sumSecond = [&] { sumServed(finder, colours + half, count - half, second); };
      helper->start(sumSecond);
      sumServed(finder, colours, half, sums);  // throws nothing
      helper->wait();
      for (uint32_t i = 0; i < palette.count; ++i) {
        sums.r[i] += second.r[i];
        sums.g[i] += second.g[i];
        sums.b[i] += second.b[i];
        sums.weight[i] += second.weight[i];
      }
    } else {
      sumServed(finder, colours, count, sums);
    }
    bool moved = false;
    for (uint32_t i = 0; i < palette.count; ++i) {
      if (sums.weight[i] == 0) continue;  // serves nobody: left where it is
      const uint32_t c = packRgb(roundChannel(sums.r[i], sums.weight[i]), roundChannel(sums.g[i], sums.weight[i]),
                                 roundChannel(sums.b[i], sums.weight[i]));
      if (c != palette.colours[i]) moved = true;
      palette.colours[i] = c;
    }
    if (!moved) break;
  }
}

bool dropUnservedEntries(const ColourStats& stats, const NearestFinder& finder, Palette& palette) {
  bool served[256] = {};
  for (const WeightedColour& wc : stats.colours) served[finder.findShared(wc.colour)] = true;
  Palette kept;
  for (uint32_t i = 0; i < palette.count; ++i)
    if (served[i]) kept.colours[kept.count++] = palette.colours[i];
  if (kept.count == 0 || kept.count == palette.count) return false;
  palette = kept;
  return true;
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
