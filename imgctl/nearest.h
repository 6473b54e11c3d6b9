// Exact nearest palette entry for any RGB colour, fast enough to run once
// per pixel.
//
// The colour cube is cut into 32 x 32 x 32 cells of 8 x 8 x 8 colours. The
// first query that lands in a cell builds the cell's candidate list: every
// entry whose distance to the cell (its nearest point) is at most the
// smallest distance any entry has to the cell's farthest point. The true
// nearest entry of every colour in the cell is on that list, and lists are
// sorted by distance to the cell, so a query stops as soon as no remaining
// candidate can beat the best found: one or two distance computations on
// average for a photo palette instead of 256. Ties go to the lowest index,
// exactly as a full scan would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imgctl/palette.h"

namespace imgctl {

class NearestFinder {
 public:
  explicit NearestFinder(const Palette& palette);

  // Index of the entry nearest to (r, g, b), each 0..255; the squared
  // distance to it in distance when given.
  uint32_t find(int r, int g, int b, uint32_t* distance = nullptr);
  uint32_t find(uint32_t colour, uint32_t* distance = nullptr) {
    return find(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF), distance);
  }

 private:
  struct Entry {
    int r, g, b, unused;
  };
  struct Cell {
    uint32_t start;  // first candidate, or kNotBuilt
    uint32_t size;   // candidates
  };
  void buildCell(uint32_t cell);

  uint32_t count_;
  Entry entries_[256];                         // for queries: one load per entry
  int red_[256], green_[256], blue_[256];      // for cell builds: vector lanes
  std::vector<Cell> cells_;
  // Candidates in order of distance to the cell, then index, each with its
  // entry's colour beside it so that a query reads one list and nothing else.
  struct Candidate {
    uint32_t key;  // (squared distance to the cell << 8) | entry index
    int r, g, b;
  };
  std::vector<Candidate> candidates_;
};

}  // namespace imgctl
