// The palette read of the colour table dialogs, on frame files in a
// temporary folder: which table each mode picks, and the failures.
#include "tests/gifmake/gif_fixture.h"

using namespace giftest;
using namespace qbtest;

namespace {

struct Palette {
  int result = 99;
  uint16_t bits = 0xBEEF;
  std::vector<uint8_t> bytes;
};

Palette read(const std::string& path, PaletteMode mode) {
  Palette p;
  p.bytes = readDialogPalette(path, p.result, mode, p.bits);
  return p;
}

const PaletteMode allModes[] = {PaletteLocalFirst, PaletteGlobalFirst, PaletteAutomatic};

} // namespace

TEST(ReadDialogPalette, FilesThatCannotBeReadGiveNoTable) {
  ScratchFolder dir;
  struct Case {
    std::string path;
    int result;
  } cases[] = {
      {dir.file("missing.gif"), GifNotGif},
      {dir.write("png.gif", std::string("\x89PNG\r\n\x1a\n", 8)), GifNotGif},
      {dir.write("empty.gif", ""), GifNotGif},
      {dir.write("cut.gif", header(2, 2, 0xF7) + table(8, 1).substr(0, 100)), GifTruncated},
      {dir.write("badblock.gif", header(2, 2, 0x80) + table(1, 1) + "\x05"), GifBadIntroducer},
      {dir.write("notrailer.gif", header(2, 2, 0x80) + table(1, 1) + image(0, 0, 2, 2, 0, "", "x")),
       GifTruncated},
  };
  for (auto& c : cases) {
    for (PaletteMode mode : allModes) {
      SCOPED_TRACE(c.path + " mode " + std::to_string(mode));
      Palette p = read(c.path, mode);
      EXPECT_EQ(p.result, c.result);
      EXPECT_TRUE(p.bytes.empty());
      EXPECT_EQ(p.bits, 0);
    }
  }
}

TEST(ReadDialogPalette, FileWithoutAnyTableGivesAnEmptyPalette) {
  ScratchFolder dir;
  // Size field 7 (bits 8) but no table: the bits alone must not make a palette.
  std::string path = dir.write("none.gif", header(2, 2, 0x77) + image(0, 0, 2, 2, 0x07, "", "x") + trailer);
  for (PaletteMode mode : allModes) {
    Palette p = read(path, mode);
    EXPECT_EQ(p.result, GifOk) << mode;
    EXPECT_TRUE(p.bytes.empty()) << mode;
    EXPECT_EQ(p.bits, 0) << mode;
  }
}

TEST(ReadDialogPalette, GlobalTableOnly) {
  ScratchFolder dir;
  std::string path = dir.write("g.gif", frameFile(4, 4, 5, 1, "data"));
  for (PaletteMode mode : allModes) {
    Palette p = read(path, mode);
    EXPECT_EQ(p.result, GifOk);
    EXPECT_EQ(p.bits, 5);
    EXPECT_EQ(p.bytes, bytesOf(table(5, 1)));
  }
}

TEST(ReadDialogPalette, NoImagesGivesTheGlobalTable) {
  ScratchFolder dir;
  std::string path = dir.write("g.gif", header(4, 4, 0x81) + table(2, 3) + trailer);
  Palette p = read(path, PaletteLocalFirst);
  EXPECT_EQ(p.result, GifOk);
  EXPECT_EQ(p.bits, 2);
  EXPECT_EQ(p.bytes, bytesOf(table(2, 3)));
}

TEST(ReadDialogPalette, LocalOnlyIsFoundInEveryMode) {
  ScratchFolder dir;
  std::string path = dir.write("l.gif", header(4, 4, 0x02) + image(0, 0, 4, 4, 0x82, table(3, 4), "d") + trailer);
  for (PaletteMode mode : allModes) {
    Palette p = read(path, mode);
    EXPECT_EQ(p.result, GifOk);
    EXPECT_EQ(p.bits, 3) << mode;
    EXPECT_EQ(p.bytes, bytesOf(table(3, 4))) << mode;
  }
}

TEST(ReadDialogPalette, BothTablesOneImage) {
  ScratchFolder dir;
  std::string path = dir.write(
      "b.gif", header(4, 4, 0xF4) + table(5, 1) + image(0, 0, 4, 4, 0x81, table(2, 2), "d") + trailer);
  Palette local = read(path, PaletteLocalFirst);
  EXPECT_EQ(local.bits, 2);
  EXPECT_EQ(local.bytes, bytesOf(table(2, 2)));
  Palette global = read(path, PaletteGlobalFirst);
  EXPECT_EQ(global.bits, 5);
  EXPECT_EQ(global.bytes, bytesOf(table(5, 1)));
  // One image: the output keeps the global table, so automatic shows it.
  Palette automatic = read(path, PaletteAutomatic);
  EXPECT_EQ(automatic.bits, 5);
  EXPECT_EQ(automatic.bytes, bytesOf(table(5, 1)));
}

TEST(ReadDialogPalette, BothTablesTwoImagesAutomaticTakesTheLocalOne) {
  ScratchFolder dir;
  std::string path = dir.write("b2.gif", header(4, 4, 0xF4) + table(5, 1) +
                                           image(0, 0, 4, 4, 0x81, table(2, 2), "d") +
                                           image(0, 0, 4, 4, 0x00, "", "e") + trailer);
  Palette automatic = read(path, PaletteAutomatic);
  EXPECT_EQ(automatic.result, GifOk);
  EXPECT_EQ(automatic.bits, 2);
  EXPECT_EQ(automatic.bytes, bytesOf(table(2, 2)));
  EXPECT_EQ(read(path, PaletteGlobalFirst).bits, 5);
}
