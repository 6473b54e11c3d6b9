#include "imgctl/convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "imgctl/bmp_reader.h"
#include "imgctl/gif_codec.h"
#include "imgctl/lzw.h"
#include "imgctl/remap.h"
#include "imgctl/turn_palette.h"
#include "tests/imgctl/lzw_shape.h"
#include "tests/imgctl/test_pictures.h"

using imgctl::ConvertOptions;
using imgctl::ConvertReport;
using imgctl::Palette;
using imgctl::Pixmap;

namespace {

struct Converted {
  std::vector<uint8_t> gif;
  ConvertReport report;
};

Converted convert(const Pixmap& p, bool twoThreads = true) {
  Converted c;
  ConvertOptions options;
  options.twoThreads = twoThreads;
  EXPECT_EQ(imgctl::kConvertOk, imgctl::pictureToGif(p, options, c.gif, c.report));
  return c;
}

Converted frame(const Pixmap& p, const Palette& shared, bool allowOwn, bool twoThreads = true) {
  Converted c;
  ConvertOptions options;
  options.twoThreads = twoThreads;
  EXPECT_EQ(imgctl::kConvertOk, imgctl::frameToGif(p, shared, allowOwn, options, c.gif, c.report));
  return c;
}

// The pixels a GIF decodes to, through its own colour table.
Pixmap decodedPixels(const std::vector<uint8_t>& gif) {
  imgctl::DecodedGif d;
  EXPECT_EQ(imgctl::kDecodeOk, imgctl::decodeGif(gif.data(), gif.size(), d));
  Pixmap p;
  p.width = d.width;
  p.height = d.height;
  for (uint8_t i : d.indices) p.pixels.push_back(d.palette.colours[i]);
  return p;
}

// The colour table bytes of a file written by the library (right after the
// 13-byte header, up to the image descriptor).
std::vector<uint8_t> tableBytes(const std::vector<uint8_t>& gif) {
  const size_t size = 3 * (size_t(1) << ((gif[10] & 7) + 1));
  return std::vector<uint8_t>(gif.begin() + 13, gif.begin() + 13 + size);
}

uint32_t squaredDistance(uint32_t a, uint32_t b) {
  const int dr = int(imgctl::redOf(a)) - int(imgctl::redOf(b)), dg = int(imgctl::greenOf(a)) - int(imgctl::greenOf(b)),
            db = int(imgctl::blueOf(a)) - int(imgctl::blueOf(b));
  return uint32_t(dr * dr + dg * dg + db * db);
}

Pixmap hatPhoto() {
  Pixmap p;
  const std::vector<uint8_t> b =
      qbtest::readFileBytes(qbtest::testDataPath("imgctl/photo_24bit_v5_header_90x112.bmp"));
  EXPECT_EQ(imgctl::kBmpOk, imgctl::readBmp(b.data(), b.size(), p));
  return p;
}

}  // namespace

// Up to 256 colours: every pixel keeps its colour, and the table is the
// smallest power of two that holds them.
TEST(PictureToGif, ConvertsFewColoursExactly) {
  for (int n : {2, 3, 16, 17, 256}) {
    SCOPED_TRACE(n);
    const Pixmap p = imgctl_test::paletteTiles(37, 29, imgctl_test::spreadColours(n));
    const Converted c = convert(p);
    EXPECT_TRUE(c.report.exact);
    EXPECT_EQ(0.0, c.report.squaredError);
    EXPECT_EQ(uint32_t(n), c.report.palette.count);
    EXPECT_EQ(imgctl::tableBitsFor(uint32_t(n)), (c.gif[10] & 7) + 1);
    EXPECT_EQ(p.pixels, decodedPixels(c.gif).pixels);
  }
}

// An exact picture's LZW stream is the smaller of the two that clearing a
// full table at once and watching it give: for the shaded drawing
// clearing at once, for the repeated rows keeping the table. On one
// thread or two.
TEST(PictureToGif, ExactPicturesTakeTheSmallerLzwStream) {
  const std::vector<uint8_t> drawingFile =
      qbtest::readFileBytes(qbtest::testDataPath("gif/valid/gif87a_640x400_gct128.gif"));
  const Pixmap drawingPixels = decodedPixels(drawingFile);
  ASSERT_EQ(640, drawingPixels.width);
  struct Case {
    const char* name;
    Pixmap picture;
    bool keepingWins;
  };
  const Case cases[] = {
      {"shaded drawing", drawingPixels, false},
      {"repeated rows", imgctl_test::repeatedRows(300, 5, 32, 0), true},
  };
  for (const Case& c : cases) {
    for (const bool two : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (two ? ", two threads" : ", one thread"));
      const Converted converted = convert(c.picture, two);
      ASSERT_TRUE(converted.report.exact);
      imgctl::DecodedGif d;
      ASSERT_EQ(imgctl::kDecodeOk, imgctl::decodeGif(converted.gif.data(), converted.gif.size(), d));
      int codeSize = 0;
      const std::vector<uint8_t> codes = imgctl_test::gifCodes(converted.gif, codeSize);
      std::vector<uint8_t> atOnce, watched;
      ASSERT_TRUE(imgctl::lzwEncode(d.indices.data(), d.indices.size(), codeSize, atOnce, imgctl::kLzwClearWhenFull));
      ASSERT_TRUE(imgctl::lzwEncode(d.indices.data(), d.indices.size(), codeSize, watched, imgctl::kLzwClearWhenWorse));
      ASSERT_EQ(c.keepingWins, watched.size() < atOnce.size());  // the case tells the two apart
      EXPECT_EQ(c.keepingWins ? watched : atOnce, codes);
      EXPECT_EQ(c.picture.pixels, decodedPixels(converted.gif).pixels);
    }
  }
}

TEST(PictureToGif, OnePixel) {
  Pixmap p;
  p.width = p.height = 1;
  p.pixels = {0xABCDEF};
  const Converted c = convert(p);
  EXPECT_EQ(p.pixels, decodedPixels(c.gif).pixels);
  EXPECT_EQ(0, c.gif[10] & 7);  // a 2-entry table
}

TEST(PictureToGif, PhotoGetsAFullPaletteAndHighPsnr) {
  const Pixmap p = hatPhoto();
  const Converted c = convert(p);
  EXPECT_FALSE(c.report.exact);
  EXPECT_EQ(256u, c.report.palette.count);
  const Pixmap back = decodedPixels(c.gif);
  const double psnr = imgctl_test::psnrOf(imgctl_test::squaredErrorBetween(p, back), p.pixels.size());
  EXPECT_DOUBLE_EQ(c.report.squaredError, imgctl_test::squaredErrorBetween(p, back));
  EXPECT_GT(psnr, 36.0);
}

// Large pictures are mapped on two threads while one of them encodes: the
// bytes must not depend on it, for a photo (nearest entries), a picture of
// few colours (exact) and a frame with a given palette.
TEST(PictureToGif, TwoThreadsGiveTheBytesOfOne) {
  const Pixmap photo = imgctl_test::syntheticPhoto(700, 400, 4);
  ASSERT_GE(photo.pixels.size(), imgctl::kTwoThreadPixels);
  const Converted one = convert(photo, false), two = convert(photo, true);
  EXPECT_EQ(one.gif, two.gif);
  EXPECT_EQ(one.report.squaredError, two.report.squaredError);
  const Pixmap flat = imgctl_test::paletteTiles(701, 399, imgctl_test::spreadColours(200));
  EXPECT_EQ(convert(flat, false).gif, convert(flat, true).gif);
  EXPECT_EQ(frame(photo, one.report.palette, false, false).gif, frame(photo, one.report.palette, false, true).gif);
  // A frame with its own palette's table is the picture converted alone.
  EXPECT_EQ(one.gif, frame(photo, one.report.palette, false, true).gif);
}

TEST(PictureToGif, RefusesEmptyAndOversizedPictures) {
  Pixmap empty;
  std::vector<uint8_t> gif;
  ConvertReport report;
  EXPECT_EQ(imgctl::kConvertEmpty, imgctl::pictureToGif(empty, ConvertOptions(), gif, report));
  Pixmap wide;
  wide.width = 70000;
  wide.height = 1;
  wide.pixels.assign(70000, 0);
  EXPECT_EQ(imgctl::kConvertTooLarge, imgctl::pictureToGif(wide, ConvertOptions(), gif, report));
  Palette palette;
  EXPECT_EQ(imgctl::kConvertBadPalette, imgctl::frameToGif(hatPhoto(), palette, true, ConvertOptions(), gif, report));
  EXPECT_TRUE(gif.empty());
}

// A frame written with a given palette carries exactly that table, padded
// with black to a power of two, and every pixel its nearest entry.
TEST(FrameToGif, TableIsTheGivenPaletteByteForByte) {
  Palette palette;
  palette.count = 5;
  const uint32_t colours[5] = {0x3050A0, 0xFFFFFF, 0x000000, 0xC01020, 0xFFFFFF};  // a repeated entry too
  std::copy(colours, colours + 5, palette.colours);
  const Pixmap photo = imgctl_test::syntheticPhoto(60, 40, 2);
  const Converted c = frame(photo, palette, false);
  EXPECT_FALSE(c.report.ownPalette);
  const std::vector<uint8_t> expected = {0x30, 0x50, 0xA0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0xC0, 0x10, 0x20,
                                         0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(expected, tableBytes(c.gif));
  imgctl::DecodedGif d;
  ASSERT_EQ(imgctl::kDecodeOk, imgctl::decodeGif(c.gif.data(), c.gif.size(), d));
  double error = 0;
  for (size_t i = 0; i < photo.pixels.size(); ++i) {
    ASSERT_LT(d.indices[i], 4) << i;  // never the second of two equal entries
    uint32_t nearest = 0xFFFFFFFF;
    for (uint32_t k = 0; k < 5; ++k) nearest = std::min(nearest, squaredDistance(photo.pixels[i], colours[k]));
    const uint32_t got = squaredDistance(photo.pixels[i], colours[d.indices[i]]);
    // Nearest, or the left neighbour's entry within the run allowance.
    EXPECT_LE(got, 2 * nearest + imgctl::kRunSlackBase) << i;
    error += got;
  }
  EXPECT_EQ(error, c.report.squaredError);
}

// The fallback: a photo given a palette that cannot serve it gets its own
// (exactly what converting it alone gives) only when allowed; a picture of
// few colours that the palette holds stays exact with the given table.
TEST(FrameToGif, FallsBackToItsOwnPaletteOnlyWhenAllowedAndWorthIt) {
  const Pixmap photo = hatPhoto();
  Palette grey;
  grey.count = 4;
  grey.colours[0] = 0x000000;
  grey.colours[1] = 0x555555;
  grey.colours[2] = 0xAAAAAA;
  grey.colours[3] = 0xFFFFFF;
  const Converted kept = frame(photo, grey, false);
  EXPECT_FALSE(kept.report.ownPalette);
  EXPECT_EQ(12u, tableBytes(kept.gif).size());
  const Converted fell = frame(photo, grey, true);
  EXPECT_TRUE(fell.report.ownPalette);
  EXPECT_EQ(convert(photo).gif, fell.gif);

  // Its own palette, given back, costs nothing: no fallback.
  const Converted alone = convert(photo);
  EXPECT_FALSE(frame(photo, alone.report.palette, true).report.ownPalette);

  // Colours close enough to share a colour group of the estimate, both in
  // the palette: exact with it, no fallback.
  Palette close = grey;
  close.colours[0] = 0x545454;
  close.colours[1] = 0x575757;
  const Pixmap near = imgctl_test::paletteTiles(30, 20, {0x545454, 0x575757});
  EXPECT_FALSE(frame(near, close, true).report.ownPalette);
  EXPECT_EQ(near.pixels, decodedPixels(frame(near, close, true).gif).pixels);

  const Pixmap flat = imgctl_test::paletteTiles(30, 20, {0x000000, 0xAAAAAA});
  const Converted exact = frame(flat, grey, true);
  EXPECT_FALSE(exact.report.ownPalette);
  EXPECT_TRUE(exact.report.exact);
  EXPECT_EQ(flat.pixels, decodedPixels(exact.gif).pixels);
  // A colour the palette lacks, on every pixel of a row: more than 1 dB
  // (the own palette is exact, counted as the ceiling).
  Pixmap off = flat;
  for (int x = 0; x < 30; ++x) off.pixels[size_t(x)] = 0x208020;
  EXPECT_TRUE(frame(off, grey, true).report.ownPalette);
  EXPECT_EQ(off.pixels, decodedPixels(frame(off, grey, true).gif).pixels);
}

namespace {

// Four flat colours in blocks, 60 x 80, so that on the 100 x 100 turning
// surface the unturned frame lands on whole pixels.
Pixmap logo() {
  Pixmap p;
  p.width = 60;
  p.height = 80;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 60; ++x) {
      uint32_t c = 0xF4F0E8;
      if (x > 8 && x < 30 && y > 10 && y < 40) c = 0xC01020;
      if ((x - 40) * (x - 40) + (y - 55) * (y - 55) < 150) c = 0x1040C0;
      if (y > 68) c = 0x20A040;
      p.pixels.push_back(c);
    }
  return p;
}

}  // namespace

// A turned picture of four flat colours: the turn's palette holds the fill
// at index 0 and each colour exactly, so every frame keeps the flat colours
// exact where it shows them, needs no palette of its own, and carries the
// same table.
TEST(TurnPalette, FewFlatColoursStayExactInEveryFrame) {
  const uint32_t fill = 0x3050A0;
  Palette palette;
  ASSERT_EQ(imgctl::kConvertOk, imgctl::turnPalette(logo(), fill, palette));
  EXPECT_EQ(fill, palette.colours[imgctl::kFillIndex]);
  for (const uint32_t c : {0xF4F0E8u, 0xC01020u, 0x1040C0u, 0x20A040u})
    EXPECT_NE(palette.colours + palette.count, std::find(palette.colours, palette.colours + palette.count, c)) << c;
  EXPECT_GT(palette.count, 64u);  // room for the edges' blends
  std::vector<uint8_t> firstTable;
  for (int step = 0; step < 12; ++step) {
    SCOPED_TRACE(step);
    const Pixmap turned = imgctl_test::rotatedOnFill(logo(), step * 30.0, fill);
    const Converted c = frame(turned, palette, true);
    EXPECT_FALSE(c.report.ownPalette);
    if (step == 0) firstTable = tableBytes(c.gif);
    EXPECT_EQ(firstTable, tableBytes(c.gif));
    const Pixmap back = decodedPixels(c.gif);
    size_t flat = 0, kept = 0;
    for (size_t p = 0; p < turned.pixels.size(); ++p) {
      const uint32_t t = turned.pixels[p];
      if (t != fill && t != 0xF4F0E8 && t != 0xC01020 && t != 0x1040C0 && t != 0x20A040) continue;
      ++flat;
      if (back.pixels[p] == t) ++kept;
    }
    EXPECT_EQ(flat, kept);
    EXPECT_GT(imgctl_test::psnrOf(c.report.squaredError, turned.pixels.size()), 38.0);
  }
}

// A photo turned in 10-degree steps on one fill: the turn's palette serves
// every frame within the fallback's decibel of its own palette, and the
// result is the same whoever asks, however often.
TEST(TurnPalette, PhotoFramesShareIt) {
  const Pixmap photo = hatPhoto();
  const uint32_t fill = 0x3050A0;
  Palette palette, again;
  ASSERT_EQ(imgctl::kConvertOk, imgctl::turnPalette(photo, fill, palette));
  ASSERT_EQ(imgctl::kConvertOk, imgctl::turnPalette(photo, fill, again));
  EXPECT_TRUE(imgctl::samePalette(palette, again));
  EXPECT_EQ(256u, palette.count);
  EXPECT_EQ(fill, palette.colours[imgctl::kFillIndex]);
  int shared = 0;
  for (int step = 0; step < 36; ++step) {
    SCOPED_TRACE(step);
    const Pixmap turned = imgctl_test::rotatedOnFill(photo, step * 10.0, fill);
    const Converted c = frame(turned, palette, true);
    if (!c.report.ownPalette) ++shared;
    const double alone = imgctl_test::psnrOf(convert(turned).report.squaredError, turned.pixels.size());
    EXPECT_GT(imgctl_test::psnrOf(c.report.squaredError, turned.pixels.size()), alone - 1.5);
  }
  EXPECT_EQ(36, shared);
}

TEST(TurnPalette, RefusesEmptyPictures) {
  Palette palette;
  palette.count = 7;
  EXPECT_EQ(imgctl::kConvertEmpty, imgctl::turnPalette(Pixmap(), 0, palette));
  EXPECT_EQ(0u, palette.count);
}
