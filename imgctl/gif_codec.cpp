#include "imgctl/gif_codec.h"

#include "imgctl/lzw.h"

namespace imgctl {
namespace {

void put16(std::vector<uint8_t>& out, unsigned v) {
  out.push_back(uint8_t(v & 0xFF));
  out.push_back(uint8_t((v >> 8) & 0xFF));
}

void putTable(std::vector<uint8_t>& out, const Palette& palette, int bits) {
  for (uint32_t i = 0; i < (1u << bits); ++i) {
    const uint32_t c = i < palette.count ? palette.colours[i] : 0;
    out.push_back(uint8_t(c >> 16));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c));
  }
}

void putSubBlocks(std::vector<uint8_t>& out, const std::vector<uint8_t>& data) {
  size_t pos = 0;
  while (pos < data.size()) {
    const size_t n = data.size() - pos < 255 ? data.size() - pos : 255;
    out.push_back(uint8_t(n));
    out.insert(out.end(), data.begin() + pos, data.begin() + pos + n);
    pos += n;
  }
  out.push_back(0);
}

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// Reads a colour table of 2^bits entries at data[pos]; false when it does
// not fit.
bool readTable(const uint8_t* data, size_t size, size_t& pos, int bits, Palette& palette) {
  const size_t n = size_t(1) << bits;
  if (size - pos < 3 * n) return false;
  palette = Palette();
  palette.count = uint32_t(n);
  for (size_t i = 0; i < n; ++i, pos += 3)
    palette.colours[i] = (uint32_t(data[pos]) << 16) | (uint32_t(data[pos + 1]) << 8) | data[pos + 2];
  return true;
}

// Moves pos past a run of data sub-blocks and their terminator.
bool skipSubBlocks(const uint8_t* data, size_t size, size_t& pos) {
  for (;;) {
    if (pos >= size) return false;
    const size_t n = data[pos++];
    if (n == 0) return true;
    if (size - pos < n) return false;
    pos += n;
  }
}

}  // namespace

bool encodeGif(const uint8_t* indices, int width, int height, const Palette& palette,
               std::vector<uint8_t>& out) {
  if (width < 1 || width > 65535 || height < 1 || height > 65535) return false;
  if (palette.count < 1 || palette.count > 256) return false;
  const size_t count = size_t(width) * size_t(height);
  for (size_t i = 0; i < count; ++i)
    if (indices[i] >= palette.count) return false;
  std::vector<uint8_t> codes;
  codes.reserve(count / 2 + 64);
  if (!lzwEncode(indices, count, lzwCodeSizeFor(palette), codes)) return false;
  return writeGifBlocks(width, height, palette, codes, out);
}

int lzwCodeSizeFor(const Palette& palette) {
  const int bits = tableBitsFor(palette.count);
  return bits < 2 ? 2 : bits;
}

bool writeGifBlocks(int width, int height, const Palette& palette, const std::vector<uint8_t>& codes,
                    std::vector<uint8_t>& out) {
  if (width < 1 || width > 65535 || height < 1 || height > 65535) return false;
  if (palette.count < 1 || palette.count > 256) return false;
  const int bits = tableBitsFor(palette.count);
  out.reserve(out.size() + 13 + 3 * (size_t(1) << bits) + 10 + 1 + codes.size() + codes.size() / 255 + 3);
  static const char kSignature[] = "GIF89a";
  out.insert(out.end(), kSignature, kSignature + 6);
  put16(out, unsigned(width));
  put16(out, unsigned(height));
  out.push_back(uint8_t(0x80 | (7 << 4) | (bits - 1)));  // global table, 8-bit colour resolution
  out.push_back(0);                                      // background index
  out.push_back(0);                                      // pixel aspect ratio not given
  putTable(out, palette, bits);
  out.push_back(0x2C);
  put16(out, 0);
  put16(out, 0);
  put16(out, unsigned(width));
  put16(out, unsigned(height));
  out.push_back(0);  // no local table, not interlaced
  out.push_back(uint8_t(lzwCodeSizeFor(palette)));
  putSubBlocks(out, codes);
  out.push_back(0x3B);
  return true;
}

int decodeGif(const uint8_t* data, size_t size, DecodedGif& out) {
  out = DecodedGif();
  if (size < 6 || data[0] != 'G' || data[1] != 'I' || data[2] != 'F') return kDecodeNotGif;
  if (size < 13) return kDecodeTruncated;
  size_t pos = 13;
  const uint8_t screenPacked = data[10];
  Palette global;
  bool hasGlobal = false;
  int globalBits = 0;
  if (screenPacked & 0x80) {
    globalBits = (screenPacked & 7) + 1;
    if (!readTable(data, size, pos, globalBits, global)) return kDecodeTruncated;
    hasGlobal = true;
  }
  for (;;) {
    if (pos >= size) return kDecodeTruncated;
    const uint8_t introducer = data[pos++];
    if (introducer == 0x3B) return kDecodeNoImage;
    if (introducer == 0x21) {
      if (pos >= size) return kDecodeTruncated;
      ++pos;  // label: every extension is skipped the same way
      if (!skipSubBlocks(data, size, pos)) return kDecodeTruncated;
      continue;
    }
    if (introducer != 0x2C) return kDecodeBadBlock;
    if (size - pos < 9) return kDecodeTruncated;
    const int width = le16(data + pos + 4), height = le16(data + pos + 6);
    const uint8_t packed = data[pos + 8];
    pos += 9;
    if (packed & 0x40) return kDecodeInterlaced;
    if (packed & 0x80) {
      out.tableBits = (packed & 7) + 1;
      if (!readTable(data, size, pos, out.tableBits, out.palette)) return kDecodeTruncated;
    } else if (hasGlobal) {
      out.tableBits = globalBits;
      out.palette = global;
    } else {
      return kDecodeNoTable;
    }
    if (pos >= size) return kDecodeTruncated;
    const int minCodeSize = data[pos++];
    std::vector<uint8_t> codes;
    for (;;) {
      if (pos >= size) return kDecodeTruncated;
      const size_t n = data[pos++];
      if (n == 0) break;
      if (size - pos < n) return kDecodeTruncated;
      codes.insert(codes.end(), data + pos, data + pos + n);
      pos += n;
    }
    const size_t count = size_t(width) * size_t(height);
    out.indices.reserve(count);
    const int r = lzwDecode(codes.data(), codes.size(), minCodeSize, count, out.indices);
    // A missing end code is tolerated when every pixel arrived, as most
    // decoders do.
    if ((r != kLzwOk && r != kLzwEndless) || out.indices.size() != count) return kDecodeBadData;
    out.width = width;
    out.height = height;
    return kDecodeOk;
  }
}

}  // namespace imgctl
