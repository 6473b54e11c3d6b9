#include "imgctl/nearest.h"

#include <algorithm>

namespace imgctl {
namespace {

constexpr uint32_t kNotBuilt = 0xFFFFFFFFu;
constexpr int kCellBits = 3;                   // 8 colours per cell side
constexpr int kCellsPerSide = 256 >> kCellBits;

inline int square(int v) { return v * v; }

}  // namespace

NearestFinder::NearestFinder(const Palette& palette)
    : count_(palette.count),
      cells_(size_t(kCellsPerSide) * kCellsPerSide * kCellsPerSide, Cell{kNotBuilt, 0}) {
  for (uint32_t i = 0; i < count_; ++i) {
    entries_[i] = Entry{int((palette.colours[i] >> 16) & 0xFF), int((palette.colours[i] >> 8) & 0xFF),
                        int(palette.colours[i] & 0xFF), 0};
    red_[i] = entries_[i].r;
    green_[i] = entries_[i].g;
    blue_[i] = entries_[i].b;
  }
  candidates_.reserve(16384);
}

void NearestFinder::buildCell(uint32_t cell) {
  const int side = 1 << kCellBits;
  const int r0 = int(cell >> 10) * side, g0 = int((cell >> 5) & 31) * side, b0 = int(cell & 31) * side;
  const int r1 = r0 + side - 1, g1 = g0 + side - 1, b1 = b0 + side - 1;
  // Per channel, the distance to the cell's nearest face (0 inside) and to
  // its farthest face; written without branches so the loop vectorizes.
  int nearest[256];
  int bound = 1 << 30;
  for (uint32_t i = 0; i < count_; ++i) {
    const int r = red_[i], g = green_[i], b = blue_[i];
    const int nr = std::max(std::max(r0 - r, r - r1), 0), ng = std::max(std::max(g0 - g, g - g1), 0),
              nb = std::max(std::max(b0 - b, b - b1), 0);
    const int fr = std::max(r - r0, r1 - r), fg = std::max(g - g0, g1 - g), fb = std::max(b - b0, b1 - b);
    nearest[i] = nr * nr + ng * ng + nb * nb;
    bound = std::min(bound, fr * fr + fg * fg + fb * fb);
  }
  uint32_t keys[256];
  uint32_t n = 0;
  for (uint32_t i = 0; i < count_; ++i)
    if (nearest[i] <= bound) keys[n++] = (uint32_t(nearest[i]) << 8) | i;
  // In order of distance to the cell, so a query can stop at the first
  // candidate that cannot come closer than the best so far.
  std::sort(keys, keys + n);
  const uint32_t start = uint32_t(candidates_.size());
  for (uint32_t k = 0; k < n; ++k) {
    const Entry& e = entries_[keys[k] & 0xFF];
    candidates_.push_back(Candidate{keys[k], e.r, e.g, e.b});
  }
  cells_[cell] = Cell{start, n};
}

uint32_t NearestFinder::find(int r, int g, int b, uint32_t* distance) {
  const uint32_t cell = (uint32_t(r >> kCellBits) << 10) | (uint32_t(g >> kCellBits) << 5) |
                        uint32_t(b >> kCellBits);
  if (cells_[cell].start == kNotBuilt) buildCell(cell);
  const Cell c = cells_[cell];
  const Candidate* list = candidates_.data() + c.start;
  uint32_t best = list[0].key & 0xFF;
  int bestDistance = square(r - list[0].r) + square(g - list[0].g) + square(b - list[0].b);
  for (uint32_t k = 1; k < c.size; ++k) {
    // No entry from here on is nearer than its distance to the cell.
    if (int(list[k].key >> 8) > bestDistance) break;
    const uint32_t i = list[k].key & 0xFF;
    const int d = square(r - list[k].r) + square(g - list[k].g) + square(b - list[k].b);
    if (d < bestDistance || (d == bestDistance && i < best)) {
      bestDistance = d;
      best = i;
    }
  }
  if (distance) *distance = uint32_t(bestDistance);
  return best;
}

}  // namespace imgctl
