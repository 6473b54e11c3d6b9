// Single-image GIF files: the encoder the library writes with, and a small
// decoder that reads back what any encoder writes (first image only), used
// by the tools and tests to check pixels.
//
// Written layout: "GIF89a"; logical screen = image size; global colour table
// of 2^tableBitsFor(count) entries (colour resolution 8 bits, not sorted,
// background index 0, aspect 0; entries past count are black); one image
// descriptor at 0, 0 without local table or interlace; LZW minimum code
// size max(2, table bits); data in sub-blocks of 255 bytes (the last one
// shorter); the zero terminator and the trailer 0x3B. No extension blocks:
// the animated-GIF writer copies the table and data and adds its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imgctl/palette.h"

namespace imgctl {

// Appends the GIF file of a width x height picture of palette indices to
// out. Returns false (out unchanged) when a side is not 1..65535, the palette
// is empty or larger than 256, or an index is not below palette.count.
bool encodeGif(const uint8_t* indices, int width, int height, const Palette& palette,
               std::vector<uint8_t>& out);

// The LZW minimum code size the encoder uses with palette: max(2, table bits).
int lzwCodeSizeFor(const Palette& palette);

// Appends the GIF file around codes, a finished LZW code stream (clear
// first, end last) of width x height indices below palette.count with code
// size lzwCodeSizeFor(palette). Returns false (out unchanged) for the sizes
// and palettes encodeGif refuses.
bool writeGifBlocks(int width, int height, const Palette& palette, const std::vector<uint8_t>& codes,
                    std::vector<uint8_t>& out);

struct DecodedGif {
  int width = 0, height = 0;    // of the first image
  Palette palette;              // the table that image uses (local if it has one)
  int tableBits = 0;            // bits of that table as stored
  std::vector<uint8_t> indices; // width * height, rows from the top
};

enum GifDecodeResult {
  kDecodeOk = 1,
  kDecodeNotGif = -1,      // no "GIF" signature
  kDecodeTruncated = -2,   // a block ends past the data
  kDecodeBadBlock = -3,    // unknown block introducer before the first image
  kDecodeNoImage = -4,     // trailer before any image
  kDecodeNoTable = -5,     // the image has no colour table at all
  kDecodeBadData = -6,     // LZW data undecodable or too short for the image
  kDecodeInterlaced = -7,  // interlaced images are not decoded here
};

// Decodes the first image of the GIF file in data[0, size).
int decodeGif(const uint8_t* data, size_t size, DecodedGif& out);

}  // namespace imgctl
