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
  // allowed) that are not built yet; on two threads when twoThreads.
  // Throws std::bad_alloc.
  void prepare(const std::vector<uint32_t>& cells, bool twoThreads);

  // Index of the entry nearest to (r, g, b), each 0..255; the squared
  // distance to it in distance when given. Builds the cell's list on first
  // use: one thread at a time.
  uint32_t find(int r, int g, int b, uint32_t* distance = nullptr);
  uint32_t find(uint32_t colour, uint32_t* distance = nullptr) {
    return find(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF), distance);
  }

  // The same answer without writing anything, so any number of threads
  // may ask at once: fast in prepared cells, a full scan elsewhere.
  uint32_t findShared(int r, int g, int b, uint32_t* distance = nullptr) const;
  uint32_t findShared(uint32_t colour, uint32_t* distance = nullptr) const {
    return findShared(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF), distance);
  }

 private:
  struct Entry {
    int r, g, b, unused;
  };
  struct Cell {
    uint32_t start;  // first candidate, or kNotBuilt
    uint32_t size;   // candidates
  };
  // Candidates in order of distance to the cell, then index, each with its
  // entry's colour beside it so that a query reads one list and nothing else.
  struct Candidate {
    uint32_t key;  // (squared distance to the cell << 8) | entry index
    int r, g, b;
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
  Cell buildCell(uint32_t cell, const Pool& pool, std::vector<Candidate>& into) const;
  void buildCells(const uint32_t* cells, size_t count, std::vector<Candidate>& into);
  uint32_t search(Cell c, int r, int g, int b, uint32_t* distance) const;
  uint32_t scan(int r, int g, int b, uint32_t* distance) const;

  uint32_t count_;
  Entry entries_[256];  // for queries: one load per entry
  Pool all_;            // for cell builds
  std::vector<Cell> cells_;
  std::vector<Candidate> candidates_;
};

}  // namespace imgctl
