// Exact nearest palette entry for any RGB colour, fast enough to run once
// per pixel.
//
// The colour cube is cut into 32 x 32 x 32 cells of 8 x 8 x 8 colours. A
// cell's candidate list holds every entry whose distance to the cell (its
// nearest point) is at most the smallest distance any entry has to the
// cell's farthest point. The true nearest entry of every colour in the cell
// is on that list, and lists are sorted by distance to the cell, so a query
// stops as soon as no remaining candidate can beat the best found: one or
// two distance computations on average for a photo palette instead of 256.
// Ties go to the lowest index, exactly as a full scan would.
//
// Lists are built either by the first query that lands in a cell (find,
// one thread), or up front for the cells a picture's colours fall in
// (prepare, on two threads when asked). A prepared finder is read only by
// findShared, so the threads that map one picture share one set of lists
// instead of each building its own; a colour whose cell was not prepared
// is still answered exactly, by a full scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "imgctl/helper_thread.h"
#include "imgctl/palette.h"

namespace imgctl {

class NearestFinder {
 public:
  static constexpr uint32_t kCells = 32768;

  explicit NearestFinder(const Palette& palette);

  // The cell a 0x00RRGGBB colour falls in, 0..kCells-1.
  static uint32_t cellOf(uint32_t colour) {
    return ((colour >> 9) & 0x7C00) | ((colour >> 6) & 0x3E0) | ((colour >> 3) & 0x1F);
  }

  // Builds the lists of cells (each below kCells, any order, repeats
  // allowed) that are not built yet; half of them on helper when given.
  // Throws std::bad_alloc.
  void prepare(const std::vector<uint32_t>& cells, HelperThread* helper);

  // Index of the entry nearest to (r, g, b), each 0..255; the squared
  // distance to it in distance when given. Builds the cell's list on first
  // use: one thread at a time.
  uint32_t find(int r, int g, int b, uint32_t* distance = nullptr);
  uint32_t find(uint32_t colour, uint32_t* distance = nullptr) {
    return find(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF), distance);
  }

  // The same answer without writing anything, so any number of threads
  // may ask at once: fast in prepared cells, a full scan elsewhere.
  // Inline, as it runs once per pixel.
  uint32_t findShared(int r, int g, int b, uint32_t* distance = nullptr) const {
    const Cell c = cells_[cellOf((uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b))];
    return c.start == kNotBuilt ? scan(r, g, b, distance) : search(c, r, g, b, distance);
  }
  uint32_t findShared(uint32_t colour, uint32_t* distance = nullptr) const {
    return findShared(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF), distance);
  }

 private:
  struct Entry {
    int r, g, b, unused;
  };
  static constexpr uint32_t kNotBuilt = 0xFFFFFFFFu;
  struct Cell {
    uint32_t start;  // first group of candidates, or kNotBuilt
    uint32_t size;   // groups
  };
  // Candidates in order of distance to the cell, then index, each with its
  // entry's colour beside it so that a query reads one list and nothing
  // else, in groups of four laid out for SSE2: a group's distances are
  // four multiply-adds. The last group is filled up with copies of the
  // cell's last candidate, which change no minimum.
  struct Group {
    int16_t rg[8];     // red, green of each candidate
    int16_t b0[8];     // blue, 0
    uint32_t key[4];   // (squared distance to the cell << 8) | entry index
  };
  // Entries as lanes, each with its index: the whole palette, or the
  // entries that may serve some colour of a block of 2 x 2 x 2 cells.
  struct Pool {
    uint32_t count;
    int r[256], g[256], b[256];
    uint32_t index[256];
  };
  // Appends the list of cell (whose candidates are all in pool) to into;
  // returns where it lies there.
  Cell buildCell(uint32_t cell, const Pool& pool, std::vector<Group>& into) const;
  void buildCells(const uint32_t* cells, size_t count, std::vector<Group>& into);
  // The smallest (squared distance << 8) | index over a cell's candidates:
  // the nearest entry, ties to the lowest index. A group whose first
  // candidate is farther from the cell than the best so far holds none
  // nearer, and neither does any after it.
  uint32_t search(Cell c, int r, int g, int b, uint32_t* distance) const {
    const Group* group = groups_.data() + c.start;
    const Group* end = group + c.size;
#if defined(__SSE2__)
    const __m128i queryRg = _mm_set1_epi32(int((uint32_t(g) << 16) | uint32_t(r)));
    const __m128i queryB = _mm_set1_epi32(b);
    const __m128i indexMask = _mm_set1_epi32(0xFF);
    __m128i best = _mm_set1_epi32(0x7FFFFFFF);
    uint32_t bestKey;
    for (;;) {
      const __m128i drg = _mm_sub_epi16(queryRg, _mm_loadu_si128(reinterpret_cast<const __m128i*>(group->rg)));
      const __m128i db = _mm_sub_epi16(queryB, _mm_loadu_si128(reinterpret_cast<const __m128i*>(group->b0)));
      const __m128i d = _mm_add_epi32(_mm_madd_epi16(drg, drg), _mm_madd_epi16(db, db));
      const __m128i key = _mm_or_si128(
          _mm_slli_epi32(d, 8), _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(group->key)), indexMask));
      const __m128i less = _mm_cmplt_epi32(key, best);
      best = _mm_or_si128(_mm_and_si128(less, key), _mm_andnot_si128(less, best));
      if (++group == end) break;
      bestKey = minLane(best);
      if ((group->key[0] >> 8) > (bestKey >> 8)) break;
    }
    bestKey = minLane(best);
#else
    uint32_t bestKey = 0xFFFFFFFFu;
    for (; group != end; ++group) {
      if ((group->key[0] >> 8) > (bestKey >> 8)) break;
      for (int k = 0; k < 4; ++k) {
        const uint32_t d = uint32_t(square(r - group->rg[2 * k]) + square(g - group->rg[2 * k + 1]) +
                                    square(b - group->b0[2 * k]));
        bestKey = std::min(bestKey, (d << 8) | (group->key[k] & 0xFF));
      }
    }
#endif
    if (distance) *distance = bestKey >> 8;
    return bestKey & 0xFF;
  }
#if defined(__SSE2__)
  static uint32_t minLane(__m128i v) {
    __m128i other = _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2));
    __m128i less = _mm_cmplt_epi32(other, v);
    v = _mm_or_si128(_mm_and_si128(less, other), _mm_andnot_si128(less, v));
    other = _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1));
    less = _mm_cmplt_epi32(other, v);
    v = _mm_or_si128(_mm_and_si128(less, other), _mm_andnot_si128(less, v));
    return uint32_t(_mm_cvtsi128_si32(v));
  }
#endif
  static int square(int v) { return v * v; }
  uint32_t scan(int r, int g, int b, uint32_t* distance) const;

  uint32_t count_;
  Entry entries_[256];  // for queries: one load per entry
  Pool all_;            // for cell builds
  std::vector<Cell> cells_;
  std::vector<Group> groups_;
};

}  // namespace imgctl
