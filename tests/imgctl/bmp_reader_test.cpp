#include "imgctl/bmp_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/imgctl/test_pictures.h"
#include "tests/support/bmp_file.h"
#include "tests/support/files.h"

using imgctl::BmpInfo;
using imgctl::Pixmap;
using imgctl::readBmp;
using qbtest::BmpLayout;
using qbtest::buildBmp;
using qbtest::put16;
using qbtest::put32;

namespace {

int readBytes(const std::vector<uint8_t>& b, Pixmap& out, BmpInfo* info = nullptr) {
  return readBmp(b.data(), b.size(), out, info);
}

// Index values 0..entries-1 in a pattern that uses every one.
std::vector<uint32_t> indexPattern(int w, int h, uint32_t entries) {
  std::vector<uint32_t> v(size_t(w) * h);
  for (size_t i = 0; i < v.size(); ++i) v[i] = uint32_t((i * 7 + i / 3) % entries);
  return v;
}

std::vector<uint32_t> colourPattern(int w, int h) {
  std::vector<uint32_t> v(size_t(w) * h);
  for (size_t i = 0; i < v.size(); ++i) v[i] = imgctl::packRgb(uint32_t(i * 13) & 0xFF, uint32_t(i * 29 + 5) & 0xFF, uint32_t(i * 71 + 9) & 0xFF);
  return v;
}

}  // namespace

// Every bit depth, both row orders, widths 1 to 5 (each padding length) and
// heights 1 to 3: the decoded pixels are the ones written.
TEST(ReadBmp, DecodesEveryDepthOrderAndWidth) {
  for (uint16_t bits : {1, 4, 8, 24, 32}) {
    for (bool topDown : {false, true}) {
      for (int w = 1; w <= 5; ++w) {
        for (int h = 1; h <= 3; ++h) {
          SCOPED_TRACE(::testing::Message() << bits << " bits, " << w << "x" << h << (topDown ? " top-down" : " bottom-up"));
          BmpLayout s;
          s.width = w;
          s.height = topDown ? -h : h;
          s.bitCount = bits;
          std::vector<uint32_t> expected;
          std::vector<uint32_t> values;
          if (bits <= 8) {
            const uint32_t entries = bits == 1 ? 2 : bits == 4 ? 11 : 200;
            for (uint32_t i = 0; i < entries; ++i) s.table.push_back(imgctl::packRgb(i * 3 & 0xFF, 255 - i, i * 7 & 0xFF));
            s.coloursUsed = bits == 1 ? 0 : entries;
            values = indexPattern(w, h, entries);
            for (uint32_t v : values) expected.push_back(s.table[v]);
          } else {
            values = colourPattern(w, h);
            expected = values;
          }
          Pixmap p;
          BmpInfo info;
          ASSERT_EQ(imgctl::kBmpOk, readBytes(buildBmp(s, values), p, &info));
          EXPECT_EQ(w, p.width);
          EXPECT_EQ(h, p.height);
          EXPECT_EQ(expected, p.pixels);
          EXPECT_EQ(bits, info.bitCount);
          EXPECT_EQ(topDown ? 1 : 0, info.topDown);
        }
      }
    }
  }
}

TEST(ReadBmp, ReadsLaterHeadersAndPlainBitFields) {
  for (uint32_t header : {52u, 56u, 108u, 124u}) {
    SCOPED_TRACE(header);
    BmpLayout s;
    s.width = 3;
    s.height = 2;
    s.headerSize = header;
    Pixmap p;
    ASSERT_EQ(imgctl::kBmpOk, readBytes(buildBmp(s, colourPattern(3, 2)), p));
    EXPECT_EQ(colourPattern(3, 2), p.pixels);
  }
  BmpLayout s;
  s.width = 3;
  s.height = 2;
  s.bitCount = 32;
  s.compression = 3;
  s.masks = true;
  Pixmap p;
  ASSERT_EQ(imgctl::kBmpOk, readBytes(buildBmp(s, colourPattern(3, 2)), p));
  EXPECT_EQ(colourPattern(3, 2), p.pixels);
}

TEST(ReadBmp, RefusesOtherBitFieldMasks) {
  BmpLayout s;
  s.width = 2;
  s.height = 2;
  s.bitCount = 32;
  s.compression = 3;
  s.masks = true;
  std::vector<uint8_t> b = buildBmp(s, colourPattern(2, 2));
  put32(b, 54, 0x000000FFu);  // red and blue swapped
  put32(b, 62, 0x00FF0000u);
  Pixmap p;
  EXPECT_EQ(imgctl::kBmpUnsupported, readBytes(b, p));
}

TEST(ReadBmp, IgnoresHarmlessFields) {
  BmpLayout s;
  s.width = 2;
  s.height = 2;
  std::vector<uint8_t> b = buildBmp(s, colourPattern(2, 2));
  put32(b, 2, 0x7FFFFFF0u);   // file size
  put32(b, 34, 0x7EEEEEEEu);  // image size
  put32(b, 38, 0xFFFFFFFFu);  // resolutions
  put32(b, 42, 0x80000000u);
  put32(b, 46, 300);          // colours used: irrelevant for 24-bit pixels
  Pixmap p;
  ASSERT_EQ(imgctl::kBmpOk, readBytes(b, p));
  EXPECT_EQ(colourPattern(2, 2), p.pixels);
}

// The last row's padding carries no pixel; a file that lacks it still
// holds the whole picture. One byte less and a pixel is missing.
TEST(ReadBmp, LastRowPaddingMayBeMissing) {
  BmpLayout s;
  s.width = 3;  // 9 bytes of pixels, 3 of padding per row
  s.height = 2;
  std::vector<uint8_t> b = buildBmp(s, colourPattern(3, 2));
  b.resize(b.size() - 3);
  Pixmap p;
  ASSERT_EQ(imgctl::kBmpOk, readBytes(b, p));
  EXPECT_EQ(colourPattern(3, 2), p.pixels);
  b.pop_back();
  EXPECT_EQ(imgctl::kBmpTruncated, readBytes(b, p));
  EXPECT_TRUE(p.pixels.empty());
}

// Each way a header can lie gets its own refusal, and nothing is decoded.
TEST(ReadBmp, RefusesHeadersThatLie) {
  struct Case {
    const char* name;
    int expected;
    void (*change)(std::vector<uint8_t>&);
  };
  const Case cases[] = {
      {"no signature", imgctl::kBmpNotBmp, [](std::vector<uint8_t>& b) { b[1] = 'A'; }},
      {"header size 66", imgctl::kBmpBadHeader, [](std::vector<uint8_t>& b) { put32(b, 14, 66); }},
      {"header past the end", imgctl::kBmpTooShort, [](std::vector<uint8_t>& b) { put32(b, 14, 124); }},
      {"OS/2 core header", imgctl::kBmpUnsupported, [](std::vector<uint8_t>& b) { put32(b, 14, 12); }},
      {"zero width", imgctl::kBmpBadDimensions, [](std::vector<uint8_t>& b) { put32(b, 18, 0); }},
      {"negative width", imgctl::kBmpBadDimensions, [](std::vector<uint8_t>& b) { put32(b, 18, uint32_t(-4)); }},
      {"zero height", imgctl::kBmpBadDimensions, [](std::vector<uint8_t>& b) { put32(b, 22, 0); }},
      {"height INT32_MIN", imgctl::kBmpBadDimensions, [](std::vector<uint8_t>& b) { put32(b, 22, 0x80000000u); }},
      {"width beyond a GIF", imgctl::kBmpTooLarge, [](std::vector<uint8_t>& b) { put32(b, 18, 70000); }},
      {"pixels beyond the cap", imgctl::kBmpTooLarge,
       [](std::vector<uint8_t>& b) { put32(b, 18, 65535); put32(b, 22, 65535); }},
      {"area wraps 32 bits", imgctl::kBmpTooLarge,
       [](std::vector<uint8_t>& b) { put32(b, 18, 0x10001); put32(b, 22, 0x10001); }},
      {"more rows than bytes", imgctl::kBmpTruncated, [](std::vector<uint8_t>& b) { put32(b, 22, 5000); }},
      {"planes 2", imgctl::kBmpBadHeader, [](std::vector<uint8_t>& b) { put16(b, 26, 2); }},
      {"bit count 30000", imgctl::kBmpBadHeader, [](std::vector<uint8_t>& b) { put16(b, 28, 30000); }},
      {"bit count 16", imgctl::kBmpUnsupported, [](std::vector<uint8_t>& b) { put16(b, 28, 16); }},
      {"RLE8 on 24-bit pixels", imgctl::kBmpBadHeader, [](std::vector<uint8_t>& b) { put32(b, 30, 1); }},
      {"RLE4 on 24-bit pixels", imgctl::kBmpBadHeader, [](std::vector<uint8_t>& b) { put32(b, 30, 2); }},
      {"compression 99", imgctl::kBmpBadHeader, [](std::vector<uint8_t>& b) { put32(b, 30, 99); }},
      {"bit fields on 24-bit", imgctl::kBmpBadHeader, [](std::vector<uint8_t>& b) { put32(b, 30, 3); }},
      {"offset past the end", imgctl::kBmpTruncated, [](std::vector<uint8_t>& b) { put32(b, 10, 0x7FFFFFF0u); }},
      {"offset into the header", imgctl::kBmpBadOffset, [](std::vector<uint8_t>& b) { put32(b, 10, 20); }},
      {"offset wraps", imgctl::kBmpTruncated, [](std::vector<uint8_t>& b) { put32(b, 10, 0xFFFFFFF0u); }},
  };
  BmpLayout s;
  s.width = 4;
  s.height = 3;
  const std::vector<uint8_t> valid = buildBmp(s, colourPattern(4, 3));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> b = valid;
    c.change(b);
    Pixmap p;
    p.width = 99;
    EXPECT_EQ(c.expected, readBytes(b, p));
    EXPECT_EQ(0, p.width);
    EXPECT_TRUE(p.pixels.empty());
  }
}

TEST(ReadBmp, RefusesBadColourTables) {
  BmpLayout s;
  s.width = 4;
  s.height = 2;
  s.bitCount = 4;
  s.table = {0x000000, 0xFFFFFF, 0xFF0000};
  s.coloursUsed = 3;
  std::vector<uint32_t> values = {0, 1, 2, 0, 1, 2, 0, 1};
  Pixmap p;
  ASSERT_EQ(imgctl::kBmpOk, readBytes(buildBmp(s, values), p));

  SCOPED_TRACE("index past the table");
  values[5] = 3;
  EXPECT_EQ(imgctl::kBmpBadIndex, readBytes(buildBmp(s, values), p));
  values[5] = 1;

  std::vector<uint8_t> b = buildBmp(s, values);
  put32(b, 46, 17);  // more entries than 4 bits can name
  EXPECT_EQ(imgctl::kBmpBadPalette, readBytes(b, p));
  put32(b, 46, 305402420);
  EXPECT_EQ(imgctl::kBmpBadPalette, readBytes(b, p));

  s.pixelOffsetDelta = -4;  // pixels said to start inside the table
  EXPECT_EQ(imgctl::kBmpBadOffset, readBytes(buildBmp(s, values), p));
}

// Every prefix of a valid file, down to nothing, is refused without a read
// past its end (the sanitizers watch the reads).
TEST(ReadBmp, RefusesEveryTruncatedPrefix) {
  for (uint16_t bits : {1, 8, 24}) {
    BmpLayout s;
    s.width = 5;
    s.height = 3;
    s.bitCount = bits;
    std::vector<uint32_t> values = bits == 24 ? colourPattern(5, 3) : indexPattern(5, 3, 2);
    if (bits <= 8) {
      s.table = {0x102030, 0xA0B0C0};
      s.coloursUsed = 2;
    }
    const std::vector<uint8_t> full = buildBmp(s, values);
    Pixmap whole;
    ASSERT_EQ(imgctl::kBmpOk, readBytes(full, whole));
    const size_t stride = ((size_t(5) * bits + 31) / 32) * 4;
    const size_t padding = stride - (size_t(5) * bits + 7) / 8;
    for (size_t n = 0; n + padding < full.size(); ++n) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, " << n << " bytes");
      std::vector<uint8_t> cut(full.begin(), full.begin() + n);  // its own allocation
      Pixmap p;
      EXPECT_LT(readBmp(cut.data(), cut.size(), p), 0);
    }
  }
}

// The real files of the corpus, by folder.
TEST(ReadBmp, CorpusValidFilesDecode) {
  const std::string dir = qbtest::testDataPath("bmp/valid/");
  for (const char* name : {"rgb24_with_256_entry_palette_before_pixels.bmp", "rgb24_with_300_entry_palette.bmp",
                           "rgb24_v5_header_embedded_icc_profile.bmp", "rgb24_v5_header_linked_profile.bmp"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> b = qbtest::readFileBytes(dir + name);
    ASSERT_FALSE(b.empty());
    Pixmap p;
    ASSERT_EQ(imgctl::kBmpOk, readBytes(b, p));
    EXPECT_EQ(127, p.width);
    EXPECT_EQ(64, p.height);
  }
}

TEST(ReadBmp, CorpusKindsThisReaderDoesNotDecodeAreRefused) {
  const std::string dir = qbtest::testDataPath("bmp/unsupported/");
  for (const char* name : {"rgb16_565_bitfields.bmp", "pal8_os2_core_header_12_bytes.bmp", "bi_jpeg_payload.bmp",
                           "bi_png_payload.bmp"}) {
    SCOPED_TRACE(name);
    Pixmap p;
    EXPECT_EQ(imgctl::kBmpUnsupported, readBytes(qbtest::readFileBytes(dir + name), p));
  }
}

// The folder also holds 1-, 8- and 32-bit files and run-length ones that
// this reader does decode; their pixels are checked against ImageMagick
// elsewhere. The RLE8 file is the plain 8-bit one compressed.
TEST(ReadBmp, CorpusPalettedRunLengthAndThirtyTwoBitFilesDecode) {
  const std::string dir = qbtest::testDataPath("bmp/unsupported/");
  for (const char* name : {"pal1.bmp", "pal8.bmp", "pal8_topdown_negative_height.bmp", "rgb32_bi_rgb.bmp",
                           "pal8_rle8.bmp", "pal4_rle4.bmp"}) {
    SCOPED_TRACE(name);
    Pixmap p;
    EXPECT_EQ(imgctl::kBmpOk, readBytes(qbtest::readFileBytes(dir + name), p));
  }
  Pixmap plain, rle;
  ASSERT_EQ(imgctl::kBmpOk, readBytes(qbtest::readFileBytes(dir + "pal8.bmp"), plain));
  ASSERT_EQ(imgctl::kBmpOk, readBytes(qbtest::readFileBytes(dir + "pal8_rle8.bmp"), rle));
  EXPECT_EQ(plain.pixels, rle.pixels);
}

TEST(ReadBmp, CorpusMalformedFiles) {
  const std::string dir = qbtest::testDataPath("bmp/malformed/");
  struct Case {
    const char* name;
    int expected;
  };
  // Fields nothing depends on are ignored (file size, image size,
  // resolution); every other lie refuses the file.
  const Case cases[] = {
      {"bad_bitcount_30000.bmp", imgctl::kBmpBadHeader},
      {"bad_file_size_field.bmp", imgctl::kBmpOk},
      {"bad_header_size_66.bmp", imgctl::kBmpBadHeader},
      {"bad_image_size_field.bmp", imgctl::kBmpOk},
      {"bad_palette_size_305m.bmp", imgctl::kBmpBadPalette},
      {"bad_planes_30000.bmp", imgctl::kBmpBadHeader},
      {"bad_resolution_fields_1.bmp", imgctl::kBmpOk},
      {"bad_resolution_fields_2.bmp", imgctl::kBmpOk},
      {"bad_rle_data.bmp", imgctl::kBmpBadRle},
      {"fuzzed_57_bytes_offset_2147483440.bmp", imgctl::kBmpBadHeader},
      {"huge_3000000x2000000_24bit.bmp", imgctl::kBmpTooLarge},
      {"negative_width.bmp", imgctl::kBmpBadDimensions},
      {"pal8_index_beyond_palette.bmp", imgctl::kBmpBadIndex},
      {"pixel_data_one_byte_short.bmp", imgctl::kBmpBadOffset},  // its offset also points into the table
      {"rle8_row_overflow.bmp", imgctl::kBmpBadRle},
      {"rle_with_negative_height.bmp", imgctl::kBmpBadHeader},
      {"truncated_273_of_1086_bytes.bmp", imgctl::kBmpTruncated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> b = qbtest::readFileBytes(dir + c.name);
    ASSERT_FALSE(b.empty());
    Pixmap p;
    EXPECT_EQ(c.expected, readBytes(b, p)) << imgctl::bmpResultName(readBytes(b, p));
  }
}

namespace {

const std::vector<uint32_t> kRleTable = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
constexpr uint32_t K = 0x000000, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF;

}  // namespace

// Hand-built run-length streams, one per kind of step, on odd widths: the
// pixels (rows from the top; the stream starts at the bottom row) are
// exactly what the steps say, and what they skip is entry 0.
TEST(ReadBmp, DecodesRunLengthStreams) {
  struct Case {
    const char* name;
    uint16_t bits;
    int32_t width, height;
    std::vector<uint8_t> stream;
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      {"RLE8 runs and row ends", 8, 3, 2, {2, 1, 1, 2, 0, 0, 3, 4, 0, 0, 0, 1}, {W, W, W, R, R, G}},
      {"RLE8 absolute, odd count padded", 8, 5, 1, {0, 3, 1, 2, 3, 0, 2, 4, 0, 1}, {R, G, B, W, W}},
      {"RLE8 absolute, even count", 8, 4, 1, {0, 4, 4, 3, 2, 1, 0, 1}, {W, B, G, R}},
      {"RLE8 delta skips to entry 0", 8, 3, 3, {1, 1, 0, 2, 1, 1, 1, 2, 0, 0, 3, 4, 0, 1}, {W, W, W, K, K, G, R, K, K}},
      {"RLE8 end of picture early", 8, 3, 2, {3, 2, 0, 1}, {K, K, K, G, G, G}},
      {"RLE8 without the end mark, last row ended", 8, 1, 2, {1, 1, 0, 0, 1, 2, 0, 0}, {G, R}},
      {"RLE4 runs alternate nibbles", 4, 5, 1, {5, 0x12, 0, 1}, {R, G, R, G, R}},
      {"RLE4 absolute, 5 nibbles padded", 4, 5, 1, {0, 5, 0x12, 0x34, 0x40, 0, 0, 1}, {R, G, B, W, W}},
      {"RLE4 absolute, 3 nibbles", 4, 3, 1, {0, 3, 0x43, 0x20, 0, 1}, {W, B, G}},
      {"RLE4 single-pixel run and delta", 4, 3, 2, {1, 0x30, 0, 2, 1, 1, 1, 0x40, 0, 1}, {K, K, W, B, K, K}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pixmap p;
    BmpInfo info;
    ASSERT_EQ(imgctl::kBmpOk, readBytes(qbtest::buildRleBmp(c.bits, c.width, c.height, kRleTable, c.stream), p, &info));
    EXPECT_EQ(c.width, p.width);
    EXPECT_EQ(c.height, p.height);
    EXPECT_EQ(c.expected, p.pixels);
    EXPECT_EQ(c.bits, info.bitCount);
  }
}

// Streams that lie about the picture, and every prefix of a valid stream
// cut before its end mark, are refused whole.
TEST(ReadBmp, RefusesRunLengthStreamsThatLie) {
  struct Case {
    const char* name;
    uint16_t bits;
    std::vector<uint8_t> stream;
    int expected;
  };
  // All on a 3 x 2 picture.
  const Case cases[] = {
      {"run crossing the row end", 8, {2, 1, 2, 1, 0, 1}, imgctl::kBmpBadRle},
      {"run of 4 on a 3-wide row", 4, {4, 0x11, 0, 1}, imgctl::kBmpBadRle},
      {"absolute block crossing the row end", 8, {1, 1, 0, 3, 1, 1, 1, 0, 0, 1}, imgctl::kBmpBadRle},
      {"delta past the row end", 8, {0, 2, 4, 0, 0, 1}, imgctl::kBmpBadRle},
      {"delta past the last row", 8, {0, 2, 0, 2, 0, 1}, imgctl::kBmpBadRle},
      {"row end after the last row", 8, {0, 0, 0, 0, 0, 0, 0, 1}, imgctl::kBmpBadRle},
      {"run after the last row", 8, {0, 0, 0, 0, 1, 1, 0, 1}, imgctl::kBmpBadRle},
      {"index past the table in a run", 8, {1, 5, 0, 1}, imgctl::kBmpBadIndex},
      {"second nibble past the table", 4, {2, 0x17, 0, 1}, imgctl::kBmpBadIndex},
      {"index past the table, absolute", 8, {0, 3, 1, 9, 1, 0, 0, 1}, imgctl::kBmpBadIndex},
      {"escape cut after its zero", 8, {1, 1, 0}, imgctl::kBmpTruncated},
      {"delta cut", 8, {0, 2, 1}, imgctl::kBmpTruncated},
      {"absolute block cut", 8, {0, 3, 1, 2}, imgctl::kBmpTruncated},
      {"absolute block without its padding", 8, {0, 3, 1, 2, 3}, imgctl::kBmpTruncated},
      {"stream ends inside the picture", 8, {3, 1}, imgctl::kBmpTruncated},
      {"no stream at all", 8, {}, imgctl::kBmpTruncated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pixmap p;
    p.width = 99;
    EXPECT_EQ(c.expected, readBytes(qbtest::buildRleBmp(c.bits, 3, 2, kRleTable, c.stream), p));
    EXPECT_EQ(0, p.width);
    EXPECT_TRUE(p.pixels.empty());
  }

  const std::vector<uint8_t> valid = {1, 1, 0, 2, 1, 0, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
  Pixmap whole;
  ASSERT_EQ(imgctl::kBmpOk, readBytes(qbtest::buildRleBmp(8, 3, 2, kRleTable, valid), whole));
  for (size_t n = 0; n + 2 < valid.size(); ++n) {
    SCOPED_TRACE(n);
    Pixmap p;
    const std::vector<uint8_t> cut(valid.begin(), valid.begin() + n);
    EXPECT_EQ(imgctl::kBmpTruncated, readBytes(qbtest::buildRleBmp(8, 3, 2, kRleTable, cut), p));
  }

  SCOPED_TRACE("headers");
  Pixmap p;
  std::vector<uint8_t> b = qbtest::buildRleBmp(8, 3, 2, kRleTable, valid);
  put16(b, 28, 4);  // RLE8 on 4-bit pixels
  EXPECT_EQ(imgctl::kBmpBadHeader, readBytes(b, p));
  b = qbtest::buildRleBmp(8, 3, 2, kRleTable, valid);
  put32(b, 22, uint32_t(-2));  // top-down
  EXPECT_EQ(imgctl::kBmpBadHeader, readBytes(b, p));
}
