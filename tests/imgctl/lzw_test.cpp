#include "imgctl/lzw.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/imgctl/lzw_shape.h"
#include "tests/imgctl/test_pictures.h"

using imgctl::kLzwClearWhenFull;
using imgctl::kLzwClearWhenWorse;
using imgctl::lzwDecode;
using imgctl::lzwEncode;
using imgctl_test::lzwShapeOf;

namespace {

std::vector<uint8_t> randomIndices(size_t n, int minCodeSize, uint32_t seed) {
  imgctl_test::Lcg rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& x : v) x = uint8_t(rng.next() % (1u << minCodeSize));
  return v;
}

void expectRoundTrip(const std::vector<uint8_t>& in, int minCodeSize) {
  std::vector<uint8_t> codes;
  ASSERT_TRUE(lzwEncode(in.data(), in.size(), minCodeSize, codes));
  std::vector<uint8_t> out;
  ASSERT_EQ(imgctl::kLzwOk, lzwDecode(codes.data(), codes.size(), minCodeSize, in.size(), out));
  ASSERT_EQ(in, out);
}

// A screenshot's kind of data: a block of noise (so that only repeats make
// long strings) repeated many times, then fresh noise when noiseAfter is
// not zero.
std::vector<uint8_t> repeatedBlock(size_t block, int repeats, size_t noiseAfter) {
  const std::vector<uint8_t> one = randomIndices(block, 8, 11), noise = randomIndices(noiseAfter, 8, 12);
  std::vector<uint8_t> v;
  for (int k = 0; k < repeats; ++k) v.insert(v.end(), one.begin(), one.end());
  v.insert(v.end(), noise.begin(), noise.end());
  return v;
}

}  // namespace

// Worked by hand: clear 4 (3 bits), 0, new code 6 = "0 0", 0, then the end
// code 5 in 4 bits, because the decoder has by then defined code 7 and
// widened to 4 bits. Packed from the low bit: 0x84 0x51.
TEST(LzwEncode, PinsBytesOfASmallRun) {
  const std::vector<uint8_t> in = {0, 0, 0, 0};
  std::vector<uint8_t> codes;
  ASSERT_TRUE(lzwEncode(in.data(), in.size(), 2, codes));
  EXPECT_EQ((std::vector<uint8_t>{0x84, 0x51}), codes);
}

// A single pixel: clear 4, 1, end 5, all in 3 bits: 0b101'001'100.
TEST(LzwEncode, PinsBytesOfOnePixel) {
  const std::vector<uint8_t> in = {1};
  std::vector<uint8_t> codes;
  ASSERT_TRUE(lzwEncode(in.data(), in.size(), 2, codes));
  EXPECT_EQ((std::vector<uint8_t>{0x4C, 0x01}), codes);
}

// 8-bit indices start with 9-bit codes: clear 256 then 0x41 then end 257.
TEST(LzwEncode, PinsBytesWithEightBitIndices) {
  const std::vector<uint8_t> in = {0x41};
  std::vector<uint8_t> codes;
  ASSERT_TRUE(lzwEncode(in.data(), in.size(), 8, codes));
  // 256 | 0x41 << 9 | 257 << 18, in 4 bytes
  EXPECT_EQ((std::vector<uint8_t>{0x00, 0x83, 0x04, 0x04}), codes);
}

TEST(LzwEncode, RefusesBadInput) {
  const std::vector<uint8_t> in = {0, 4};
  std::vector<uint8_t> codes;
  EXPECT_FALSE(lzwEncode(in.data(), in.size(), 2, codes));  // 4 needs 3 bits
  EXPECT_FALSE(lzwEncode(in.data(), in.size(), 1, codes));
  EXPECT_FALSE(lzwEncode(in.data(), in.size(), 9, codes));
  EXPECT_TRUE(codes.empty());
}

// Random 8-bit data defines about one code per index, so lengths around
// 255, 767, 1791 and 3839 indices walk the table through each width change
// (the code that needs 10, 11, 12 bits) and through the first reset when
// the 4096 codes are used up. Every length in those windows is tried.
TEST(LzwRoundTrip, EveryLengthAroundTheWidthChangesAndTheFirstReset) {
  const std::vector<uint8_t> data = randomIndices(4200, 8, 7);
  for (size_t centre : {0u, 255u, 767u, 1791u, 3839u, 4095u}) {
    for (size_t n = centre < 40 ? 0 : centre - 40; n <= centre + 40; ++n) {
      SCOPED_TRACE(n);
      expectRoundTrip(std::vector<uint8_t>(data.begin(), data.begin() + n), 8);
    }
  }
}

TEST(LzwRoundTrip, EveryMinimumCodeSize) {
  for (int m = 2; m <= 8; ++m) {
    SCOPED_TRACE(m);
    const std::vector<uint8_t> data = randomIndices(700, m, uint32_t(m));
    for (size_t n = 0; n <= data.size(); n += (n < 100 ? 1 : 7))
      expectRoundTrip(std::vector<uint8_t>(data.begin(), data.begin() + n), m);
  }
}

// Long inputs reset the table many times; runs and repeats make long strings.
TEST(LzwRoundTrip, ManyResetsAndLongStrings) {
  for (int m : {2, 5, 8}) {
    SCOPED_TRACE(m);
    expectRoundTrip(randomIndices(60000, m, 99), m);
    expectRoundTrip(std::vector<uint8_t>(100000, uint8_t((1 << m) - 1)), m);
    std::vector<uint8_t> repeats;
    for (int i = 0; i < 50000; ++i) repeats.push_back(uint8_t((i % 37 + i / 1000) % (1 << m)));
    expectRoundTrip(repeats, m);
  }
}

// The table-full reset shows in the stream as a clear code. Random 8-bit
// data defines a code for nearly every index, so 20000 of them fill the
// table several times, and a full table serves them no better than a
// fresh one: each policy clears every time, the one that watches a little
// later. The decoder must follow each reset, and read the codes sent from
// a full table in between.
TEST(LzwRoundTrip, TableResetIsSentAsAClearCode) {
  const std::vector<uint8_t> data = randomIndices(20000, 8, 3);
  for (const imgctl::LzwClearPolicy policy : {kLzwClearWhenFull, kLzwClearWhenWorse}) {
    SCOPED_TRACE(policy);
    std::vector<uint8_t> codes;
    ASSERT_TRUE(lzwEncode(data.data(), data.size(), 8, codes, policy));
    const imgctl_test::LzwShape shape = lzwShapeOf(codes, 8);
    EXPECT_TRUE(shape.ended);
    EXPECT_GE(shape.clearsAt.size(), 4u);  // the opening one and the resets
    EXPECT_EQ(policy == kLzwClearWhenWorse, shape.codesOnFullTable > 0);
    std::vector<uint8_t> out;
    ASSERT_EQ(imgctl::kLzwOk, lzwDecode(codes.data(), codes.size(), 8, data.size(), out));
    EXPECT_EQ(data, out);
  }
}

// Where each policy clears. A block repeated fills the table with ever
// longer strings of itself: clearing at once throws them away every few
// repeats, watching keeps them to the end and the stream is far smaller.
// When fresh noise follows, the full table stops serving and is cleared
// within a few thousand pixels of the change, not before it. Code 4095 is
// never sent from the kept table, though its string comes round again.
TEST(LzwClearPolicy, KeepsAFullTableOnlyWhileItServes) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    size_t changeAt;  // where the repeats end (0: they never do)
  };
  const Case cases[] = {
      {"repeats", repeatedBlock(2000, 32, 0), 0},
      {"repeats then noise", repeatedBlock(2000, 32, 30000), 64000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> full, worse;
    ASSERT_TRUE(lzwEncode(c.data.data(), c.data.size(), 8, full, kLzwClearWhenFull));
    ASSERT_TRUE(lzwEncode(c.data.data(), c.data.size(), 8, worse, kLzwClearWhenWorse));
    const imgctl_test::LzwShape atOnce = lzwShapeOf(full, 8), watched = lzwShapeOf(worse, 8);
    EXPECT_EQ(0u, atOnce.codesOnFullTable);
    EXPECT_GE(atOnce.clearsAt.size(), 5u);
    ASSERT_GE(watched.clearsAt.size(), 1u);
    EXPECT_EQ(0u, watched.clearsAt[0]);
    EXPECT_GT(watched.codesOnFullTable, 1000u);
    EXPECT_EQ(0u, watched.lastCodeOnFullTable);  // its string recurs here, yet it is never sent
    if (c.changeAt == 0) {
      EXPECT_EQ(1u, watched.clearsAt.size());
      EXPECT_LT(worse.size() * 4, full.size() * 3);
    } else {
      ASSERT_GE(watched.clearsAt.size(), 2u);
      EXPECT_GE(watched.clearsAt[1], c.changeAt);
      EXPECT_LT(watched.clearsAt[1], c.changeAt + 8192);
      EXPECT_LT(worse.size(), full.size());
    }
    for (const std::vector<uint8_t>* codes : {&full, &worse}) {
      std::vector<uint8_t> out;
      ASSERT_EQ(imgctl::kLzwOk, lzwDecode(codes->data(), codes->size(), 8, c.data.size(), out));
      EXPECT_EQ(c.data, out);
    }
  }
}

// The encoder fed in pieces, as the conversion feeds it band by band while
// later bands are still being mapped: the same bytes as in one piece,
// whatever the cuts (single indices, across table resets, empty pieces),
// including where a full table is watched and kept or cleared.
TEST(LzwEncoder, PiecesGiveTheBytesOfTheWhole) {
  for (const std::vector<uint8_t>& data : {randomIndices(30011, 8, 5), repeatedBlock(2000, 32, 30000)}) {
    std::vector<uint8_t> whole;
    ASSERT_TRUE(lzwEncode(data.data(), data.size(), 8, whole));
    for (size_t piece : {size_t(1), size_t(7), size_t(4096), size_t(16384)}) {
      SCOPED_TRACE(piece);
      std::vector<uint8_t> codes;
      imgctl::LzwEncoder encoder(8, codes);
      encoder.add(data.data(), 0);
      for (size_t at = 0; at < data.size(); at += piece)
        encoder.add(data.data() + at, std::min(piece, data.size() - at));
      encoder.finish();
      EXPECT_EQ(whole, codes);
    }
  }
}

TEST(LzwDecode, RefusesBrokenStreams) {
  std::vector<uint8_t> out;
  const std::vector<uint8_t> pinned = {0x84, 0x51};  // 0 0 0 0 from above
  EXPECT_EQ(imgctl::kLzwBadCodeSize, lzwDecode(pinned.data(), pinned.size(), 1, 4, out));
  out.clear();
  EXPECT_EQ(imgctl::kLzwTooMuch, lzwDecode(pinned.data(), pinned.size(), 2, 3, out));
  out.clear();
  EXPECT_EQ(imgctl::kLzwEndless, lzwDecode(pinned.data(), 1, 2, 4, out));
  // clear, then code 7 while only 6 could come next.
  const std::vector<uint8_t> undefined = {0xC4, 0x01};  // 4 | 0 << 3 | 7 << 6
  out.clear();
  EXPECT_EQ(imgctl::kLzwBadCode, lzwDecode(undefined.data(), undefined.size(), 2, 100, out));
  // A first code after clear that is not a single index.
  const std::vector<uint8_t> noLiteral = {0x34, 0x00};  // 4 | 6 << 3
  out.clear();
  EXPECT_EQ(imgctl::kLzwBadCode, lzwDecode(noLiteral.data(), noLiteral.size(), 2, 100, out));
}
