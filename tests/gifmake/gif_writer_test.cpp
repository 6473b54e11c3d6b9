// The animated GIF writer on frame files in a temporary folder: exact output
// bytes, the palette comparison, the screen size, the parameters, and what
// happens to the output when frames or the output file fail.
#include "tests/gifmake/gif_fixture.h"

#include <cstring>

using namespace giftest;
using namespace qbtest;

namespace {

GifParams params(uint16_t loop, uint16_t delay, uint8_t disposal, uint8_t transparency,
                 uint16_t background = 0, uint16_t transparent = 0) {
  GifParams p{};
  p.loopCount = loop;
  p.delay = delay;
  p.disposalMethod = disposal;
  p.transparencyOn = transparency;
  p.backgroundIndex = background;
  p.transparentIndex = transparent;
  return p;
}

// Graphic control extension and image descriptor as the writer puts them
// before each frame's data.
std::string frameHead(unsigned packed, unsigned delay, unsigned transparent, unsigned left, unsigned top,
                      unsigned width, unsigned height, unsigned imagePacked) {
  return graphicControl(packed, delay, transparent) + "\x2C" + u16(left) + u16(top) + u16(width) +
         u16(height) + byte(imagePacked);
}

// Splices and returns the output's bytes; fails the test unless it was written.
std::string splice(const ScratchFolder& dir, const FramePaths& frames, const GifParams& p,
                   int expectedFrames) {
  std::string out = dir.file("out.gif");
  int written = -1;
  int r = assembleAnimatedGif(frames, out, p, &written);
  EXPECT_EQ(r, GifWritten);
  EXPECT_EQ(written, expectedFrames);
  return readFile(out);
}

struct Parsed {
  int result;
  GifFile file;
};

Parsed reparse(const std::string& bytes) {
  Parsed p{};
  p.result = parse(bytes, p.file);
  return p;
}

} // namespace

// ---- assembleAnimatedGif: the whole output

// Two 100 x 80 frames with the same 256-entry table, loop 0, delay 5,
// disposal 1, transparency off, background 0.
TEST(AssembleAnimatedGif, TwoFrameExampleBytes) {
  ScratchFolder dir;
  std::string dataA = payload(700, 1), dataB = payload(300, 2);
  FramePaths frames = {dir.write("temp0.gif", frameFile(100, 80, 8, 1, dataA)),
                                     dir.write("temp1.gif", frameFile(100, 80, 8, 1, dataB))};
  std::string out = splice(dir, frames, params(0, 5, 1, 0, 0, 0), 2);

  std::string expected = std::string("GIF89a\x64\x00\x50\x00\xF7\x00\x00", 13) + table(8, 1) +
                         std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (const std::string& data : {dataA, dataB})
    expected += std::string("\x21\xF9\x04\x04\x05\x00\x00\x00\x2C\x00\x00\x00\x00\x64\x00\x50\x00", 17) +
                byte(0x00) + byte(8) + subBlocks(data);
  expected += "\x3B";
  EXPECT_EQ(out, expected);
}

TEST(AssembleAnimatedGif, FramesWithTheGlobalTableGetNoLocalTable) {
  ScratchFolder dir;
  FramePaths frames;
  for (unsigned i = 0; i < 4; i++)
    frames.push_back(dir.write("f" + std::to_string(i) + ".gif", frameFile(10, 10, 4, 3, payload(20, i))));
  Parsed p = reparse(splice(dir, frames, params(0, 5, 1, 0), 4));
  ASSERT_EQ(p.result, GifOk);
  ASSERT_EQ(p.file.imageCount, 4);
  EXPECT_EQ(p.file.globalTable, bytesOf(table(4, 3)));
  for (auto& m : p.file.images) {
    EXPECT_EQ(m.hasLocalTable, 0);
    EXPECT_EQ(m.localTableBits, 1); // size field 0
    EXPECT_EQ(m.sortFlag, 0);
  }
}

TEST(AssembleAnimatedGif, PaletteDifferingInOneByteBecomesALocalTable) {
  ScratchFolder dir;
  std::string other = frameFile(10, 10, 4, 3, payload(20, 1), 1);
  size_t oneByte = 13 + 47; // last byte of the 48-byte table
  other[oneByte] = static_cast<char>(other[oneByte] ^ 1);
  std::string otherTable = other.substr(13, 48);
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0))),
                                     dir.write("b.gif", other)};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 2);
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  const GifImageInfo& second = p.file.images[1];
  EXPECT_EQ(second.hasLocalTable, 1);
  EXPECT_EQ(second.sortFlag, 1); // the frame header's sort flag
  EXPECT_EQ(second.localTableBits, 4);
  EXPECT_EQ(out.substr(second.localTableOffset, 48), otherTable);
  EXPECT_EQ(static_cast<uint8_t>(out[second.localTableOffset - 1]), 0x80 | 0x20 | 0x03);
  EXPECT_EQ(p.file.images[0].hasLocalTable, 0);
}

TEST(AssembleAnimatedGif, PaletteOfAnotherSizeBecomesALocalTable) {
  ScratchFolder dir;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 8, 3, payload(20, 0))),
                                     dir.write("b.gif", frameFile(10, 10, 2, 3, payload(20, 1)))};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 2);
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  const GifImageInfo& second = p.file.images[1];
  EXPECT_EQ(second.hasLocalTable, 1);
  EXPECT_EQ(second.localTableBits, 2);
  EXPECT_EQ(out.substr(second.localTableOffset, 12), table(2, 3));
}

TEST(AssembleAnimatedGif, OwnLocalTableIsWrittenWithTheImageFlags) {
  ScratchFolder dir;
  // Global table like the first frame's, but the image brings its own
  // sorted 8-entry local table.
  std::string withLocal = header(10, 10, 0xF7) + table(8, 3) +
                          image(0, 0, 10, 10, 0x80 | 0x40 | 0x20 | 0x02, table(3, 9), payload(30, 1)) + trailer;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 8, 3, payload(20, 0))),
                                     dir.write("b.gif", withLocal)};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 2);
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  const GifImageInfo& second = p.file.images[1];
  EXPECT_EQ(static_cast<uint8_t>(out[second.localTableOffset - 1]), 0x80 | 0x40 | 0x20 | 0x02);
  EXPECT_EQ(out.substr(second.localTableOffset, 24), table(3, 9));
  EXPECT_EQ(out.substr(second.dataOffset, second.dataLength), subBlocks(payload(30, 1)));
}

TEST(AssembleAnimatedGif, LocalTableEqualToTheGlobalOneIsDropped) {
  ScratchFolder dir;
  std::string sameLocal = header(10, 10, 0x00) + image(0, 0, 10, 10, 0x83, table(4, 3), payload(30, 1)) + trailer;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0))),
                                     dir.write("b.gif", sameLocal)};
  Parsed p = reparse(splice(dir, frames, params(0, 5, 1, 0), 2));
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.images[1].hasLocalTable, 0);
}

TEST(AssembleAnimatedGif, ScreenIsTheLargestRightAndBottomEdge) {
  ScratchFolder dir;
  FramePaths frames = {dir.write("a.gif", frameFile(100, 80, 4, 3, payload(20, 0))),
                                     dir.write("b.gif", frameFile(120, 60, 4, 3, payload(20, 1))),
                                     dir.write("c.gif", frameFile(50, 90, 4, 3, payload(20, 2)))};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 3);
  EXPECT_EQ(out.substr(6, 4), u16(120) + u16(90));
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.images[1].width, 120);
  EXPECT_EQ(p.file.images[2].height, 90);
}

TEST(AssembleAnimatedGif, FramePositionIsKeptAndTheEdgeDoesNotWrap) {
  ScratchFolder dir;
  std::string placed = header(10, 10, 0xF3) + table(4, 3) + image(65530, 7, 10, 10, 0, "", payload(9, 1)) + trailer;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0))),
                                     dir.write("b.gif", placed)};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 2);
  EXPECT_EQ(out.substr(6, 4), u16(65535) + u16(17));
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.images[1].left, 65530);
  EXPECT_EQ(p.file.images[1].top, 7);
}

TEST(AssembleAnimatedGif, ParametersInTheControlAndLoopBlocks) {
  struct Case {
    GifParams p;
    std::string loop;      // loop count bytes of the NETSCAPE block
    std::string control;   // graphic control extension
    unsigned background;   // byte at offset 11
  } cases[] = {
      {params(0, 5, 1, 0), u16(0), graphicControl(0x04, 5, 0), 0},
      {params(3, 10, 2, 1), u16(3), graphicControl(0x09, 10, 0), 0},
      {params(65535, 65535, 3, 1, 255, 255), u16(65535), graphicControl(0x0D, 65535, 255), 255},
      {params(0, 5, 1, 0, 300, 256), u16(0), graphicControl(0x04, 5, 0x00), 0},
      {params(0, 5, 4, 0, 0, 0x1FF), u16(0), graphicControl(0x10, 5, 0xFF), 0},
      // Values the dialog cannot make keep to their bits (an edited combo
      // box gives 255).
      {params(0, 5, 255, 3, 0, 0), u16(0), graphicControl(0x1D, 5, 0), 0},
  };
  ScratchFolder dir;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 8, 3, payload(20, 0))),
                                     dir.write("b.gif", frameFile(10, 10, 8, 3, payload(20, 1)))};
  for (auto& c : cases) {
    SCOPED_TRACE(c.p.disposalMethod);
    std::string out = splice(dir, frames, c.p, 2);
    EXPECT_EQ(static_cast<uint8_t>(out[11]), c.background);
    size_t netscape = 13 + 768;
    EXPECT_EQ(out.substr(netscape, 16), std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16));
    EXPECT_EQ(out.substr(netscape + 16, 3), c.loop + byte(0));
    Parsed p = reparse(out);
    ASSERT_EQ(p.result, GifOk);
    for (auto& m : p.file.images) {
      size_t control = static_cast<size_t>(m.dataOffset) - 1 - 10 - 8;
      EXPECT_EQ(out.substr(control, 8), c.control);
    }
  }
}

TEST(AssembleAnimatedGif, BackgroundIndexBeyondASmallTableBecomesZero) {
  ScratchFolder dir;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 2, 3, payload(20, 0)))};
  EXPECT_EQ(static_cast<uint8_t>(splice(dir, frames, params(0, 5, 1, 0, 3), 1)[11]), 3);
  EXPECT_EQ(static_cast<uint8_t>(splice(dir, frames, params(0, 5, 1, 0, 4), 1)[11]), 0);
}

TEST(AssembleAnimatedGif, OneFrameStillCarriesTheLoopBlock) {
  ScratchFolder dir;
  std::string data = payload(40, 7);
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 1, 3, data))};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 1);
  std::string expected = std::string("GIF89a", 6) + u16(10) + u16(10) + byte(0xF0) + byte(0) + byte(0) +
                         table(1, 3) + netscapeLoop(0) + frameHead(0x04, 5, 0, 0, 0, 10, 10, 0) + byte(8) +
                         subBlocks(data) + trailer;
  EXPECT_EQ(out, expected);
}

TEST(AssembleAnimatedGif, InterlacedFrameKeepsItsFlag) {
  ScratchFolder dir;
  std::string interlaced = header(10, 10, 0xF3) + table(4, 3) + image(0, 0, 10, 10, 0x40, "", payload(9, 1)) + trailer;
  FramePaths frames = {dir.write("a.gif", interlaced)};
  Parsed p = reparse(splice(dir, frames, params(0, 5, 1, 0), 1));
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.images[0].interlaced, 1);
}

TEST(AssembleAnimatedGif, ExtensionsOfTheFrameFilesAreNotCopied) {
  ScratchFolder dir;
  std::string busy = header(10, 10, 0xF3) + table(4, 3) + netscapeLoop(9) + comment("frame") +
                     graphicControl(0x1D, 77, 5) + image(0, 0, 10, 10, 0, "", payload(9, 1)) +
                     comment("after") + trailer;
  FramePaths frames = {dir.write("a.gif", busy)};
  std::string out = splice(dir, frames, params(2, 5, 1, 0), 1);
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  ASSERT_EQ(p.file.appExtensions.size(), 1u);
  EXPECT_EQ(p.file.appExtensions[0].loopCount, 2);
  EXPECT_EQ(p.file.images[0].delay, 5);
  EXPECT_EQ(p.file.images[0].controlPacked, 0x04);
  EXPECT_EQ(out.size(), 13u + 48 + 19 + 8 + 10 + 1 + 11 + 1);
}

// ---- frames that fail

TEST(AssembleAnimatedGif, MissingOrBrokenMiddleFramesAreLeftOut) {
  ScratchFolder dir;
  std::vector<std::string> data = {payload(30, 0), payload(30, 1), payload(30, 2), payload(30, 3)};
  FramePaths frames = {
      dir.write("0.gif", frameFile(10, 10, 4, 3, data[0])),
      dir.file("missing.gif"),
      dir.write("2.gif", frameFile(20, 10, 4, 3, data[2])),
      dir.write("3.gif", frameFile(10, 30, 4, 3, data[3]).substr(0, 70)), // cut in its data
      dir.write("4.gif", "not a gif at all"),
      dir.write("5.gif", header(10, 10, 0xF3) + table(4, 3) + trailer), // no image
  };
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 2);
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  ASSERT_EQ(p.file.imageCount, 2);
  EXPECT_EQ(out.substr(p.file.images[0].dataOffset, p.file.images[0].dataLength), subBlocks(data[0]));
  EXPECT_EQ(out.substr(p.file.images[1].dataOffset, p.file.images[1].dataLength), subBlocks(data[2]));
  EXPECT_EQ(out.substr(6, 4), u16(20) + u16(10)); // the left-out frame's size does not count
}

TEST(AssembleAnimatedGif, FrameWithoutAnyColourTableUsesTheGlobalOne) {
  ScratchFolder dir;
  std::string bare = header(10, 10, 0x77) + image(0, 0, 10, 10, 0x07, "", payload(9, 1)) + trailer;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0))),
                                     dir.write("b.gif", bare)};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 2);
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.images[1].hasLocalTable, 0);
  EXPECT_EQ(out.size(), 13u + 48 + 19 + 2 * (8 + 10 + 1) + (1 + 20 + 1) + (1 + 9 + 1) + 1);
}

TEST(AssembleAnimatedGif, FirstFrameWithoutAnyColourTableGivesNoGlobalTable) {
  ScratchFolder dir;
  std::string bare = header(10, 10, 0x77) + image(0, 0, 10, 10, 0x07, "", payload(9, 1)) + trailer;
  FramePaths frames = {dir.write("a.gif", bare),
                                     dir.write("b.gif", frameFile(10, 10, 4, 3, payload(20, 0)))};
  std::string out = splice(dir, frames, params(0, 5, 1, 0, 7), 2);
  EXPECT_EQ(static_cast<uint8_t>(out[10]), 0x70); // resolution only, no table
  EXPECT_EQ(static_cast<uint8_t>(out[11]), 0);    // no table: background 0
  EXPECT_EQ(out.substr(13, 3), "\x21\xFF\x0B");   // the loop block follows at once
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.header.hasGlobalTable, 0);
  EXPECT_EQ(p.file.images[0].hasLocalTable, 0);
  EXPECT_EQ(p.file.images[1].hasLocalTable, 1); // its own table, since there is no global one
  EXPECT_EQ(out.substr(p.file.images[1].localTableOffset, 48), table(4, 3));
}

TEST(AssembleAnimatedGif, FirstFrameWithOnlyALocalTableGivesItAsGlobal) {
  ScratchFolder dir;
  std::string localOnly = header(10, 10, 0x70) + image(0, 0, 10, 10, 0xA3, table(4, 5), payload(9, 1)) + trailer;
  FramePaths frames = {dir.write("a.gif", localOnly),
                                     dir.write("b.gif", frameFile(10, 10, 4, 5, payload(20, 0)))};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 2);
  EXPECT_EQ(static_cast<uint8_t>(out[10]), 0xFB); // table flag, resolution 8, sorted, 16 entries
  EXPECT_EQ(out.substr(13, 48), table(4, 5));
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.images[0].hasLocalTable, 0);
  EXPECT_EQ(p.file.images[1].hasLocalTable, 0);
}

TEST(AssembleAnimatedGif, FirstFileOfTwoImagesGivesItsLocalTableAsGlobal) {
  ScratchFolder dir;
  std::string two = header(10, 10, 0xF3) + table(4, 1) + image(0, 0, 10, 10, 0x82, table(3, 2), payload(9, 1)) +
                    image(0, 0, 10, 10, 0, "", payload(9, 2)) + trailer;
  FramePaths frames = {dir.write("a.gif", two)};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 1);
  EXPECT_EQ(static_cast<uint8_t>(out[10]), 0xF2);
  EXPECT_EQ(out.substr(13, 24), table(3, 2));
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.imageCount, 1);
  EXPECT_EQ(p.file.images[0].hasLocalTable, 0);
}

TEST(AssembleAnimatedGif, OneImageWithBothTablesKeepsTheGlobalOne) {
  ScratchFolder dir;
  std::string both = header(10, 10, 0xF3) + table(4, 1) + image(0, 0, 10, 10, 0x82, table(3, 2), payload(9, 1)) + trailer;
  FramePaths frames = {dir.write("a.gif", both)};
  std::string out = splice(dir, frames, params(0, 5, 1, 0), 1);
  EXPECT_EQ(out.substr(13, 48), table(4, 1));
  Parsed p = reparse(out);
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.images[0].hasLocalTable, 1);
  EXPECT_EQ(out.substr(p.file.images[0].localTableOffset, 24), table(3, 2));
}

// ---- the output file

TEST(AssembleAnimatedGif, OutputInAMissingFolderIsNotCreated) {
  ScratchFolder dir;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0)))};
  std::string out = dir.file("no such folder/out.gif");
  int written = -1;
  EXPECT_EQ(assembleAnimatedGif(frames, out, params(0, 5, 1, 0), &written), GifOutputNotCreated);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"a.gif"}));
}

TEST(AssembleAnimatedGif, FailuresLeaveAnExistingOutputAndNothingElse) {
  ScratchFolder dir;
  std::string good = dir.write("good.gif", frameFile(10, 10, 4, 3, payload(20, 0)));
  std::string out = dir.write("out.gif", "the user's old file");
  dir.write("out.gif.~0.tmp", "someone else's file"); // never overwritten
  struct Case {
    FramePaths frames;
    int result;
  } cases[] = {
      {{dir.file("missing.gif"), good}, GifFirstFrameUnreadable},
      {{dir.write("text.gif", "hello"), good}, GifFirstFrameUnreadable},
      {{dir.write("cut.gif", frameFile(10, 10, 4, 3, payload(20, 0)).substr(0, 70)), good},
       GifFirstFrameUnreadable},
      {{dir.write("noimage.gif", header(1, 1, 0x80) + table(1, 0) + trailer), good}, GifFirstFrameUnreadable},
      {{}, GifNoFrameWritten},
  };
  std::set<std::string> before = filesIn(dir.path());
  for (auto& c : cases) {
    SCOPED_TRACE(c.result);
    int written = -1;
    EXPECT_EQ(assembleAnimatedGif(c.frames, out, params(0, 5, 1, 0), &written), c.result);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(readFile(out), "the user's old file");
    EXPECT_EQ(readFile(dir.file("out.gif.~0.tmp")), "someone else's file");
    EXPECT_EQ(filesIn(dir.path()), before);
  }
}

// A folder of the output's name cannot be replaced by the finished file:
// the folder stays and the written file goes.
TEST(AssembleAnimatedGif, OutputThatCannotBeReplacedIsKept) {
  ScratchFolder dir;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0)))};
  dir.makeFolder("out.gif");
  dir.write("out.gif/inside.txt", "kept");
  EXPECT_EQ(assembleAnimatedGif(frames, dir.file("out.gif"), params(0, 5, 1, 0)), GifOutputNotCreated);
  EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"a.gif"}));
  EXPECT_TRUE(folderExists(dir.file("out.gif")));
  EXPECT_EQ(readFile(dir.file("out.gif/inside.txt")), "kept");
}

TEST(AssembleAnimatedGif, SuccessReplacesAnExistingOutput) {
  ScratchFolder dir;
  std::string out = dir.write("out.gif", std::string(5000, 'x')); // longer than the new file
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0)))};
  ASSERT_EQ(assembleAnimatedGif(frames, out, params(0, 5, 1, 0)), GifWritten);
  Parsed p = reparse(readFile(out));
  EXPECT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.imageCount, 1);
  EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"a.gif", "out.gif"}));
}

TEST(AssembleAnimatedGif, OutputMayBeOneOfTheFrames) {
  ScratchFolder dir;
  std::string data0 = payload(20, 0), data1 = payload(20, 1);
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, data0)),
                                     dir.write("b.gif", frameFile(10, 10, 4, 3, data1))};
  ASSERT_EQ(assembleAnimatedGif(frames, frames[0], params(0, 5, 1, 0)), GifWritten);
  Parsed p = reparse(readFile(frames[0].string()));
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.imageCount, 2);
}

TEST(AssembleAnimatedGif, ProgramWideParametersAreUsed) {
  ScratchFolder dir;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0)))};
  GifParams saved = gifParams;
  gifParams = params(4, 25, 2, 1, 1, 9);
  int r = assembleAnimatedGif(frames, dir.file("out.gif"));
  gifParams = saved;
  ASSERT_EQ(r, GifWritten);
  Parsed p = reparse(readFile(dir.file("out.gif")));
  ASSERT_EQ(p.result, GifOk);
  EXPECT_EQ(p.file.appExtensions[0].loopCount, 4);
  EXPECT_EQ(p.file.images[0].delay, 25);
  EXPECT_EQ(p.file.images[0].controlPacked, 0x09);
  EXPECT_EQ(p.file.images[0].transparentIndex, 9);
  EXPECT_EQ(p.file.header.backgroundIndex, 1);
}

// ---- writeAnimatedGif

TEST(WriteAnimatedGif, RecordsThatReadFrameInfoDidNotFillAreLeftOut) {
  ScratchFolder dir;
  FramePaths frames = {dir.write("a.gif", frameFile(10, 10, 4, 3, payload(20, 0))),
                                     dir.write("b.gif", frameFile(10, 10, 4, 3, payload(20, 1)))};
  std::vector<GifImageInfo> records(2, GifImageInfo{});
  std::vector<int> indices(2, 0);
  std::string out = dir.file("out.gif");
  EXPECT_EQ(writeAnimatedGif(records, indices, out, frames, 0, 0), GifNoFrameWritten);
  EXPECT_FALSE(qbtest::fileExists(out));
  ASSERT_EQ(readFrameInfo(frames[1], 0, 1, 0, 0, 5, records[1]), GifOk);
  int written = 0;
  EXPECT_EQ(writeAnimatedGif(records, indices, out, frames, 0, 0, &written), GifWritten);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"a.gif", "b.gif", "out.gif"}));
}

// ---- readFrameInfo

TEST(ReadFrameInfo, TakesTheImageAndReplacesTheControlValues) {
  ScratchFolder dir;
  std::string path = dir.write("a.gif", header(10, 10, 0xF3) + table(4, 3) + graphicControl(0x1D, 99, 4) +
                                          image(2, 3, 5, 6, 0x40, "", payload(20, 0)) + trailer);
  GifImageInfo r{};
  ASSERT_EQ(readFrameInfo(path, 0, 2, 0x1234, 1, 10, r), GifOk);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 3);
  EXPECT_EQ(r.width, 5);
  EXPECT_EQ(r.height, 6);
  EXPECT_EQ(r.interlaced, 1);
  EXPECT_EQ(r.hasControl, 1);
  EXPECT_EQ(r.controlPacked, 0x09);
  EXPECT_EQ(r.delay, 10);
  EXPECT_EQ(r.transparentIndex, 0x34);
}

TEST(ReadFrameInfo, FailuresLeaveTheRecordUntouched) {
  ScratchFolder dir;
  struct Case {
    std::string path;
    int index, result;
  } cases[] = {
      {dir.file("missing.gif"), 0, GifCannotOpen},
      {dir.write("t.gif", "text"), 0, GifNotGif},
      {dir.write("c.gif", frameFile(10, 10, 4, 3, payload(20, 0)).substr(0, 75)), 0, GifTruncated},
      {dir.write("ok.gif", frameFile(10, 10, 4, 3, payload(20, 0))), 1, GifNoImage},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.path);
    GifImageInfo r;
    std::memset(&r, 0xEF, sizeof r);
    EXPECT_EQ(readFrameInfo(c.path, c.index, 1, 0, 0, 5, r), c.result);
    GifImageInfo poison;
    std::memset(&poison, 0xEF, sizeof poison);
    EXPECT_EQ(std::memcmp(&r, &poison, sizeof r), 0);
  }
}

// ---- writeImage, writeGifHead, copyFrame on streams

TEST(WriteImage, BlocksInOrder) {
  std::string file = frameFile(3, 2, 1, 0, "abc");
  GifFile f{};
  ASSERT_EQ(parse(file, f), GifOk);
  GifImageInfo m = f.images[0];
  m.hasControl = 1;
  m.controlPacked = 0x09;
  m.delay = 0x0102;
  m.transparentIndex = 7;
  m.left = 1;
  m.top = 0x0203;
  m.interlaced = 1;
  m.sortFlag = 1;
  m.localTableBits = 2;
  std::vector<uint8_t> local = bytesOf(table(2, 4));
  std::istringstream in(file);
  std::ostringstream out;
  ASSERT_EQ(writeImage(out, in, m, &local), GifOk);
  EXPECT_EQ(out.str(), graphicControl(0x09, 0x0102, 7) + "\x2C" + u16(1) + u16(0x0203) + u16(3) + u16(2) +
                           byte(0x80 | 0x40 | 0x20 | 0x01) + table(2, 4) + byte(8) + subBlocks("abc"));

  std::ostringstream plain;
  m.hasControl = 0;
  ASSERT_EQ(writeImage(plain, in, m, nullptr), GifOk);
  EXPECT_EQ(plain.str(), "\x2C" + u16(1) + u16(0x0203) + u16(3) + u16(2) + byte(0x40) + byte(8) + subBlocks("abc"));
}

TEST(WriteImage, DataThatCannotBeReadBackWritesNothing) {
  std::string file = frameFile(3, 2, 1, 0, payload(100, 1));
  GifFile f{};
  ASSERT_EQ(parse(file, f), GifOk);
  std::istringstream shorter(file.substr(0, file.size() - 10));
  std::ostringstream out;
  EXPECT_EQ(writeImage(out, shorter, f.images[0], nullptr), GifTruncated);
  // Same length, but the bytes are not the parsed ones: no terminator last.
  std::string changed = file;
  changed[static_cast<size_t>(f.images[0].dataOffset + f.images[0].dataLength - 1)] = 'x';
  std::istringstream other(changed);
  EXPECT_EQ(writeImage(out, other, f.images[0], nullptr), GifTruncated);
  std::vector<uint8_t> tooSmall(5);
  std::istringstream same(file);
  GifImageInfo m = f.images[0];
  m.localTableBits = 2;
  EXPECT_EQ(writeImage(out, same, m, &tooSmall), GifTruncated);
  EXPECT_TRUE(out.str().empty());
}

TEST(WriteGifHead, WritesNothingOnFailure) {
  for (std::string first : {std::string("text"), header(1, 1, 0x80) + table(1, 0), header(1, 1, 0x80) + table(1, 0) + trailer}) {
    std::istringstream in(first);
    std::ostringstream out;
    GifHeader h{};
    std::vector<GifImageInfo> images;
    std::vector<uint8_t> t;
    EXPECT_NE(writeGifHead(out, in, h, images, 0, t, 0, 0), GifOk);
    EXPECT_TRUE(out.str().empty());
    EXPECT_TRUE(t.empty());
  }
}

TEST(CopyFrame, WritesNothingOnFailure) {
  ScratchFolder dir;
  std::vector<uint8_t> global = bytesOf(table(4, 3));
  struct Case {
    std::string path;
    int index, result;
  } cases[] = {
      {dir.file("missing.gif"), 0, GifCannotOpen},
      {dir.write("t.gif", "text"), 0, GifNotGif},
      {dir.write("c.gif", frameFile(10, 10, 4, 3, payload(20, 0)).substr(0, 75)), 0, GifTruncated},
      {dir.write("ok.gif", frameFile(10, 10, 4, 3, payload(20, 0))), 1, GifNoImage},
  };
  for (auto& c : cases) {
    std::ostringstream out;
    GifImageInfo record{};
    record.hasControl = 1;
    uint16_t right = 0xBEEF, bottom = 0xBEEF, resolution = 0xBEEF;
    EXPECT_EQ(copyFrame(out, c.path, record, c.index, global, 4, right, bottom, resolution), c.result);
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(right, 0xBEEF);
  }
}
