// The GIF block reader on files built byte by byte: one suite per function,
// one test per kind of input.
#include "tests/gifmake/gif_fixture.h"

#include <cstring>

using namespace giftest;
using namespace qbtest;

namespace {

// A header record full of a pattern that no read produces, to prove that a
// failed read leaves it untouched.
GifHeader poisonedHeader() {
  GifHeader h;
  std::memset(&h, 0xEF, sizeof h);
  return h;
}

bool untouched(const GifHeader& h) {
  GifHeader p = poisonedHeader();
  return std::memcmp(&h, &p, sizeof h) == 0;
}

struct Walk {
  int header = 99, blocks = 99, count = -1;
  GifHeader h{};
  std::vector<uint8_t> table;
  std::vector<GifImageInfo> images;
  std::vector<GifAppExtension> apps;
};

Walk walk(const std::string& bytes) {
  Walk w;
  std::istringstream in(bytes);
  w.header = readGifHeader(in, w.h, w.table);
  if (w.header == GifOk) w.blocks = readGifBlocks(in, w.count, w.images, w.apps);
  return w;
}

// A small file with every kind of block: global table, NETSCAPE loop, a
// graphic control extension, a comment, an image with a local table, an
// unknown application extension, a plain text extension and a second image.
std::string everyBlock() {
  return header(4, 3, 0xF1) + table(2, 1) + netscapeLoop(7) + graphicControl(0x09, 30, 2) +
         image(0, 0, 4, 3, 0x81, table(2, 2), payload(20, 1), 2) + comment("note") +
         "\x21\xFF\x0BXMP DataXMP" + subBlocks("<x/>") +
         "\x21\x01\x0C" + std::string(12, '\0') + subBlocks("text") +
         image(1, 1, 2, 2, 0x40, "", payload(300, 2), 2) + trailer;
}

} // namespace

// ---- readGifHeader

TEST(ReadGifHeader, OtherSignaturesAreNotGif) {
  for (std::string bytes : {std::string("\x89PNG\r\n\x1a\n", 8), std::string("BM6\0\0\0", 6), std::string(),
                            std::string("G"), std::string("GI"), std::string("gif89a")}) {
    SCOPED_TRACE(bytes);
    std::istringstream in(bytes);
    GifHeader h = poisonedHeader();
    std::vector<uint8_t> table = {1, 2, 3};
    EXPECT_EQ(readGifHeader(in, h, table), GifNotGif);
    EXPECT_TRUE(untouched(h));
    EXPECT_TRUE(table.empty());
  }
}

TEST(ReadGifHeader, ReadsEveryFieldAndTheGlobalTable) {
  std::string bytes = header(0x1234, 0x0102, 0xF2, 5, 49) + table(3, 1) + trailer;
  std::istringstream in(bytes);
  GifHeader h{};
  std::vector<uint8_t> t;
  ASSERT_EQ(readGifHeader(in, h, t), GifOk);
  EXPECT_EQ(std::string(h.version, 3), "89a");
  EXPECT_EQ(h.screenWidth, 0x1234);
  EXPECT_EQ(h.screenHeight, 0x0102);
  EXPECT_EQ(h.hasGlobalTable, 1);
  EXPECT_EQ(h.colourResolution, 8);
  EXPECT_EQ(h.sortFlag, 0);
  EXPECT_EQ(h.globalTableBits, 3);
  EXPECT_EQ(h.globalTableOffset, 13);
  EXPECT_EQ(h.backgroundIndex, 5);
  EXPECT_EQ(h.aspectRatio, 49);
  EXPECT_EQ(t, bytesOf(table(3, 1)));
  EXPECT_EQ(in.tellg(), 13 + 24); // at the first block
}

TEST(ReadGifHeader, NoGlobalTableKeepsTheBitsAndReadsNothingMore) {
  // 0x5B: no table, resolution 6, sorted, size field 3.
  std::string bytes = header(1, 1, 0x5B, 0, 0, "87a") + trailer;
  std::istringstream in(bytes);
  GifHeader h{};
  std::vector<uint8_t> t = {9};
  ASSERT_EQ(readGifHeader(in, h, t), GifOk);
  EXPECT_EQ(std::string(h.version, 3), "87a");
  EXPECT_EQ(h.hasGlobalTable, 0);
  EXPECT_EQ(h.colourResolution, 6);
  EXPECT_EQ(h.sortFlag, 1);
  EXPECT_EQ(h.globalTableBits, 4);
  EXPECT_EQ(h.globalTableOffset, 0);
  EXPECT_TRUE(t.empty());
  EXPECT_EQ(in.tellg(), 13);
}

TEST(ReadGifHeader, VersionIsStoredAsRead) {
  std::string bytes = header(1, 1, 0, 0, 0, "9z!") + trailer;
  Walk w = walk(bytes);
  ASSERT_EQ(w.header, GifOk);
  EXPECT_EQ(std::string(w.h.version, 3), "9z!");
}

TEST(ReadGifHeader, EveryTruncatedPrefixIsRejectedUntouched) {
  std::string full = header(10, 10, 0xF7) + table(8, 3);
  for (size_t n = 0; n < full.size(); n++) {
    SCOPED_TRACE(n);
    std::istringstream in(full.substr(0, n));
    GifHeader h = poisonedHeader();
    std::vector<uint8_t> t = {1};
    int r = readGifHeader(in, h, t);
    EXPECT_EQ(r, n < 3 ? GifNotGif : GifTruncated);
    EXPECT_TRUE(untouched(h));
    EXPECT_TRUE(t.empty());
  }
}

// ---- readGifBlocks

TEST(ReadGifBlocks, TrailerRightAfterTheHeaderGivesNoImages) {
  Walk w = walk(header(1, 1, 0x80) + table(1, 0) + trailer);
  EXPECT_EQ(w.blocks, GifOk);
  EXPECT_EQ(w.count, 0);
  EXPECT_TRUE(w.images.empty());
  EXPECT_TRUE(w.apps.empty());
}

TEST(ReadGifBlocks, ImageWithLocalTableRecordsItsPositions) {
  std::string head = header(8, 8, 0x00);
  std::string bytes = head + image(3, 4, 5, 6, 0xA2, table(3, 9), payload(10, 1), 7) + trailer;
  Walk w = walk(bytes);
  ASSERT_EQ(w.blocks, GifOk);
  ASSERT_EQ(w.count, 1);
  const GifImageInfo& m = w.images[0];
  EXPECT_EQ(m.left, 3);
  EXPECT_EQ(m.top, 4);
  EXPECT_EQ(m.width, 5);
  EXPECT_EQ(m.height, 6);
  EXPECT_EQ(m.hasLocalTable, 1);
  EXPECT_EQ(m.sortFlag, 1);
  EXPECT_EQ(m.interlaced, 0);
  EXPECT_EQ(m.localTableBits, 3);
  EXPECT_EQ(m.localTableOffset, 13 + 10);                 // right after the descriptor
  EXPECT_EQ(m.lzwMinCodeSize, 7);                         // the byte after the table
  EXPECT_EQ(m.dataOffset, 13 + 10 + 24 + 1);
  EXPECT_EQ(m.dataLength, 1 + 10 + 1);
  EXPECT_EQ(bytes.substr(m.localTableOffset, 24), table(3, 9));
  EXPECT_EQ(bytes.substr(m.dataOffset, m.dataLength), subBlocks(payload(10, 1)));
}

TEST(ReadGifBlocks, ImageWithoutLocalTable) {
  Walk w = walk(header(8, 8, 0x80) + table(1, 0) + image(0, 0, 8, 8, 0x47, "", "ab", 2) + trailer);
  ASSERT_EQ(w.blocks, GifOk);
  const GifImageInfo& m = w.images[0];
  EXPECT_EQ(m.hasLocalTable, 0);
  EXPECT_EQ(m.localTableOffset, 0);
  EXPECT_EQ(m.interlaced, 1);
  EXPECT_EQ(m.localTableBits, 8); // size field read even without a table
  EXPECT_EQ(m.lzwMinCodeSize, 2);
  EXPECT_EQ(m.dataOffset, 13 + 6 + 10 + 1);
}

TEST(ReadGifBlocks, DataLengthCountsEverySizeByteAndTheTerminator) {
  struct Case {
    size_t bytes;
    int32_t length;
  } cases[] = {{0, 1}, {1, 3}, {255, 257}, {256, 259}, {600, 604}, {255 * 40, 255 * 40 + 41}};
  for (auto c : cases) {
    SCOPED_TRACE(c.bytes);
    Walk w = walk(header(1, 1, 0) + image(0, 0, 1, 1, 0, "", payload(c.bytes, 3)) + trailer);
    ASSERT_EQ(w.blocks, GifOk);
    EXPECT_EQ(w.images[0].dataLength, c.length);
  }
}

TEST(ReadGifBlocks, NetscapeLoopBlock) {
  Walk w = walk(header(1, 1, 0) + netscapeLoop(0) + netscapeLoop(3) + trailer);
  ASSERT_EQ(w.blocks, GifOk);
  ASSERT_EQ(w.apps.size(), 2u);
  EXPECT_EQ(w.apps[0].isNetscapeLoop, 1);
  EXPECT_EQ(w.apps[0].loopCount, 0);
  EXPECT_EQ(w.apps[1].isNetscapeLoop, 1);
  EXPECT_EQ(w.apps[1].loopCount, 3);
}

TEST(ReadGifBlocks, OtherApplicationExtensionsAreSkippedWhole) {
  std::string other = std::string("\x21\xFF\x0BICCRGBG1012", 14) + subBlocks(payload(700, 4));
  // Same identifier, other code: not a looping block, its 3-byte sub-block
  // is not a loop count.
  std::string netscape21 = std::string("\x21\xFF\x0BNETSCAPE2.1\x03\x01\x05\x00\x00", 19);
  Walk w = walk(header(1, 1, 0) + other + netscape21 + image(0, 0, 1, 1, 0, "", "x") + trailer);
  ASSERT_EQ(w.blocks, GifOk);
  ASSERT_EQ(w.apps.size(), 2u);
  for (auto& a : w.apps) {
    EXPECT_EQ(a.isNetscapeLoop, 0);
    EXPECT_EQ(a.loopCount, 0);
  }
  EXPECT_EQ(w.count, 1);
}

TEST(ReadGifBlocks, GraphicControlValuesGoToTheNextImageOnly) {
  Walk w = walk(header(2, 2, 0) + graphicControl(0x0D, 0x1234, 7) + image(0, 0, 1, 1, 0, "", "a") +
                image(1, 1, 1, 1, 0, "", "b") + trailer);
  ASSERT_EQ(w.blocks, GifOk);
  ASSERT_EQ(w.count, 2);
  EXPECT_EQ(w.images[0].hasControl, 1);
  EXPECT_EQ(w.images[0].controlPacked, 0x0D);
  EXPECT_EQ(w.images[0].delay, 0x1234);
  EXPECT_EQ(w.images[0].transparentIndex, 7);
  EXPECT_EQ(w.images[1].hasControl, 0);
  EXPECT_EQ(w.images[1].controlPacked, 0);
  EXPECT_EQ(w.images[1].delay, 0);
  EXPECT_EQ(w.images[1].transparentIndex, 0);
}

TEST(ReadGifBlocks, AnyOtherExtensionBetweenControlAndImageClearsIt) {
  std::string plainText = "\x21\x01\x0C" + std::string(12, '\0') + subBlocks("hi");
  std::string app = std::string("\x21\xFF\x0BXMP DataXMP", 14) + subBlocks("x");
  std::string unknown = "\x21\x2A" + subBlocks("??");
  for (const std::string& between : {comment("c"), plainText, app, unknown}) {
    Walk w = walk(header(2, 2, 0) + graphicControl(0x05, 9, 1) + between + image(0, 0, 1, 1, 0, "", "a") +
                  trailer);
    ASSERT_EQ(w.blocks, GifOk);
    ASSERT_EQ(w.count, 1);
    EXPECT_EQ(w.images[0].hasControl, 0);
  }
}

TEST(ReadGifBlocks, TheLastOfTwoControlExtensionsCounts) {
  Walk w = walk(header(2, 2, 0) + graphicControl(0x04, 1, 1) + graphicControl(0x08, 2, 3) +
                image(0, 0, 1, 1, 0, "", "a") + trailer);
  ASSERT_EQ(w.blocks, GifOk);
  EXPECT_EQ(w.images[0].controlPacked, 0x08);
  EXPECT_EQ(w.images[0].delay, 2);
  EXPECT_EQ(w.images[0].transparentIndex, 3);
}

TEST(ReadGifBlocks, UnknownExtensionLabelsAreSkipped) {
  Walk w = walk(header(2, 2, 0) + "\x21\x2A" + subBlocks(payload(300, 5)) + image(0, 0, 1, 1, 0, "", "a") +
                trailer);
  EXPECT_EQ(w.blocks, GifOk);
  EXPECT_EQ(w.count, 1);
}

TEST(ReadGifBlocks, ControlExtensionNotClosedByZeroFails) {
  std::string bad("\x21\xF9\x04\x00\x00\x00\x00\x07", 8);
  Walk w = walk(header(2, 2, 0) + image(0, 0, 1, 1, 0, "", "a") + bad + image(0, 0, 1, 1, 0, "", "b") +
                trailer);
  EXPECT_EQ(w.blocks, GifBadExtension);
  EXPECT_EQ(w.count, 1); // the image read before stays
  EXPECT_EQ(w.images.size(), 1u);
}

TEST(ReadGifBlocks, UnknownIntroducerFails) {
  for (unsigned introducer : {0x00u, 0x2Bu, 0x47u, 0xFFu}) {
    Walk w = walk(header(2, 2, 0) + image(0, 0, 1, 1, 0, "", "a") + byte(introducer) + trailer);
    EXPECT_EQ(w.blocks, GifBadIntroducer) << introducer;
    EXPECT_EQ(w.images.size(), 1u);
  }
}

TEST(ReadGifBlocks, BytesAfterTheTrailerAreNotRead) {
  Walk w = walk(header(2, 2, 0) + image(0, 0, 1, 1, 0, "", "a") + trailer + "garbage\x2C");
  EXPECT_EQ(w.blocks, GifOk);
  EXPECT_EQ(w.count, 1);
}

TEST(ReadGifBlocks, FileWithEveryBlockKind) {
  std::string bytes = everyBlock();
  Walk w = walk(bytes);
  ASSERT_EQ(w.blocks, GifOk);
  ASSERT_EQ(w.count, 2);
  ASSERT_EQ(w.apps.size(), 2u);
  EXPECT_EQ(w.apps[0].loopCount, 7);
  EXPECT_EQ(w.images[0].hasControl, 1);
  EXPECT_EQ(w.images[0].controlPacked, 0x09);
  EXPECT_EQ(bytes.substr(w.images[0].localTableOffset, 12), table(2, 2));
  EXPECT_EQ(w.images[1].hasControl, 0);
  EXPECT_EQ(bytes.substr(w.images[1].dataOffset, w.images[1].dataLength), subBlocks(payload(300, 2)));
}

// A file cut anywhere before its trailer ends with a negative result, and
// only the images wholly before the cut are in the list.
TEST(ReadGifBlocks, EveryTruncatedPrefixFailsWithCompleteRecordsOnly) {
  std::string full = everyBlock();
  Walk whole = walk(full);
  ASSERT_EQ(whole.blocks, GifOk);
  size_t headerEnd = 13 + 12;
  for (size_t n = headerEnd; n < full.size(); n++) {
    SCOPED_TRACE(n);
    Walk w = walk(full.substr(0, n));
    ASSERT_EQ(w.header, GifOk);
    EXPECT_EQ(w.blocks, GifTruncated);
    size_t complete = 0;
    for (auto& m : whole.images) complete += static_cast<size_t>(m.dataOffset + m.dataLength) <= n;
    EXPECT_EQ(w.images.size(), complete);
    EXPECT_EQ(static_cast<size_t>(w.count), w.images.size());
  }
}

// A data chain whose size bytes point past the end: the skip notices.
TEST(ReadGifBlocks, SubBlockRunningPastTheEndFails) {
  Walk w = walk(header(2, 2, 0) + "\x2C" + u16(0) + u16(0) + u16(1) + u16(1) + byte(0) + byte(2) +
                byte(200) + "short");
  EXPECT_EQ(w.blocks, GifTruncated);
  EXPECT_TRUE(w.images.empty());
}

// ---- readGifFile

TEST(ReadGifFile, ResultOfTheLastStepRun) {
  GifFile f{};
  EXPECT_EQ(parse("not a gif", f), GifNotGif);
  EXPECT_EQ(parse(header(1, 1, 0x80) + "\x01", f), GifTruncated);
  EXPECT_EQ(parse(header(1, 1, 0) + "\x01", f), GifBadIntroducer);
  ASSERT_EQ(parse(everyBlock(), f), GifOk);
  EXPECT_EQ(f.imageCount, 2);
  EXPECT_EQ(f.images.size(), 2u);
  EXPECT_EQ(f.globalTable, bytesOf(table(2, 1)));
}

// ---- imageAt

TEST(ImageAt, OutOfRangeGivesTheSharedZeroRecord) {
  std::vector<GifImageInfo> none;
  const GifImageInfo zero{};
  const GifImageInfo& a = imageAt(none, 0);
  EXPECT_EQ(std::memcmp(&a, &zero, sizeof zero), 0);
  Walk w = walk(everyBlock());
  for (int index : {-1, 2, 1000, INT32_MIN}) {
    const GifImageInfo& b = imageAt(w.images, index);
    EXPECT_EQ(&b, &a) << index;
  }
}

// ---- readLocalTable

TEST(ReadLocalTable, NoLocalTableGivesZero) {
  Walk w = walk(everyBlock());
  std::istringstream in(everyBlock());
  std::vector<uint8_t> bytes = {1, 2};
  EXPECT_EQ(readLocalTable(w.images[1], in, bytes), 0);
  EXPECT_TRUE(bytes.empty());
}

TEST(ReadLocalTable, ReadsTheTableEvenAfterTheStreamFailed) {
  std::string bytes = everyBlock();
  std::istringstream in(bytes.substr(0, bytes.size() - 1)); // no trailer: the walk fails at the end
  GifFile f{};
  ASSERT_EQ(readGifFile(in, f), GifTruncated);
  std::vector<uint8_t> t;
  ASSERT_EQ(readLocalTable(f.images[0], in, t), GifOk);
  EXPECT_EQ(t, bytesOf(table(2, 2)));
}

TEST(ReadLocalTable, TableBeyondTheStreamFails) {
  GifImageInfo m{};
  m.hasLocalTable = 1;
  m.localTableBits = 8;
  m.localTableOffset = 10;
  std::istringstream in(std::string(100, 'x'));
  std::vector<uint8_t> t = {1};
  EXPECT_EQ(readLocalTable(m, in, t), GifTruncated);
  EXPECT_TRUE(t.empty());
  m.localTableBits = 9; // no reader makes this
  EXPECT_EQ(readLocalTable(m, in, t), GifTruncated);
}
