// True-colour picture to single-image GIF: the whole conversion of the
// library, without files. A conversion's output depends on its input alone.
//
// Pictures with at most 256 colours are written exactly, their colours in
// ascending order, in the smaller of the two LZW streams that clearing a
// full table at once and clearing it only when it does worse give (lzw.h).
// Other pictures get a palette from Wu's quantizer refined by k-means, each
// pixel its nearest entry (see remap.h for the one allowance made for the
// file's size), and the second kind of stream alone.
//
// A frame of an animation is converted with a palette the caller gives
// (frameToGif): the file's global table is that palette byte for byte,
// padded as the encoder pads, so every frame made with it carries the
// identical table and the animated-GIF writer needs no local tables.
//
// Large pictures use two threads when allowed: the pixels are mapped in
// bands of rows on both threads while one of them LZW-encodes the mapped
// bands in order into one code stream, an exact picture's two streams are
// made one on each thread, and the largest pictures' colour statistics are
// gathered in two halves and added up. Each row's mapping depends on that
// row alone and the statistics are integer sums, so the bytes are the same
// on one thread or two.
#pragma once

#include <cstdint>
#include <vector>

#include "imgctl/palette.h"
#include "imgctl/pixmap.h"

namespace imgctl {

// Pictures from this size on use two threads when the options allow it.
constexpr uint64_t kTwoThreadPixels = 1u << 17;
// They gather their colour statistics on two threads only from this size:
// the second thread fills a 5 MB table of its own, and the first touches of
// its pages, made while both threads run, cost more than the half pass
// saves on smaller pictures (measured natively and under Wine: a 1024 x 768
// photo gathers in 4 ms on one thread and 11 ms on two; at 2000 x 1500 two
// threads gain a little).
constexpr uint64_t kTwoThreadStatsPixels = 1u << 21;

// A frame falls back to a palette of its own only when the shared palette
// costs it more than this much PSNR; PSNR above kPsnrCeiling counts as
// kPsnrCeiling (beyond it the difference cannot be seen, and a frame that
// its own palette keeps exact would otherwise always fall back).
constexpr double kFallbackDb = 1.0;
constexpr double kPsnrCeiling = 48.0;

struct ConvertOptions {
  int refinePasses = 2;     // k-means passes after Wu's cut
  bool twoThreads = true;   // large pictures on two threads (same bytes either way)
};

// What a conversion did, for tools and tests.
struct ConvertReport {
  Palette palette;          // the colour table written (count entries)
  bool exact = false;       // every pixel kept its colour
  bool ownPalette = false;  // frameToGif: the frame's own palette, not the shared one
  double squaredError = 0;  // sum over pixels of the squared RGB error
};

enum ConvertResult {
  kConvertOk = 1,
  kConvertEmpty = -1,       // no pixels
  kConvertTooLarge = -2,    // a side beyond what a GIF can hold
  kConvertNoMemory = -3,
  kConvertBadPalette = -4,  // frameToGif: a shared palette of 0 or more than 256 entries
};

// Converts picture to a GIF file appended to gif.
int pictureToGif(const Pixmap& picture, const ConvertOptions& options, std::vector<uint8_t>& gif,
                 ConvertReport& report);

// Converts picture with the shared palette (nearest entries; a picture whose
// colours are all in it stays exact). With allowOwn, a picture that the
// shared palette costs more than kFallbackDb against converting it alone
// (pictureToGif) is converted alone instead, and report.ownPalette says so.
int frameToGif(const Pixmap& picture, const Palette& shared, bool allowOwn, const ConvertOptions& options,
               std::vector<uint8_t>& gif, ConvertReport& report);

// PSNR of a sum of squared RGB errors over pixels (99 for none).
double psnrOf(double squaredError, uint64_t pixels);

}  // namespace imgctl
