// BMP file reader of the conversion library.
//
// Accepts the Windows BMP layouts that GDI+ and common tools write:
// BITMAPINFOHEADER (40 bytes) and its successors (52, 56, 108 = V4, 124 = V5
// bytes); 24- and 32-bit pixels (BI_RGB, or BI_BITFIELDS with the plain
// 8-8-8 masks); 1-, 4- and 8-bit pixels through a colour table; rows stored
// bottom-up (positive height) or top-down (negative height), each padded to
// a multiple of 4 bytes; 8- and 4-bit pixels run-length encoded (RLE8,
// RLE4), as Windows writes them.
//
// Refused: OS/2 headers, 16-bit pixels and embedded JPEG/PNG data
// (kBmpUnsupported), and every header or run-length stream that lies about
// the file (the other codes). Every size is computed in 64 bits and checked against the bytes
// actually present before anything is allocated, so no header can make the
// reader read past the data or allocate more than kMaxPixels pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imgctl/pixmap.h"

namespace imgctl {

enum BmpResult {
  kBmpOk = 1,
  kBmpTooShort = -1,        // fewer bytes than the two headers need
  kBmpNotBmp = -2,          // no "BM" signature
  kBmpBadHeader = -3,       // unknown header size, planes other than 1, bad bit count
  kBmpUnsupported = -4,     // a legal BMP of a kind this reader does not decode
  kBmpBadDimensions = -5,   // zero or negative width, zero height
  kBmpTooLarge = -6,        // a side above kMaxSide or more than kMaxPixels pixels
  kBmpBadPalette = -7,      // colour table larger than the bit depth allows or past the end
  kBmpBadOffset = -8,       // pixel offset inside the headers or colour table
  kBmpTruncated = -9,       // the pixel rows (or a run-length escape) end past the end of the data
  kBmpBadIndex = -10,       // a pixel names a colour table entry that does not exist
  kBmpNoMemory = -11,       // the pixel buffer could not be allocated
  kBmpBadRle = -12,         // a run, delta or row end past its row or past the last row
};

// What the header said, for the library's information query.
struct BmpInfo {
  int32_t width = 0;           // pixels
  int32_t height = 0;          // pixels, always positive
  uint16_t bitCount = 0;       // bits per pixel as stored: 1, 4, 8, 24 or 32
  uint8_t topDown = 0;         // 1 when rows were stored from the top
  uint32_t headerSize = 0;     // 40, 52, 56, 108 or 124
  uint32_t paletteEntries = 0; // colour table entries used by 1/4/8-bit pixels
};

// Decodes the BMP file held in data[0, size) into out (rows from the top).
// Returns kBmpOk, or a negative BmpResult with out left empty.
int readBmp(const uint8_t* data, size_t size, Pixmap& out, BmpInfo* info = nullptr);

// Short English name of a BmpResult, for tools and test messages.
const char* bmpResultName(int result);

}  // namespace imgctl
