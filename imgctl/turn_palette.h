// One palette for every frame of a turned picture.
//
// A turned frame shows the source's colours (resampled), the fill colour
// around it, and along the picture's outline blends of the fill with the
// source's edge colours in every proportion (bilinear edges); inside, where
// two flat colours of the source meet, blends of the two. The palette holds:
//   - entry kFillIndex: the fill colour, always, so a transparent or
//     background index picked from frame 0 names the fill in every frame;
//   - a source of at most 255 colours other than the fill: each of them
//     exactly (ascending), then blends in steps of 1/16 or coarser, as the
//     free entries allow: first the fill with each edge colour (the colours
//     on the source's border, most frequent first), then the pairs of
//     colours that meet inside the source (most frequent first);
//   - any other source: 255 entries from Wu's quantizer refined by k-means
//     over the source's pixels, the means of its 2 x 2 neighbourhoods (a
//     turned frame is resampled, so its pixels mix neighbours; with them a
//     frame loses about 0.5 dB against a palette of its own, without them
//     up to 1.3 dB) and blends of the fill with the border pixels at 1/8
//     to 7/8, one per border pixel, about as many as a frame's outline
//     shows.
// The result depends on the pixels and the fill alone.
#pragma once

#include <cstdint>

#include "imgctl/palette.h"
#include "imgctl/pixmap.h"

namespace imgctl {

constexpr uint32_t kFillIndex = 0;
constexpr int kBlendSteps = 16;  // finest blend step, 1/16

// Fills palette (1..256 entries) for turning source on fillRgb
// (0x00RRGGBB). Returns a ConvertResult: kConvertOk, kConvertEmpty,
// kConvertTooLarge or kConvertNoMemory.
int turnPalette(const Pixmap& source, uint32_t fillRgb, Palette& palette);

}  // namespace imgctl
