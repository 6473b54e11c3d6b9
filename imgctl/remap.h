// Pixels to palette indices.
#pragma once

#include <cstdint>

#include "imgctl/palette.h"
#include "imgctl/pixmap.h"

namespace imgctl {

// Every pixel's colour must be in palette: each gets the index of its
// colour. Returns false when some pixel's colour is missing.
bool remapExact(const Pixmap& picture, const Palette& palette, uint8_t* indices);

// Each pixel gets its nearest entry. Returns the sum of squared errors.
double remapNearest(const Pixmap& picture, const Palette& palette, uint8_t* indices);

// Nearest entries with error diffusion limited to where it helps the eye:
// in smooth areas, where the palette's steps would show as bands, the
// rounding error is spread to the neighbours (Floyd-Steinberg weights,
// serpentine rows); on edges and texture, which hide the steps and where
// diffusion only adds noise and costs compression, it is not. strength
// (0..1) scales the diffused error. Returns the sum of squared errors.
double remapDiffused(const Pixmap& picture, const Palette& palette, float strength,
                     uint8_t* indices);

}  // namespace imgctl
