#include "imgctl/convert.h"

#include <cmath>
#include <new>

#include "imgctl/gif_codec.h"
#include "imgctl/quantize.h"
#include "imgctl/remap.h"

namespace imgctl {
namespace {

bool holdsAll(const Palette& candidate, const Palette& needed) {
  for (uint32_t i = 0; i < needed.count; ++i) {
    bool found = false;
    for (uint32_t k = 0; k < candidate.count && !found; ++k) found = candidate.colours[k] == needed.colours[i];
    if (!found) return false;
  }
  return true;
}

// Drops the entries no pixel uses, keeping the order of the rest, so the
// table can shrink to a smaller power of two.
void dropUnused(Palette& palette, std::vector<uint8_t>& indices) {
  bool used[256] = {};
  for (const uint8_t i : indices) used[i] = true;
  uint8_t moved[256];
  Palette kept;
  for (uint32_t i = 0; i < palette.count; ++i) {
    if (!used[i]) continue;
    moved[i] = uint8_t(kept.count);
    kept.colours[kept.count++] = palette.colours[i];
  }
  if (kept.count == palette.count) return;
  for (uint8_t& i : indices) i = moved[i];
  palette = kept;
}

// The remembered slot to reuse for a photo, or -1: of those that serve it
// well enough, the one used most, then the most recent.
int chooseRemembered(const PaletteMemory& memory, const ColourStats& stats, const Palette& fresh) {
  const double pixels = double(stats.pixelCount);
  const PaletteFit own = measurePalette(stats.colours, fresh, INFINITY, kPoorDistance);
  const double limit = own.error * kReuseErrorRatio + kReuseErrorSlack * pixels;
  int chosen = -1;
  for (int s = 0; s < memory.used; ++s) {
    const Palette& candidate = memory.slots[s];
    if (candidate.count == 0 || (chosen >= 0 && memory.uses[s] <= memory.uses[chosen])) continue;
    const PaletteFit fit = measurePalette(stats.colours, candidate, limit, kPoorDistance);
    if (fit.error > limit) continue;
    if (double(fit.poor) <= double(own.poor) + kReusePoorShare * pixels) chosen = s;
  }
  return chosen;
}

int convert(const Pixmap& picture, const PaletteMemory* memory, const ConvertOptions& options,
            std::vector<uint8_t>& gif, ConvertReport& report) {
  const size_t count = picture.pixels.size();
  std::vector<uint8_t> indices(count);
  Palette palette;
  if (exactPalette(picture, palette)) {
    report.exact = true;
    if (memory && options.reusePalettes) {
      int chosen = -1;
      for (int s = 0; s < memory->used; ++s) {
        if (memory->slots[s].count == 0 || (chosen >= 0 && memory->uses[s] <= memory->uses[chosen])) continue;
        if (holdsAll(memory->slots[s], palette)) chosen = s;
      }
      if (chosen >= 0) {
        palette = memory->slots[chosen];
        report.reusedSlot = chosen;
      }
    }
    remapExact(picture, palette, indices.data());
    report.squaredError = 0;
  } else {
    ColourStats stats;
    gatherColourStats(picture, stats);
    wuPalette(stats, 256, palette);
    refinePalette(stats, options.refinePasses, palette);
    if (memory && options.reusePalettes && memory->used > 0) {
      const int s = chooseRemembered(*memory, stats, palette);
      if (s >= 0) {
        palette = memory->slots[s];
        report.reusedSlot = s;
      }
    }
    report.squaredError = options.diffusion > 0
                              ? remapDiffused(picture, palette, options.diffusion, indices.data())
                              : remapNearest(picture, palette, indices.data());
    // A reused table stays whole: its bytes are what makes frames match.
    if (report.reusedSlot < 0) dropUnused(palette, indices);
  }
  report.palette = palette;
  if (!encodeGif(indices.data(), picture.width, picture.height, palette, gif)) return kConvertTooLarge;
  return kConvertOk;
}

}  // namespace

void rememberPalette(PaletteMemory& memory, const Palette& palette) {
  int found = -1;
  for (int s = 0; s < memory.used; ++s)
    if (samePalette(memory.slots[s], palette)) found = s;
  const uint32_t uses = found >= 0 ? memory.uses[found] + 1 : 1;
  const int last = found >= 0 ? found : (memory.used < PaletteMemory::kSlots ? memory.used++ : memory.used - 1);
  for (int s = last; s > 0; --s) {
    memory.slots[s] = memory.slots[s - 1];
    memory.uses[s] = memory.uses[s - 1];
  }
  memory.slots[0] = palette;
  memory.uses[0] = uses;
}

int pictureToGif(const Pixmap& picture, const PaletteMemory* memory, const ConvertOptions& options,
                 std::vector<uint8_t>& gif, ConvertReport& report) {
  report = ConvertReport();
  if (picture.width <= 0 || picture.height <= 0 || picture.pixels.empty()) return kConvertEmpty;
  if (uint32_t(picture.width) > kMaxSide || uint32_t(picture.height) > kMaxSide) return kConvertTooLarge;
  try {
    return convert(picture, memory, options, gif, report);
  } catch (const std::bad_alloc&) {
    return kConvertNoMemory;
  }
}

}  // namespace imgctl
