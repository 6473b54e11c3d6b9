#include "imgctl/convert.h"

#include <gtest/gtest.h>

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
      imgctl_test::readFileBytes(std::string(QB_TESTDATA) + "/imgctl/photo_24bit_v5_header_90x112.bmp");
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
