// One pass over the pixels for each kind of picture.
//
// Exact colours: an open-addressing set of at most 257 entries, abandoned at
// the 257th colour, so a photo costs only the few pixels it takes to find
// 257 colours.
//
// Photo statistics: the pass fills a 64 x 64 x 64 table (6 bits per
// channel). Each cell keeps its pixel count and the sums of the 2 low bits
// of each channel and of their squares; those small sums cannot overflow 32
// bits within kMaxPixels, yet together with the cell's base colour they give
// the exact first and second moments. Wu's 5-bit cube and the weighted
// colour list are both derived from the table afterwards, so the pixels are
// read once.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

#include "imgctl/helper_thread.h"
#include "imgctl/quantize.h"

namespace imgctl {
namespace {

constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // no pixel is ever this (top byte is 0)

struct FineCell {
  uint32_t count;
  uint32_t lowR, lowG, lowB;  // sums of the 2 low bits
  uint32_t lowSquares;        // sum of squares of the 2 low bits, all channels
};

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

inline size_t wuIndex(int r, int g, int b) { return (size_t(r) * 33 + size_t(g)) * 33 + size_t(b); }

// Turns per-cell moments into cumulative ones: each cell then holds the
// sums over the box from the origin to it, so any box's moments come from 8
// corner lookups.
template <typename T>
void accumulate(std::vector<T>& m) {
  for (int r = 1; r <= 32; ++r) {
    std::vector<T> area(33 * 33, T(0));
    for (int g = 1; g <= 32; ++g) {
      T line = 0;
      for (int b = 1; b <= 32; ++b) {
        const size_t i = wuIndex(r, g, b);
        line += m[i];
        area[size_t(g) * 33 + b] = area[size_t(g - 1) * 33 + b] + line;
        m[i] = m[wuIndex(r - 1, g, b)] + area[size_t(g) * 33 + b];
      }
    }
  }
}

}  // namespace

bool exactPalette(const Pixmap& picture, Palette& palette) {
  constexpr size_t kSlots = 512;  // power of two, at most half full
  uint32_t slots[kSlots];
  std::fill(slots, slots + kSlots, kEmpty);
  uint32_t found[257];
  uint32_t count = 0;
  uint32_t last = kEmpty;
  for (const uint32_t c : picture.pixels) {
    if (c == last) continue;
    last = c;
    size_t s = (c * 2654435761u) >> 23;
    while (slots[s] != kEmpty && slots[s] != c) s = (s + 1) & (kSlots - 1);
    if (slots[s] == c) continue;
    if (count == 256) return false;
    slots[s] = c;
    found[count++] = c;
  }
  std::sort(found, found + count);
  palette = Palette();
  palette.count = count;
  std::copy(found, found + count, palette.colours);
  return count > 0;
}

namespace {

using FineTable = std::unique_ptr<FineCell[], FreeDeleter>;

// calloc hands out fresh zero pages, so only the pages the picture's
// colours touch cost anything; the touched cells are listed as they are
// met, so the 262144 cells are never scanned whole.
FineTable newFineTable() {
  FineTable fine(static_cast<FineCell*>(std::calloc(size_t(1) << 18, sizeof(FineCell))));
  if (!fine) throw std::bad_alloc();
  return fine;
}

void fillFine(const uint32_t* pixels, size_t count, FineCell* fine, std::vector<uint32_t>& touched) {
  for (size_t p = 0; p < count; ++p) {
    const uint32_t c = pixels[p];
    const uint32_t r = redOf(c), g = greenOf(c), b = blueOf(c);
    const uint32_t index = ((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2);
    FineCell& cell = fine[index];
    if (cell.count++ == 0) touched.push_back(index);
    const uint32_t lr = r & 3, lg = g & 3, lb = b & 3;
    cell.lowR += lr;
    cell.lowG += lg;
    cell.lowB += lb;
    cell.lowSquares += lr * lr + lg * lg + lb * lb;
  }
}

}  // namespace

void gatherColourStats(const Pixmap& picture, ColourStats& stats, bool twoThreads) {
  gatherColourStats(picture.pixels.data(), picture.pixels.size(), nullptr, 0, stats, twoThreads);
}

void gatherColourStats(const uint32_t* pixels, size_t count, const uint32_t* extra, size_t extraCount,
                       ColourStats& stats, bool twoThreads) {
  if (!twoThreads) {
    gatherColourStats(pixels, count, extra, extraCount, stats, nullptr);
    return;
  }
  HelperThread helper;
  gatherColourStats(pixels, count, extra, extraCount, stats, &helper);
}

void gatherColourStats(const uint32_t* pixels, size_t count, const uint32_t* extra, size_t extraCount,
                       ColourStats& stats, HelperThread* helper) {
  FineTable fine = newFineTable();
  std::vector<uint32_t> touched;
  if (helper && count >= 2) {
    // The second half into a table of its own on the helper, then added
    // in: integer sums, so the result is the same as from one pass.
    const size_t half = count / 2;
    FineTable other = newFineTable();
    std::vector<uint32_t> otherTouched;
    auto fillSecond = [&] { fillFine(pixels + half, count - half, other.get(), otherTouched); };
    helper->start(fillSecond);
    try {
      fillFine(pixels, half, fine.get(), touched);
    } catch (const std::bad_alloc&) {
      helper->finish();
      throw;
    }
    helper->wait();
    for (const uint32_t i : otherTouched) {
      FineCell& to = fine[i];
      const FineCell& from = other[i];
      if (to.count == 0) touched.push_back(i);
      to.count += from.count;
      to.lowR += from.lowR;
      to.lowG += from.lowG;
      to.lowB += from.lowB;
      to.lowSquares += from.lowSquares;
    }
  } else {
    fillFine(pixels, count, fine.get(), touched);
  }
  if (extraCount > 0) fillFine(extra, extraCount, fine.get(), touched);
  std::sort(touched.begin(), touched.end());  // cell order, whatever the pixel order

  const size_t cube = 33 * 33 * 33;
  stats.weight.assign(cube, 0);
  stats.sumR.assign(cube, 0);
  stats.sumG.assign(cube, 0);
  stats.sumB.assign(cube, 0);
  stats.sumSquares.assign(cube, 0.0);
  stats.colours.clear();
  stats.pixelCount = count + extraCount;
  stats.cellSpread = 0;
  stats.colours.reserve(touched.size());
  for (const uint32_t i : touched) {
    const FineCell& cell = fine[i];
    const int64_t n = cell.count;
    stats.cellSpread += double(cell.lowSquares) -
                        (double(cell.lowR) * cell.lowR + double(cell.lowG) * cell.lowG + double(cell.lowB) * cell.lowB) /
                            double(n);
    const int64_t baseR = (i >> 12) << 2, baseG = ((i >> 6) & 63) << 2, baseB = (i & 63) << 2;
    const int64_t sr = n * baseR + cell.lowR, sg = n * baseG + cell.lowG, sb = n * baseB + cell.lowB;
    // sum of (base + low)^2 = n base^2 + 2 base sum(low) + sum(low^2), per channel
    const double squares = double(n) * double(baseR * baseR + baseG * baseG + baseB * baseB) +
                           2.0 * double(baseR * cell.lowR + baseG * cell.lowG + baseB * cell.lowB) +
                           double(cell.lowSquares);
    const size_t w = wuIndex(int(baseR >> 3) + 1, int(baseG >> 3) + 1, int(baseB >> 3) + 1);
    stats.weight[w] += n;
    stats.sumR[w] += sr;
    stats.sumG[w] += sg;
    stats.sumB[w] += sb;
    stats.sumSquares[w] += squares;
    const uint32_t meanR = uint32_t((sr + n / 2) / n), meanG = uint32_t((sg + n / 2) / n),
                   meanB = uint32_t((sb + n / 2) / n);
    stats.colours.push_back(WeightedColour{packRgb(meanR, meanG, meanB), cell.count});
  }
  accumulate(stats.weight);
  accumulate(stats.sumR);
  accumulate(stats.sumG);
  accumulate(stats.sumB);
  accumulate(stats.sumSquares);
}

}  // namespace imgctl
