// Colour reduction of a true-colour picture to a GIF palette.
//
// Stages, one file each:
//   histogram.cpp   one pass over the pixels: exact colours (up to 256) or,
//                   for a photo, Wu's moment cube and a finer weighted
//                   colour list
//   quantize_wu.cpp Wu's variance-minimising box cuts: the starting palette
//   refine.cpp      k-means (Lloyd) passes over the weighted colour list,
//                   which move each entry to the mean of the colours it
//                   serves and so lower the squared error further
//   nearest.cpp     exact nearest-entry search through per-cell candidate
//                   lists
//   remap.cpp       pixels to indices: exact, or nearest entries
//   turn_palette.cpp  one palette for every frame of a turned picture
//
// Colour distance everywhere is the plain squared RGB distance, the measure
// PSNR is computed from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imgctl/palette.h"
#include "imgctl/pixmap.h"

namespace imgctl {

class HelperThread;
class NearestFinder;

// A colour with the number of pixels it stands for.
struct WeightedColour {
  uint32_t colour;  // 0x00RRGGBB
  uint32_t weight;  // pixels
};

// Exact colours of a picture when it has at most 256: the palette holds them
// in ascending 0x00RRGGBB order. Returns false when there are more (palette
// then undefined).
bool exactPalette(const Pixmap& picture, Palette& palette);

// The statistics a photo's palette is chosen from.
struct ColourStats {
  // Wu's cumulative moments over a 33 x 33 x 33 cube (5 bits per channel,
  // index 0 of each axis is the zero border): pixel count, sums of red,
  // green and blue, and sum of squared lengths.
  std::vector<int64_t> weight, sumR, sumG, sumB;
  std::vector<double> sumSquares;
  // Pixels grouped by 6 bits per channel, each group at its mean colour,
  // in cell order; the k-means passes and the palette measures work on these.
  std::vector<WeightedColour> colours;
  uint64_t pixelCount = 0;
  // Sum over pixels of the squared distance to their group's mean: what a
  // palette's error measured on the groups (measurePalette) leaves out.
  double cellSpread = 0;
};

// Fills stats from every pixel of picture, on two threads when twoThreads
// (the same stats either way). Throws std::bad_alloc.
void gatherColourStats(const Pixmap& picture, ColourStats& stats, bool twoThreads = false);
// The same over count pixels and extraCount more (which may be none).
void gatherColourStats(const uint32_t* pixels, size_t count, const uint32_t* extra, size_t extraCount,
                       ColourStats& stats, bool twoThreads);
// The same with half of the pixels on helper when given, so that a
// conversion that has started one starts no other.
void gatherColourStats(const uint32_t* pixels, size_t count, const uint32_t* extra, size_t extraCount,
                       ColourStats& stats, HelperThread* helper);

// Wu's quantizer: up to maxColours (2..256) entries; fewer when the colours
// cannot be split further.
void wuPalette(const ColourStats& stats, uint32_t maxColours, Palette& palette);

// Runs passes of k-means over stats.colours starting from palette, which is
// updated in place; stops early when no entry moves. Half of each pass
// runs on helper when given, with the same palette as on one thread.
// Throws std::bad_alloc.
void refinePalette(const ColourStats& stats, int passes, Palette& palette, HelperThread* helper = nullptr);

// The distinct cells of a nearest-entry finder that colours fall in. A
// group's mean stays inside its 6-bit group, hence inside one cell, so
// stats.colours' cells are the cells of every pixel they were gathered
// from: a finder prepared with them serves the whole picture.
std::vector<uint32_t> nearestCellsOf(const std::vector<WeightedColour>& colours);

// Drops the entries no colour group is nearest to (finder is made from
// palette), keeping the order of the rest, so the table can shrink to a
// smaller power of two before any pixel is mapped; pixels then take the
// nearest entry that stays. Returns whether palette changed (finder then
// no longer fits it).
bool dropUnservedEntries(const ColourStats& stats, const NearestFinder& finder, Palette& palette);

// How well a palette serves a set of weighted colours.
struct PaletteFit {
  double error = 0;   // weighted sum of squared distances to the nearest entries
  uint64_t poor = 0;  // pixels further than the poor threshold from every entry
};

// Measures palette over colours. Stops early, with error above errorLimit,
// once the sum exceeds errorLimit (poor is then incomplete).
PaletteFit measurePalette(const std::vector<WeightedColour>& colours, const Palette& palette,
                          double errorLimit, uint32_t poorThreshold);

}  // namespace imgctl
