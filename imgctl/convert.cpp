#include "imgctl/convert.h"

#include <cmath>
#include <new>

#include "imgctl/gif_codec.h"
#include "imgctl/palette_memory.h"
#include "imgctl/quantize.h"
#include "imgctl/remap.h"

namespace imgctl {
namespace {

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

int convert(const Pixmap& picture, const PaletteMemory* memory, const ConvertOptions& options,
            std::vector<uint8_t>& gif, ConvertReport& report) {
  const size_t count = picture.pixels.size();
  std::vector<uint8_t> indices(count);
  Palette palette;
  const bool remembering = memory && options.reusePalettes && memory->used > 0;
  if (exactPalette(picture, palette)) {
    report.exact = true;
    const Palette own = palette;
    if (remembering) {
      const int s = rememberedHoldingAll(*memory, palette);
      if (s >= 0) {
        palette = memory->slots[s];
        report.reusedSlot = s;
      } else {
        report.aligned = alignWithLead(picture, memory->slots[leadingSlot(*memory)], true, palette);
      }
    }
    if (!remapExact(picture, palette, indices.data())) {
      palette = own;  // only if a remembered table lost a colour: never expected
      report.reusedSlot = -1;
      report.aligned = false;
      remapExact(picture, palette, indices.data());
    }
    report.squaredError = 0;
  } else {
    ColourStats stats;
    gatherColourStats(picture, stats);
    wuPalette(stats, 256, palette);
    refinePalette(stats, options.refinePasses, palette);
    if (remembering) {
      const int s = rememberedServing(*memory, stats, palette);
      if (s >= 0) {
        palette = memory->slots[s];
        report.reusedSlot = s;
      } else {
        report.aligned = alignWithLead(picture, memory->slots[leadingSlot(*memory)], false, palette);
      }
    }
    report.squaredError = options.diffusion > 0
                              ? remapDiffused(picture, palette, options.diffusion, indices.data())
                              : remapNearest(picture, palette, indices.data());
    // A reused or aligned table keeps its entries where they are: its
    // indices are what makes frames match.
    if (report.reusedSlot < 0 && !report.aligned) dropUnused(palette, indices);
  }
  report.palette = palette;
  if (!encodeGif(indices.data(), picture.width, picture.height, palette, gif)) return kConvertTooLarge;
  return kConvertOk;
}

}  // namespace

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
