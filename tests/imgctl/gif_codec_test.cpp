#include "imgctl/gif_codec.h"

#include <gtest/gtest.h>

#include "tests/imgctl/test_pictures.h"

using imgctl::DecodedGif;
using imgctl::decodeGif;
using imgctl::encodeGif;
using imgctl::Palette;

namespace {

Palette paletteOf(std::initializer_list<uint32_t> colours) {
  Palette p;
  for (uint32_t c : colours) p.colours[p.count++] = c;
  return p;
}

}  // namespace

// The whole file of a 2 x 1 picture, byte for byte. LZW: clear 4, 0, 1, end
// 5, each in 3 bits (worked by hand: 0x44 0x0A).
TEST(EncodeGif, PinsEveryByteOfATinyFile) {
  const uint8_t indices[] = {0, 1};
  std::vector<uint8_t> gif;
  ASSERT_TRUE(encodeGif(indices, 2, 1, paletteOf({0x102030, 0xFFEEDD}), gif));
  const std::vector<uint8_t> expected = {
      'G', 'I', 'F', '8', '9', 'a', 0x02, 0x00, 0x01, 0x00, 0xF0, 0x00, 0x00,  // screen, 2-entry table
      0x10, 0x20, 0x30, 0xFF, 0xEE, 0xDD,                                      // table
      0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00,              // image descriptor
      0x02, 0x02, 0x44, 0x0A, 0x00,                                            // code size, data
      0x3B};
  EXPECT_EQ(expected, gif);
}

// The global table is the smallest power of two that holds the colours,
// padded with black; the packed byte says so.
TEST(EncodeGif, SizesTheTableToTheColoursUsed) {
  struct Case {
    uint32_t colours;
    int bits;
  };
  for (const Case c : {Case{1, 1}, Case{2, 1}, Case{3, 2}, Case{4, 2}, Case{5, 3}, Case{16, 4}, Case{17, 5},
                       Case{128, 7}, Case{129, 8}, Case{256, 8}}) {
    SCOPED_TRACE(c.colours);
    Palette p;
    for (uint32_t i = 0; i < c.colours; ++i) p.colours[p.count++] = 0x010101 * i + 1;
    std::vector<uint8_t> indices(c.colours);
    for (uint32_t i = 0; i < c.colours; ++i) indices[i] = uint8_t(i);
    std::vector<uint8_t> gif;
    ASSERT_TRUE(encodeGif(indices.data(), int(c.colours), 1, p, gif));
    EXPECT_EQ(0xF0 | (c.bits - 1), gif[10]);
    const size_t tableEnd = 13 + 3 * (size_t(1) << c.bits);
    EXPECT_EQ(0x2C, gif[tableEnd]);
    for (size_t k = 13 + 3 * c.colours; k < tableEnd; ++k) EXPECT_EQ(0, gif[k]);
    EXPECT_EQ(c.bits < 2 ? 2 : c.bits, gif[tableEnd + 10]);  // LZW minimum code size

    DecodedGif back;
    ASSERT_EQ(imgctl::kDecodeOk, decodeGif(gif.data(), gif.size(), back));
    EXPECT_EQ(c.bits, back.tableBits);
    EXPECT_EQ(indices, back.indices);
  }
}

// Noise compresses badly, so the data runs over many sub-blocks: all of 255
// bytes but the last, then the terminator and the trailer.
TEST(EncodeGif, SplitsDataInto255ByteSubBlocks) {
  const int w = 200, h = 100;
  imgctl_test::Lcg rng(5);
  std::vector<uint8_t> indices(size_t(w) * h);
  for (auto& i : indices) i = uint8_t(rng.next());
  Palette p;
  for (uint32_t i = 0; i < 256; ++i) p.colours[p.count++] = i * 0x010203;
  std::vector<uint8_t> gif;
  ASSERT_TRUE(encodeGif(indices.data(), w, h, p, gif));
  size_t pos = 13 + 768 + 10 + 1;
  size_t blocks = 0;
  while (gif[pos] != 0) {
    const size_t n = gif[pos];
    pos += 1 + n;
    ASSERT_LT(pos, gif.size());
    ++blocks;
    if (gif[pos] != 0) {
      EXPECT_EQ(255u, n);
    }
  }
  EXPECT_GT(blocks, 50u);
  EXPECT_EQ(pos + 2, gif.size());
  EXPECT_EQ(0x3B, gif.back());

  DecodedGif back;
  ASSERT_EQ(imgctl::kDecodeOk, decodeGif(gif.data(), gif.size(), back));
  EXPECT_EQ(indices, back.indices);
  EXPECT_EQ(w, back.width);
  EXPECT_EQ(h, back.height);
}

TEST(EncodeGif, RefusesWhatAGifCannotHold) {
  const uint8_t indices[] = {0, 1, 2};
  std::vector<uint8_t> gif;
  const Palette two = paletteOf({1, 2});
  EXPECT_FALSE(encodeGif(indices, 3, 1, two, gif));    // index 2 past a 2-entry palette
  EXPECT_FALSE(encodeGif(indices, 0, 1, two, gif));
  EXPECT_FALSE(encodeGif(indices, 1, 65536, two, gif));
  EXPECT_FALSE(encodeGif(indices, 1, 1, Palette(), gif));
  EXPECT_TRUE(gif.empty());
}

TEST(DecodeGif, RefusesEveryTruncatedPrefix) {
  const uint8_t indices[] = {0, 1, 1, 0, 2, 2};
  std::vector<uint8_t> gif;
  ASSERT_TRUE(encodeGif(indices, 3, 2, paletteOf({1, 2, 3}), gif));
  // The last byte is the trailer, which a reader of the first image never
  // needs.
  for (size_t n = 0; n + 1 < gif.size(); ++n) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> cut(gif.begin(), gif.begin() + n);
    DecodedGif out;
    EXPECT_LT(decodeGif(cut.data(), cut.size(), out), 0);
  }
}
