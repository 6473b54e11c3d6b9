// True-colour picture to single-image GIF: the whole conversion of the
// library, without files or threads.
//
// Pictures with at most 256 colours are written exactly. Other pictures
// get a palette from Wu's quantizer refined by k-means, and each pixel its
// nearest entry, with error diffusion only in smooth areas.
//
// Frames of one animation must not flicker, and the animated-GIF writer
// needs every frame to carry the very same colour table so that one global
// table serves them all and an index picked from the first frame names the
// same colour in every frame. So the library remembers the palettes of its
// last few conversions (PaletteMemory) and reuses one, byte for byte, when
// it still serves the new picture well:
//   - a picture of at most 256 colours reuses a remembered palette only if
//     that palette holds every one of its colours (it stays exact);
//   - a photo reuses a remembered palette when its squared error on the
//     photo is within kReuseErrorRatio of the fresh palette's error (plus
//     kReuseErrorSlack per pixel), and it leaves no more than
//     kReusePoorShare of the pixels further than kPoorDistance from every
//     entry beyond what the fresh palette does. A turned frame is softer
//     than the frame the palette was made for (each pixel is interpolated),
//     so a palette of its own fits it about 25 % better; the ratio leaves
//     room for that, while a foreign photo's palette is typically several
//     times worse.
// A picture that cannot reuse a remembered palette but is mostly made of the
// exact colours of the leading one (a turned logo on its fill colour: the
// first frame is exact, later frames gain blended edges) gets a palette of
// its own lined up with it: every shared colour keeps its index, so a
// transparent or background index still names the same colour.
// The fresh palette is always computed first, so a picture unrelated to
// every remembered palette converts exactly as it would on its own, and
// converting the same picture twice gives the same bytes (the remembered
// palette is then its own). Several slots keep a save on one thread from
// breaking the run of frames converted on another; when more than one
// remembered palette would do, the one used by the most conversions wins
// (the running animation's), then the most recent.
#pragma once

#include <cstdint>
#include <vector>

#include "imgctl/palette.h"
#include "imgctl/pixmap.h"

namespace imgctl {

constexpr double kReuseErrorRatio = 1.4;  // about 1.5 dB of PSNR
constexpr double kReuseErrorSlack = 1.0;      // squared RGB distance per pixel
constexpr uint32_t kPoorDistance = 3 * 20 * 20;
constexpr double kReusePoorShare = 0.002;

struct PaletteMemory {
  static constexpr int kSlots = 3;
  int used = 0;                 // slots filled, most recent first
  Palette slots[kSlots];
  uint32_t uses[kSlots] = {};   // conversions that wrote each slot's palette
};

// Puts palette first in memory, counting one more use of it (moving it up
// if it is already there).
void rememberPalette(PaletteMemory& memory, const Palette& palette);

struct ConvertOptions {
  int refinePasses = 2;          // k-means passes after Wu's cut
  float diffusion = 0.75f;       // error diffusion strength in smooth areas, 0 = none
  bool reusePalettes = true;     // consult the palette memory at all
};

// What a conversion did, for the palette memory, tools and tests.
struct ConvertReport {
  Palette palette;         // the colour table written (count entries)
  bool exact = false;      // every pixel kept its colour
  int reusedSlot = -1;     // the memory slot reused, -1 for a palette of its own
  bool aligned = false;    // a palette of its own, lined up with a remembered one
  double squaredError = 0; // sum over pixels of the squared RGB error
};

enum ConvertResult {
  kConvertOk = 1,
  kConvertEmpty = -1,     // no pixels
  kConvertTooLarge = -2,  // a side beyond what a GIF can hold
  kConvertNoMemory = -3,
};

// Converts picture to a GIF file appended to gif. memory may be null (no
// reuse); it is only read here: the caller remembers report.palette
// afterwards (under its own lock when threads share the memory).
int pictureToGif(const Pixmap& picture, const PaletteMemory* memory, const ConvertOptions& options,
                 std::vector<uint8_t>& gif, ConvertReport& report);

}  // namespace imgctl
