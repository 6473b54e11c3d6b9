#include "imgctl/quantize.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "imgctl/nearest.h"
#include "imgctl/remap.h"

#include "tests/imgctl/test_pictures.h"

using imgctl::Palette;
using imgctl::Pixmap;

namespace {

uint32_t bruteNearest(const Palette& p, uint32_t c, uint32_t& distance) {
  uint32_t best = 0;
  distance = 0xFFFFFFFFu;
  for (uint32_t i = 0; i < p.count; ++i) {
    const int dr = int(imgctl::redOf(c)) - int(imgctl::redOf(p.colours[i]));
    const int dg = int(imgctl::greenOf(c)) - int(imgctl::greenOf(p.colours[i]));
    const int db = int(imgctl::blueOf(c)) - int(imgctl::blueOf(p.colours[i]));
    const uint32_t d = uint32_t(dr * dr + dg * dg + db * db);
    if (d < distance) {
      distance = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

TEST(ExactPalette, CollectsUpTo256ColoursInOrder) {
  for (int n : {1, 2, 16, 255, 256}) {
    SCOPED_TRACE(n);
    std::vector<uint32_t> colours = imgctl_test::spreadColours(n);
    const Pixmap p = imgctl_test::paletteTiles(61, 47, colours);
    Palette palette;
    ASSERT_TRUE(imgctl::exactPalette(p, palette));
    std::vector<uint32_t> used(p.pixels.begin(), p.pixels.end());
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    EXPECT_EQ(used, std::vector<uint32_t>(palette.colours, palette.colours + palette.count));
  }
}

TEST(ExactPalette, GivesUpAt257Colours) {
  const Pixmap p = imgctl_test::paletteTiles(80, 80, imgctl_test::spreadColours(257));
  Palette palette;
  EXPECT_FALSE(imgctl::exactPalette(p, palette));
}

// The candidate lists must never hide the true nearest entry: random
// palettes (clustered, spread, with repeated entries) against random and
// edge colours, compared with a full scan, index and distance.
TEST(NearestFinder, AgreesWithAFullScan) {
  imgctl_test::Lcg rng(11);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    Palette p;
    p.count = 1 + rng.next() % 256;
    const uint32_t spread = round % 3 == 0 ? 24 : 256;  // some palettes packed in a corner
    for (uint32_t i = 0; i < p.count; ++i)
      p.colours[i] = imgctl::packRgb(rng.next() % spread, rng.next() % spread, rng.next() % spread);
    if (p.count > 4) p.colours[3] = p.colours[1];  // a repeated entry: ties go to the lower index
    imgctl::NearestFinder finder(p);
    // Lists built up front on two threads for every other cell (the two
    // halves' lists are joined into one); the rest are answered by a scan.
    imgctl::NearestFinder shared(p);
    std::vector<uint32_t> cells;
    for (uint32_t cell = uint32_t(round % 2); cell < imgctl::NearestFinder::kCells; cell += 2) cells.push_back(cell);
    imgctl::HelperThread helper;
    shared.prepare(cells, &helper);
    for (int k = 0; k < 20000; ++k) {
      uint32_t c = rng.next() & 0xFFFFFF;
      if (k % 10 == 0) c = (k & 1) ? 0xFFFFFF : 0;
      uint32_t expectedDistance, distance, sharedDistance;
      const uint32_t expected = bruteNearest(p, c, expectedDistance);
      ASSERT_EQ(expected, finder.find(c, &distance)) << std::hex << c;
      ASSERT_EQ(expectedDistance, distance);
      ASSERT_EQ(expected, shared.findShared(c, &sharedDistance)) << std::hex << c;
      ASSERT_EQ(expectedDistance, sharedDistance);
    }
  }
}

// On a photo-like picture: the statistics are the same gathered in two
// halves on two threads (as the largest pictures are), Wu's palette is
// already good, k-means passes only lower the error, and plain nearest
// mapping reaches the error the refinement measured.
TEST(Quantize, WuThenKMeansOnAPhoto) {
  const Pixmap photo = imgctl_test::syntheticPhoto(160, 120);
  imgctl::ColourStats stats, halves;
  imgctl::gatherColourStats(photo, stats);
  uint64_t weight = 0;
  for (const auto& wc : stats.colours) weight += wc.weight;
  EXPECT_EQ(photo.pixels.size(), weight);
  imgctl::gatherColourStats(photo, halves, true);
  EXPECT_EQ(stats.weight, halves.weight);
  EXPECT_EQ(stats.sumR, halves.sumR);
  EXPECT_EQ(stats.sumG, halves.sumG);
  EXPECT_EQ(stats.sumB, halves.sumB);
  EXPECT_EQ(stats.sumSquares, halves.sumSquares);
  ASSERT_EQ(stats.colours.size(), halves.colours.size());
  for (size_t i = 0; i < stats.colours.size(); ++i) {
    EXPECT_EQ(stats.colours[i].colour, halves.colours[i].colour) << i;
    EXPECT_EQ(stats.colours[i].weight, halves.colours[i].weight) << i;
  }
  EXPECT_EQ(stats.cellSpread, halves.cellSpread);

  Palette wu;
  imgctl::wuPalette(stats, 256, wu);
  EXPECT_EQ(256u, wu.count);
  const double wuError = imgctl::measurePalette(stats.colours, wu, 1e300, 0).error;
  Palette once = wu;
  imgctl::refinePalette(stats, 1, once);
  const double onceError = imgctl::measurePalette(stats.colours, once, 1e300, 0).error;
  Palette refined = wu;
  imgctl::refinePalette(stats, 3, refined);
  const double refinedError = imgctl::measurePalette(stats.colours, refined, 1e300, 0).error;
  EXPECT_LT(onceError, wuError);
  EXPECT_LE(refinedError, onceError);
  std::vector<uint8_t> indices(photo.pixels.size());
  const double mapped = imgctl::remapNearest(photo, refined, indices.data());
  // The picture's own noise (+-4 per channel) sets the scale: a palette
  // that merely tracked the gradients would stay near 30 dB.
  EXPECT_GT(imgctl_test::psnrOf(mapped, photo.pixels.size()), 34.0);
}

// Few colours with heavy weights: Wu stops cutting when no box can be split.
// measurePalette's poor count and early stop.
TEST(Quantize, MeasuresPaletteFit) {
  Palette p;
  p.count = 1;
  p.colours[0] = 0x000000;
  const std::vector<imgctl::WeightedColour> colours = {{0x000000, 5}, {0x030000, 2}, {0x0A0000, 3}};
  const imgctl::PaletteFit fit = imgctl::measurePalette(colours, p, 1e300, 50);
  EXPECT_EQ(2.0 * 9 + 3.0 * 100, fit.error);
  EXPECT_EQ(3u, fit.poor);
  EXPECT_GT(imgctl::measurePalette(colours, p, 10, 50).error, 10);
}

TEST(Quantize, WuMakesNoMoreEntriesThanColours) {
  const Pixmap p = imgctl_test::paletteTiles(40, 40, {0x000000, 0xFF0000, 0x00FF00});
  imgctl::ColourStats stats;
  imgctl::gatherColourStats(p, stats);
  Palette wu;
  imgctl::wuPalette(stats, 256, wu);
  EXPECT_EQ(3u, wu.count);
  std::sort(wu.colours, wu.colours + wu.count);
  EXPECT_EQ(0x000000u, wu.colours[0]);
  EXPECT_EQ(0x00FF00u, wu.colours[1]);
  EXPECT_EQ(0xFF0000u, wu.colours[2]);
}

TEST(Remap, ExactNeedsEveryColour) {
  const Pixmap p = imgctl_test::paletteTiles(9, 9, {0x010203, 0x040506});
  Palette palette;
  palette.count = 1;
  palette.colours[0] = 0x010203;
  std::vector<uint8_t> indices(p.pixels.size());
  EXPECT_FALSE(imgctl::remapExact(p, palette, indices.data()));
}

// Every pixel gets its nearest entry or its left neighbour's within the run
// allowance, rows depend on nothing but themselves, and the error returned
// is the error made: checked against a full scan on a photo-like picture.
TEST(Remap, NearestWithinTheRunAllowanceRowByRow) {
  const Pixmap photo = imgctl_test::syntheticPhoto(97, 61, 8);
  imgctl::ColourStats stats;
  imgctl::gatherColourStats(photo, stats);
  Palette palette;
  imgctl::wuPalette(stats, 40, palette);
  std::vector<uint8_t> whole(photo.pixels.size()), rows(photo.pixels.size());
  const double error = imgctl::remapNearest(photo, palette, whole.data());
  imgctl::NearestFinder finder(palette);
  uint64_t rowError = 0;
  for (int y = photo.height - 1; y >= 0; --y)  // any order
    rowError += imgctl::remapNearestRows(photo, palette, finder, y, y + 1, rows.data());
  EXPECT_EQ(whole, rows);
  EXPECT_EQ(error, double(rowError));
  double total = 0;
  size_t repeats = 0;
  for (size_t i = 0; i < photo.pixels.size(); ++i) {
    uint32_t nearest;
    const uint32_t best = bruteNearest(palette, photo.pixels[i], nearest);
    Palette one;
    one.count = 1;
    one.colours[0] = palette.colours[whole[i]];
    uint32_t got;
    bruteNearest(one, photo.pixels[i], got);
    total += got;
    if (whole[i] == best) continue;
    ++repeats;
    ASSERT_NE(0u, i % size_t(photo.width)) << i;  // the first pixel of a row has no neighbour
    ASSERT_EQ(whole[i - 1], whole[i]) << i;
    ASSERT_LE(int(got), int(nearest) + std::min(int(nearest), imgctl::kRunSlackCap) + imgctl::kRunSlackBase) << i;
  }
  EXPECT_EQ(error, total);
  EXPECT_GT(repeats, 0u);
}
