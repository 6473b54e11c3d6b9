// BMP layout, all numbers little-endian:
//   file header   14 bytes: "BM", file size (ignored: writers get it wrong
//                 and nothing depends on it), 4 reserved bytes, pixel offset
//   info header   biSize bytes: width, height (negative = top-down), planes,
//                 bit count, compression, image size (ignored, often 0 or
//                 wrong), two resolutions (ignored), colours used,
//                 colours important (ignored), then for V2 and later the
//                 colour masks
//   masks         12 bytes after a 40-byte header when compression is
//                 BI_BITFIELDS
//   colour table  4 bytes per entry (blue, green, red, unused)
//   pixels        at the pixel offset, each row padded to 4 bytes; or, for
//                 RLE8 (8-bit) and RLE4 (4-bit), a run-length stream, always
//                 bottom-up, of byte pairs:
//                   n > 0, v    n pixels of index v (RLE4: v's two nibbles
//                               in turn, high first)
//                   0, 0        end of the row: on to the next row's start
//                   0, 1        end of the picture
//                   0, 2, dx, dy  skip dx pixels right and dy rows on
//                   0, n >= 3   n indices follow as stored (RLE4: n nibbles),
//                               padded to an even number of bytes
//                 Pixels the stream skips (delta, end of row or picture
//                 early) take colour table entry 0, as a plain BMP's zero
//                 bytes would.
#include "imgctl/bmp_reader.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace imgctl {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool knownHeaderSize(uint32_t s) { return s == 40 || s == 52 || s == 56 || s == 108 || s == 124; }

// Decodes rows of 1, 4 or 8 bits through the colour table. Returns false
// when a pixel names an entry past the table.
bool decodeIndexed(const uint8_t* rows, uint64_t stride, int bits, const uint32_t* table,
                   uint32_t entries, bool topDown, Pixmap& out) {
  const int w = out.width, h = out.height;
  const unsigned mask = (1u << bits) - 1;
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = rows + stride * uint64_t(topDown ? y : h - 1 - y);
    uint32_t* dst = &out.pixels[size_t(y) * size_t(w)];
    for (int x = 0; x < w; ++x) {
      unsigned bitPos = unsigned(x) * unsigned(bits);
      unsigned shift = 8 - bits - (bitPos & 7);
      unsigned index = (src[bitPos >> 3] >> shift) & mask;
      if (index >= entries) return false;
      dst[x] = table[index];
    }
  }
  return true;
}

// Decodes an RLE8 (bits 8) or RLE4 (bits 4) stream data[0, size) into out,
// which holds entry 0 everywhere beforehand. Every run, delta and absolute
// block must stay inside its row and the picture: a stream that says
// otherwise lies about the picture and is refused whole.
int decodeRle(const uint8_t* data, size_t size, int bits, const uint32_t* table, uint32_t entries,
              Pixmap& out) {
  const uint32_t w = uint32_t(out.width), h = uint32_t(out.height);
  uint32_t x = 0, y = 0;  // y counts stored rows, from the bottom
  size_t pos = 0;
  auto put = [&](uint32_t index) {
    out.pixels[size_t(h - 1 - y) * w + x++] = table[index];
  };
  for (;;) {
    if (size - pos < 2) return y >= h && pos == size ? kBmpOk : kBmpTruncated;
    const uint32_t n = data[pos], v = data[pos + 1];
    pos += 2;
    if (n > 0) {
      if (y >= h || n > w - x) return kBmpBadRle;
      const uint32_t hi = bits == 8 ? v : v >> 4, lo = bits == 8 ? v : v & 15;
      if (hi >= entries || (n > 1 && lo >= entries)) return kBmpBadIndex;
      for (uint32_t k = 0; k < n; ++k) put(k & 1 ? lo : hi);
    } else if (v == 0) {
      if (y >= h) return kBmpBadRle;
      x = 0;
      ++y;
    } else if (v == 1) {
      return kBmpOk;
    } else if (v == 2) {
      if (size - pos < 2) return kBmpTruncated;
      const uint32_t dx = data[pos], dy = data[pos + 1];
      pos += 2;
      if (dx > w - x || (dy > 0 && dy >= h - y) || y >= h) return kBmpBadRle;
      x += dx;
      y += dy;
    } else {
      const size_t bytes = bits == 8 ? v : (v + 1) / 2;
      const size_t padded = (bytes + 1) & ~size_t(1);
      if (size - pos < padded) return kBmpTruncated;
      if (y >= h || v > w - x) return kBmpBadRle;
      for (uint32_t k = 0; k < v; ++k) {
        const uint32_t index = bits == 8 ? data[pos + k] : (data[pos + k / 2] >> (k & 1 ? 0 : 4)) & 15;
        if (index >= entries) return kBmpBadIndex;
        put(index);
      }
      pos += padded;
    }
  }
}

void decodeDirect(const uint8_t* rows, uint64_t stride, int bytesPerPixel, bool topDown,
                  Pixmap& out) {
  const int w = out.width, h = out.height;
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = rows + stride * uint64_t(topDown ? y : h - 1 - y);
    uint32_t* dst = &out.pixels[size_t(y) * size_t(w)];
    for (int x = 0; x < w; ++x, src += bytesPerPixel) dst[x] = packRgb(src[2], src[1], src[0]);
  }
}

}  // namespace

int readBmp(const uint8_t* data, size_t size, Pixmap& out, BmpInfo* info) {
  out = Pixmap();
  if (size < 18) return kBmpTooShort;
  if (data[0] != 'B' || data[1] != 'M') return kBmpNotBmp;
  const uint32_t pixelOffset = le32(data + 10);
  const uint32_t headerSize = le32(data + 14);
  // 12 is the OS/2 core header, 64 the OS/2 2.x one: real formats, not ours.
  if (headerSize == 12 || headerSize == 64) return kBmpUnsupported;
  if (!knownHeaderSize(headerSize)) return kBmpBadHeader;
  if (uint64_t(14) + headerSize > size) return kBmpTooShort;

  const uint8_t* h = data + 14;
  const int32_t width = int32_t(le32(h + 4));
  const int32_t rawHeight = int32_t(le32(h + 8));
  const uint16_t planes = le16(h + 12);
  const uint16_t bitCount = le16(h + 14);
  const uint32_t compression = le32(h + 16);
  const uint32_t coloursUsed = le32(h + 32);

  if (planes != 1) return kBmpBadHeader;
  // Bit count 0 goes with embedded JPEG/PNG data, 16 with 5-5-5/5-6-5 pixels.
  if (bitCount == 0 || bitCount == 16) return kBmpUnsupported;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
    return kBmpBadHeader;
  const bool rle = compression == kBiRle8 || compression == kBiRle4;
  if (compression != kBiRgb && compression != kBiBitfields && !rle) {
    // 4, 5 JPEG/PNG; 6 alpha bit fields: legal but not decoded.
    return compression <= 6 ? kBmpUnsupported : kBmpBadHeader;
  }
  if (rle && bitCount != (compression == kBiRle8 ? 8 : 4)) return kBmpBadHeader;
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return kBmpBadDimensions;
  const bool topDown = rawHeight < 0;
  // Run-length streams are bottom-up by definition; a top-down one is a lie.
  if (rle && topDown) return kBmpBadHeader;
  const int64_t height = topDown ? -int64_t(rawHeight) : int64_t(rawHeight);
  if (uint64_t(width) > kMaxSide || uint64_t(height) > kMaxSide ||
      uint64_t(width) * uint64_t(height) > kMaxPixels)
    return kBmpTooLarge;

  // Where the colour masks and the colour table lie.
  uint64_t tableStart = 14 + uint64_t(headerSize);
  if (compression == kBiBitfields) {
    if (bitCount != 32) return kBmpBadHeader;  // bit fields only make sense for 16/32
    const uint8_t* masks = h + 40;
    if (headerSize == 40) {
      if (tableStart + 12 > size) return kBmpTooShort;
      masks = data + tableStart;
      tableStart += 12;
    }
    if (le32(masks) != 0x00FF0000u || le32(masks + 4) != 0x0000FF00u || le32(masks + 8) != 0x000000FFu)
      return kBmpUnsupported;
  }

  uint32_t entries = 0;
  uint32_t table[256];
  if (bitCount <= 8) {
    const uint32_t most = 1u << bitCount;
    entries = coloursUsed == 0 ? most : coloursUsed;
    if (entries > most) return kBmpBadPalette;
    if (tableStart + 4 * uint64_t(entries) > size) return kBmpBadPalette;
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t* e = data + tableStart + 4 * i;
      table[i] = packRgb(e[2], e[1], e[0]);
    }
    if (pixelOffset < tableStart + 4 * uint64_t(entries)) return kBmpBadOffset;
  } else if (pixelOffset < tableStart) {
    // A 24/32-bit file may carry an optional colour table (even one with
    // more than 256 entries); only the offset tells where pixels begin.
    return kBmpBadOffset;
  }

  const uint64_t stride = ((uint64_t(width) * bitCount + 31) / 32) * 4;
  const uint64_t lastRowBytes = (uint64_t(width) * bitCount + 7) / 8;
  // The last row's padding may be missing: no pixel lives there, and some
  // writers drop it. Any missing pixel byte refuses the file.
  const uint64_t needed =
      rle ? uint64_t(pixelOffset) + 2 : uint64_t(pixelOffset) + stride * uint64_t(height - 1) + lastRowBytes;
  if (needed > size) return kBmpTruncated;

  Pixmap pic;
  pic.width = width;
  pic.height = int32_t(height);
  try {
    pic.pixels.resize(size_t(uint64_t(width) * uint64_t(height)));
  } catch (const std::bad_alloc&) {
    return kBmpNoMemory;
  } catch (const std::length_error&) {
    return kBmpNoMemory;
  }
  const uint8_t* rows = data + pixelOffset;
  if (rle) {
    std::fill(pic.pixels.begin(), pic.pixels.end(), table[0]);
    const int r = decodeRle(rows, size - pixelOffset, bitCount, table, entries, pic);
    if (r != kBmpOk) return r;
  } else if (bitCount <= 8) {
    if (!decodeIndexed(rows, stride, bitCount, table, entries, topDown, pic)) return kBmpBadIndex;
  } else {
    decodeDirect(rows, stride, bitCount / 8, topDown, pic);
  }
  if (info) {
    info->width = pic.width;
    info->height = pic.height;
    info->bitCount = bitCount;
    info->topDown = topDown ? 1 : 0;
    info->headerSize = headerSize;
    info->paletteEntries = entries;
  }
  out = std::move(pic);
  return kBmpOk;
}

const char* bmpResultName(int result) {
  switch (result) {
    case kBmpOk: return "ok";
    case kBmpTooShort: return "too short";
    case kBmpNotBmp: return "not a BMP file";
    case kBmpBadHeader: return "bad header";
    case kBmpUnsupported: return "unsupported BMP kind";
    case kBmpBadDimensions: return "bad dimensions";
    case kBmpTooLarge: return "picture too large";
    case kBmpBadPalette: return "bad colour table";
    case kBmpBadOffset: return "bad pixel offset";
    case kBmpTruncated: return "truncated pixel data";
    case kBmpBadIndex: return "colour index out of range";
    case kBmpNoMemory: return "out of memory";
    case kBmpBadRle: return "runs outside the picture";
  }
  return "unknown";
}

}  // namespace imgctl
