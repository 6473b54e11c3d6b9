#include "imgctl/nearest.h"

#include <algorithm>
#include <new>

namespace imgctl {
namespace {

constexpr int kCellBits = 3;  // 8 colours per cell side

// The block of 2 x 2 x 2 cells a cell is in, packed as cells are.
inline uint32_t blockOf(uint32_t cell) { return (cell >> 1) & 0x3DEF; }

// The entries of pool that may be nearest to some colour of the box of
// side colours from (r0, g0, b0): every entry whose distance to the box (its
// nearest point) is at most the smallest distance any entry has to the
// box's farthest point. Their positions in pool go to picked and their
// distances to the box to nearest; returns how many.
template <typename Pool>
uint32_t pickForBox(const Pool& pool, int r0, int g0, int b0, int side, uint32_t* picked, int* nearest) {
  const int r1 = r0 + side - 1, g1 = g0 + side - 1, b1 = b0 + side - 1;
  // Per channel, the distance to the box's nearest face (0 inside) and to
  // its farthest face; written without branches so the loop vectorizes.
  int toBox[256];
  int bound = 1 << 30;
  for (uint32_t k = 0; k < pool.count; ++k) {
    const int r = pool.r[k], g = pool.g[k], b = pool.b[k];
    const int nr = std::max(std::max(r0 - r, r - r1), 0), ng = std::max(std::max(g0 - g, g - g1), 0),
              nb = std::max(std::max(b0 - b, b - b1), 0);
    const int fr = std::max(r - r0, r1 - r), fg = std::max(g - g0, g1 - g), fb = std::max(b - b0, b1 - b);
    toBox[k] = nr * nr + ng * ng + nb * nb;
    bound = std::min(bound, fr * fr + fg * fg + fb * fb);
  }
  uint32_t n = 0;
  for (uint32_t k = 0; k < pool.count; ++k) {
    if (toBox[k] > bound) continue;
    picked[n] = k;
    nearest[n++] = toBox[k];
  }
  return n;
}

}  // namespace

NearestFinder::NearestFinder(const Palette& palette) : count_(palette.count), cells_(kCells, Cell{kNotBuilt, 0}) {
  all_.count = count_;
  for (uint32_t i = 0; i < count_; ++i) {
    entries_[i] = Entry{int((palette.colours[i] >> 16) & 0xFF), int((palette.colours[i] >> 8) & 0xFF),
                        int(palette.colours[i] & 0xFF), 0};
    all_.r[i] = entries_[i].r;
    all_.g[i] = entries_[i].g;
    all_.b[i] = entries_[i].b;
    all_.index[i] = i;
  }
  groups_.reserve(4096);
}

NearestFinder::Cell NearestFinder::buildCell(uint32_t cell, const Pool& pool, std::vector<Group>& into) const {
  const int side = 1 << kCellBits;
  uint32_t picked[256];
  int nearest[256];
  const uint32_t n = pickForBox(pool, int(cell >> 10) * side, int((cell >> 5) & 31) * side, int(cell & 31) * side,
                                side, picked, nearest);
  uint32_t keys[256];
  for (uint32_t k = 0; k < n; ++k) keys[k] = (uint32_t(nearest[k]) << 8) | pool.index[picked[k]];
  // In order of distance to the cell, then index, so a query can stop at
  // the first candidate that cannot come closer than the best so far.
  std::sort(keys, keys + n);
  const uint32_t start = uint32_t(into.size());
  for (uint32_t k = 0; k < n; k += 4) {
    Group group;
    for (uint32_t lane = 0; lane < 4; ++lane) {
      const uint32_t key = keys[std::min(k + lane, n - 1)];
      const Entry& e = entries_[key & 0xFF];
      group.rg[2 * lane] = int16_t(e.r);
      group.rg[2 * lane + 1] = int16_t(e.g);
      group.b0[2 * lane] = int16_t(e.b);
      group.b0[2 * lane + 1] = 0;
      group.key[lane] = key;
    }
    into.push_back(group);
  }
  return Cell{start, (n + 3) / 4};
}

// cells are sorted by block. A cell's candidates are all candidates of its
// block, since the block's bound is no smaller and an entry's distance to
// the block no larger; so each block is tested against the palette once
// and its cells against the block's shorter list, with the same lists as
// a test against the whole palette.
void NearestFinder::buildCells(const uint32_t* cells, size_t count, std::vector<Group>& into) {
  Pool block;
  uint32_t current = kNotBuilt;
  for (size_t k = 0; k < count; ++k) {
    if (blockOf(cells[k]) != current) {
      current = blockOf(cells[k]);
      const int side = 2 << kCellBits;
      uint32_t picked[256];
      int unused[256];
      block.count = pickForBox(all_, int(current >> 10) * side, int((current >> 5) & 15) * side,
                               int(current & 15) * side, side, picked, unused);
      for (uint32_t j = 0; j < block.count; ++j) {
        block.r[j] = all_.r[picked[j]];
        block.g[j] = all_.g[picked[j]];
        block.b[j] = all_.b[picked[j]];
        block.index[j] = picked[j];
      }
    }
    cells_[cells[k]] = buildCell(cells[k], block, into);
  }
}

void NearestFinder::prepare(const std::vector<uint32_t>& cells, HelperThread* helper) {
  std::vector<uint8_t> listed(kCells, 0);
  std::vector<uint32_t> todo;
  for (const uint32_t cell : cells) {
    if (cells_[cell].start != kNotBuilt || listed[cell]) continue;
    listed[cell] = 1;
    todo.push_back(cell);
  }
  std::sort(todo.begin(), todo.end(), [](uint32_t a, uint32_t b) {
    return blockOf(a) != blockOf(b) ? blockOf(a) < blockOf(b) : a < b;
  });
  // Each thread writes the Cell records of its own blocks and its own list
  // of groups; the helper's list is appended after both are done.
  size_t half = helper ? todo.size() / 2 : todo.size();
  while (half > 0 && half < todo.size() && blockOf(todo[half]) == blockOf(todo[half - 1])) ++half;
  std::vector<Group> second;
  auto buildSecond = [&] {
    second.reserve((todo.size() - half) * 2);
    buildCells(todo.data() + half, todo.size() - half, second);
  };
  bool failed = false;
  if (half < todo.size()) helper->start(buildSecond);
  try {
    buildCells(todo.data(), half, groups_);
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (half < todo.size() && helper->finish()) failed = true;
  if (!failed) {
    try {
      const uint32_t offset = uint32_t(groups_.size());
      groups_.insert(groups_.end(), second.begin(), second.end());
      for (size_t k = half; k < todo.size(); ++k) cells_[todo[k]].start += offset;
      return;
    } catch (const std::bad_alloc&) {
    }
  }
  // Lists that may be incomplete are forgotten, so the finder stays exact.
  for (const uint32_t cell : todo) cells_[cell] = Cell{kNotBuilt, 0};
  throw std::bad_alloc();
}

uint32_t NearestFinder::scan(int r, int g, int b, uint32_t* distance) const {
  uint32_t best = 0;
  int bestDistance = 1 << 30;
  for (uint32_t i = 0; i < count_; ++i) {
    const int d = square(r - entries_[i].r) + square(g - entries_[i].g) + square(b - entries_[i].b);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  if (distance) *distance = uint32_t(bestDistance);
  return best;
}

uint32_t NearestFinder::find(int r, int g, int b, uint32_t* distance) {
  const uint32_t cell = cellOf((uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b));
  if (cells_[cell].start == kNotBuilt) cells_[cell] = buildCell(cell, all_, groups_);
  return search(cells_[cell], r, g, b, distance);
}

}  // namespace imgctl
