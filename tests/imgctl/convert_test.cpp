#include "imgctl/convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "imgctl/bmp_reader.h"
#include "imgctl/gif_codec.h"
#include "tests/imgctl/test_pictures.h"

using imgctl::ConvertOptions;
using imgctl::ConvertReport;
using imgctl::Palette;
using imgctl::PaletteMemory;
using imgctl::Pixmap;

namespace {

struct Converted {
  std::vector<uint8_t> gif;
  ConvertReport report;
};

Converted convert(const Pixmap& p, PaletteMemory* memory = nullptr) {
  Converted c;
  EXPECT_EQ(imgctl::kConvertOk, imgctl::pictureToGif(p, memory, ConvertOptions(), c.gif, c.report));
  if (memory) imgctl::rememberPalette(*memory, c.report.palette);
  return c;
}

// The pixels a GIF decodes to, through its own colour table.
Pixmap decodedPixels(const std::vector<uint8_t>& gif) {
  imgctl::DecodedGif d;
  EXPECT_EQ(imgctl::kGifOk, imgctl::decodeGif(gif.data(), gif.size(), d));
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

TEST(PictureToGif, SameInputSameBytes) {
  const Pixmap photo = imgctl_test::syntheticPhoto(150, 90);
  EXPECT_EQ(convert(photo).gif, convert(photo).gif);
  // With the palette memory, the second conversion of a picture reuses the
  // palette made from that very picture: the bytes do not change.
  PaletteMemory memory;
  const Converted first = convert(photo, &memory);
  const Converted second = convert(photo, &memory);
  EXPECT_EQ(first.gif, second.gif);
  EXPECT_EQ(convert(photo).gif, first.gif);
}

TEST(PictureToGif, RefusesEmptyAndOversizedPictures) {
  Pixmap empty;
  std::vector<uint8_t> gif;
  ConvertReport report;
  EXPECT_EQ(imgctl::kConvertEmpty, imgctl::pictureToGif(empty, nullptr, ConvertOptions(), gif, report));
  Pixmap wide;
  wide.width = 70000;
  wide.height = 1;
  wide.pixels.assign(70000, 0);
  EXPECT_EQ(imgctl::kConvertTooLarge, imgctl::pictureToGif(wide, nullptr, ConvertOptions(), gif, report));
  EXPECT_TRUE(gif.empty());
}

// The frames of a rotation: a real photo turned in 10-degree steps on one
// fill colour. Every frame carries the first frame's colour table byte for
// byte, and each stays close to what a palette of its own would give.
TEST(PaletteMemory, RotationFramesShareOneTable) {
  const Pixmap photo = hatPhoto();
  PaletteMemory memory;
  std::vector<uint8_t> firstTable;
  int shared = 0;
  for (int frame = 0; frame < 36; ++frame) {
    SCOPED_TRACE(frame);
    const Pixmap turned = imgctl_test::rotatedOnFill(photo, frame * 10.0, 0x3050A0);
    const Converted alone = convert(turned);
    const Converted c = convert(turned, &memory);
    if (frame == 0) {
      firstTable = tableBytes(c.gif);
      EXPECT_EQ(alone.gif, c.gif);
    }
    if (tableBytes(c.gif) == firstTable) ++shared;
    const double own = imgctl_test::psnrOf(alone.report.squaredError, turned.pixels.size());
    const double kept = imgctl_test::psnrOf(c.report.squaredError, turned.pixels.size());
    EXPECT_GT(kept, own - 1.5);
  }
  EXPECT_EQ(36, shared);
}

// A conversion that has nothing to do with the remembered palettes comes
// out exactly as it would alone.
TEST(PaletteMemory, UnrelatedPicturesAreUnaffected) {
  PaletteMemory memory;
  convert(hatPhoto(), &memory);
  const Pixmap other = imgctl_test::syntheticPhoto(120, 100, 3);
  EXPECT_EQ(convert(other).gif, convert(other, &memory).gif);
  const Pixmap flat = imgctl_test::paletteTiles(20, 20, imgctl_test::spreadColours(5));
  EXPECT_EQ(convert(flat).gif, convert(flat, &memory).gif);
}

// A few-colour picture reuses a remembered table only when it holds all of
// its colours, so it stays exact either way.
TEST(PaletteMemory, ExactPicturesReuseOnlyTablesHoldingTheirColours) {
  PaletteMemory memory;
  const std::vector<uint32_t> colours = imgctl_test::spreadColours(40);
  convert(imgctl_test::paletteTiles(30, 30, colours), &memory);
  const Pixmap subset = imgctl_test::paletteTiles(25, 20, std::vector<uint32_t>(colours.begin(), colours.begin() + 7));
  const Converted c = convert(subset, &memory);
  EXPECT_EQ(0, c.report.reusedSlot);
  EXPECT_EQ(40u, c.report.palette.count);
  EXPECT_EQ(subset.pixels, decodedPixels(c.gif).pixels);

  const Pixmap foreign = imgctl_test::paletteTiles(25, 20, {0x123456, colours[0]});
  const Converted f = convert(foreign, &memory);
  EXPECT_EQ(-1, f.report.reusedSlot);
  EXPECT_EQ(foreign.pixels, decodedPixels(f.gif).pixels);
}

// A save of the same photo between two frames must not take over the
// animation's table: both remembered palettes would serve the next frame,
// and the one more conversions used (the animation's) wins.
TEST(PaletteMemory, AnInterleavedSaveDoesNotBreakTheSequence) {
  const Pixmap photo = hatPhoto();
  PaletteMemory memory;
  const Converted first = convert(imgctl_test::rotatedOnFill(photo, 0, 0x3050A0), &memory);
  convert(imgctl_test::rotatedOnFill(photo, 10, 0x3050A0), &memory);
  const Converted saved = convert(imgctl_test::syntheticPhoto(120, 100, 5), &memory);
  EXPECT_EQ(-1, saved.report.reusedSlot);  // unrelated: a palette of its own
  const Converted next = convert(imgctl_test::rotatedOnFill(photo, 20, 0x3050A0), &memory);
  EXPECT_EQ(tableBytes(first.gif), tableBytes(next.gif));
  EXPECT_EQ(1, next.report.reusedSlot);

  // A related save (the photo itself, unturned, on no fill) that a fresh
  // palette would serve: it is given its own palette or the animation's,
  // and either way the next frame keeps the animation's.
  Pixmap unturned = photo;
  convert(unturned, &memory);
  const Converted after = convert(imgctl_test::rotatedOnFill(photo, 30, 0x3050A0), &memory);
  EXPECT_EQ(tableBytes(first.gif), tableBytes(after.gif));
}

namespace {

// Four flat colours in blocks, 60 x 80, so that on the 100 x 100 turning
// surface the unturned frame lands on whole pixels and stays exact.
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

// A turned logo: the first frame is exact; later frames gain blended edges,
// cannot reuse its small table, and get tables of their own in which the
// fill and the logo's colours keep the first frame's indices.
TEST(PaletteMemory, TurnedLogoKeepsItsColoursAtTheirIndices) {
  const uint32_t fill = 0x3050A0;
  PaletteMemory memory;
  const Converted first = convert(imgctl_test::rotatedOnFill(logo(), 0, fill), &memory);
  ASSERT_TRUE(first.report.exact);
  ASSERT_EQ(5u, first.report.palette.count);
  for (int frame = 1; frame < 36; ++frame) {
    SCOPED_TRACE(frame);
    const Pixmap turned = imgctl_test::rotatedOnFill(logo(), frame * 10.0, fill);
    const Converted c = convert(turned, &memory);
    EXPECT_TRUE(c.report.reusedSlot >= 0 || c.report.aligned);
    for (uint32_t i = 0; i < first.report.palette.count; ++i)
      EXPECT_EQ(first.report.palette.colours[i], c.report.palette.colours[i]) << i;
    // The flat colours come back exactly where the frame has them.
    const Pixmap back = decodedPixels(c.gif);
    size_t flat = 0, kept = 0;
    for (size_t p = 0; p < turned.pixels.size(); ++p) {
      for (uint32_t i = 0; i < first.report.palette.count; ++i) {
        if (turned.pixels[p] != first.report.palette.colours[i]) continue;
        ++flat;
        if (back.pixels[p] == turned.pixels[p]) ++kept;
      }
    }
    EXPECT_GT(double(kept), 0.99 * double(flat));
  }
  // Unrelated pictures are not lined up with the logo.
  const Converted photo = convert(imgctl_test::syntheticPhoto(80, 60, 9), &memory);
  EXPECT_FALSE(photo.report.aligned);
  EXPECT_EQ(-1, photo.report.reusedSlot);
}

// An exact picture lined up with a full remembered table keeps the shared
// colours' indices and puts its new colours into entries it does not use.
TEST(PaletteMemory, ExactPicturesLineUpWithAFullTable) {
  PaletteMemory memory;
  const std::vector<uint32_t> colours = imgctl_test::spreadColours(256);
  convert(imgctl_test::paletteTiles(64, 64, colours), &memory);
  const Palette lead = memory.slots[0];
  std::vector<uint32_t> mixed(colours.begin(), colours.begin() + 5);
  mixed.push_back(0x010203);  // not in the table
  mixed.push_back(0x040506);
  Pixmap p = imgctl_test::paletteTiles(30, 30, mixed);
  for (size_t i = 0; i < 700; ++i) p.pixels[i] = colours[i % 5];  // mostly shared colours
  const Converted c = convert(p, &memory);
  EXPECT_TRUE(c.report.aligned);
  EXPECT_EQ(256u, c.report.palette.count);
  for (uint32_t i = 0; i < 256; ++i) {
    const bool shared = std::find(colours.begin(), colours.begin() + 5, lead.colours[i]) != colours.begin() + 5;
    if (shared) {
      EXPECT_EQ(lead.colours[i], c.report.palette.colours[i]) << i;
    }
  }
  EXPECT_EQ(p.pixels, decodedPixels(c.gif).pixels);
}

TEST(PaletteMemory, KeepsTheMostRecentFirstWithoutDuplicates) {
  PaletteMemory memory;
  Palette a, b, c, d;
  a.count = b.count = c.count = d.count = 1;
  a.colours[0] = 1;
  b.colours[0] = 2;
  c.colours[0] = 3;
  d.colours[0] = 4;
  imgctl::rememberPalette(memory, a);
  imgctl::rememberPalette(memory, b);
  imgctl::rememberPalette(memory, a);
  ASSERT_EQ(2, memory.used);
  EXPECT_EQ(1u, memory.slots[0].colours[0]);
  EXPECT_EQ(2u, memory.uses[0]);
  EXPECT_EQ(2u, memory.slots[1].colours[0]);
  EXPECT_EQ(1u, memory.uses[1]);
  imgctl::rememberPalette(memory, c);
  imgctl::rememberPalette(memory, d);
  ASSERT_EQ(PaletteMemory::kSlots, memory.used);
  EXPECT_EQ(4u, memory.slots[0].colours[0]);
  EXPECT_EQ(3u, memory.slots[1].colours[0]);
  EXPECT_EQ(1u, memory.slots[2].colours[0]);
  EXPECT_EQ(2u, memory.uses[2]);  // counts travel with their palettes
}
