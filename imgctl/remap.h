// Pixels to palette indices.
#pragma once

#include <cstdint>
#include <vector>

#include "imgctl/nearest.h"
#include "imgctl/palette.h"
#include "imgctl/pixmap.h"

namespace imgctl {

// Every pixel's colour must be in palette: each gets the index of its
// colour. Returns false when some pixel's colour is missing.
bool remapExact(const Pixmap& picture, const Palette& palette, uint8_t* indices);

// Nearest entries, with one allowance for the file's size: a pixel repeats
// its left neighbour's entry when that entry's squared distance is at most
// twice the nearest one's plus kRunSlackBase (the doubled part capped at
// kRunSlackCap). Longer runs of one index make the LZW strings longer; the
// allowance grows with the error the palette makes there anyway, so smooth
// areas the palette serves closely keep their accuracy while busy areas
// give a little for a markedly smaller file (4 to 8 % on photos, about
// 0.3 dB). No error diffusion: measured on photos, gradients, screenshots
// and smooth fractals it lowered the PSNR and grew the file by up to three
// times, and the gradients showed no bands without it.
constexpr int kRunSlackBase = 4;
constexpr int kRunSlackCap = 44;

// Rows [firstRow, endRow) of picture to indices (of the whole picture's
// layout), through finder (made from palette and prepared with the
// picture's cells, or it scans). Each row depends on nothing else, so rows
// may be mapped on several threads sharing finder, in any order. Returns
// the rows' sum of squared errors.
uint64_t remapNearestRows(const Pixmap& picture, const Palette& palette, const NearestFinder& finder,
                          int firstRow, int endRow, uint8_t* indices);

// The distinct finder cells of picture's colours, to prepare a finder with
// when no colour statistics are at hand. Throws std::bad_alloc.
std::vector<uint32_t> nearestCellsOf(const Pixmap& picture);

// The whole picture; the sum of squared errors.
double remapNearest(const Pixmap& picture, const Palette& palette, uint8_t* indices);

}  // namespace imgctl
