// The palette memory's decisions, used by the conversion (convert.cpp):
// which remembered palette a new picture may reuse, and how a palette of
// its own is lined up with the remembered one. See convert.h for the rules.
#pragma once

#include "imgctl/convert.h"
#include "imgctl/quantize.h"

namespace imgctl {

// The slot an exact picture (colours = its exact palette) reuses: one
// holding every colour, the most used of those, then the most recent; -1.
int rememberedHoldingAll(const PaletteMemory& memory, const Palette& colours);

// The slot a photo reuses, given its fresh palette: one serving it within
// the reuse bounds, the most used of those, then the most recent; -1.
int rememberedServing(const PaletteMemory& memory, const ColourStats& stats, const Palette& fresh);

// The slot new palettes line up with: the most used, then the most recent;
// -1 when the memory is empty.
int leadingSlot(const PaletteMemory& memory);

// Lines palette up with lead when at least half of the picture's pixels
// have colours that lead holds exactly (so the picture continues lead's
// sequence; for any other picture nothing changes and false is returned):
//   exact: lead's table is kept and the picture's other colours take the
//          free entries or those of lead's colours the picture lacks, so the
//          picture stays exact and every shared colour keeps its index;
//   photo: each of lead's colours present in the picture pulls the nearest
//          fresh entry to exactly that colour and to that colour's index.
// A transparent or background index picked from the first frame then still
// names its colour in frames that could not reuse the first frame's table.
bool alignWithLead(const Pixmap& picture, const Palette& lead, bool exact, Palette& palette);

}  // namespace imgctl
