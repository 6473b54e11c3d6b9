#include "imgctl/palette_memory.h"

#include <algorithm>
#include <cmath>

namespace imgctl {
namespace {

constexpr uint32_t kEmpty = 0xFFFFFFFFu;

// A colour-to-index set for one palette (the first of repeated entries).
class EntrySet {
 public:
  explicit EntrySet(const Palette& p) {
    std::fill(keys_, keys_ + kSlots, kEmpty);
    for (uint32_t i = 0; i < p.count; ++i) {
      size_t s = slotOf(p.colours[i]);
      while (keys_[s] != kEmpty && keys_[s] != p.colours[i]) s = (s + 1) & (kSlots - 1);
      if (keys_[s] == kEmpty) {
        keys_[s] = p.colours[i];
        values_[s] = uint8_t(i);
      }
    }
  }
  // Index of colour, or -1.
  int find(uint32_t colour) const {
    size_t s = slotOf(colour);
    while (keys_[s] != kEmpty) {
      if (keys_[s] == colour) return values_[s];
      s = (s + 1) & (kSlots - 1);
    }
    return -1;
  }

 private:
  static constexpr size_t kSlots = 512;
  static size_t slotOf(uint32_t c) { return (c * 2654435761u) >> 23; }
  uint32_t keys_[kSlots];
  uint8_t values_[kSlots];
};

// Pixels of exactly each of lead's colours; returns their total.
uint64_t countExactUses(const Pixmap& picture, const Palette& lead, uint64_t counts[256]) {
  const EntrySet set(lead);
  std::fill(counts, counts + 256, 0);
  uint32_t last = kEmpty;
  int lastIndex = -1;
  uint64_t total = 0;
  for (const uint32_t c : picture.pixels) {
    if (c != last) {
      last = c;
      lastIndex = set.find(c);
    }
    if (lastIndex >= 0) {
      ++counts[lastIndex];
      ++total;
    }
  }
  return total;
}

uint32_t squaredDistance(uint32_t a, uint32_t b) {
  const int dr = int(redOf(a)) - int(redOf(b)), dg = int(greenOf(a)) - int(greenOf(b)),
            db = int(blueOf(a)) - int(blueOf(b));
  return uint32_t(dr * dr + dg * dg + db * db);
}

void alignExact(const Palette& lead, const uint64_t counts[256], Palette& palette) {
  const EntrySet inLead(lead);
  Palette out = lead;
  bool taken[256] = {};
  for (uint32_t k = 0; k < lead.count; ++k) taken[k] = counts[k] > 0;
  int free = 255;
  for (uint32_t i = 0; i < palette.count; ++i) {
    const uint32_t c = palette.colours[i];
    if (inLead.find(c) >= 0) continue;
    if (out.count < 256) {
      taken[out.count] = true;
      out.colours[out.count++] = c;
      continue;
    }
    // The table is full: take an entry of lead's that this picture does not
    // use, from the end. There is always one, since the picture has at most
    // 256 colours.
    while (free >= 0 && taken[free]) --free;
    if (free < 0) break;  // cannot happen; the caller checks the result anyway
    out.colours[free] = c;
    taken[free] = true;
  }
  palette = out;
}

void alignFresh(const Palette& lead, const uint64_t counts[256], Palette& fresh) {
  // Lead's colours present in the picture, heaviest first.
  uint32_t order[256];
  uint32_t present = 0;
  for (uint32_t k = 0; k < lead.count; ++k)
    if (counts[k] > 0) order[present++] = k;
  std::stable_sort(order, order + present, [&](uint32_t a, uint32_t b) { return counts[a] > counts[b]; });

  int target[256];
  std::fill(target, target + 256, -1);
  uint32_t size = fresh.count;
  for (uint32_t n = 0; n < present && n < fresh.count; ++n) {
    const uint32_t k = order[n];
    int best = -1;
    uint32_t bestDistance = 0;
    for (uint32_t j = 0; j < fresh.count; ++j) {
      if (target[j] >= 0) continue;
      const uint32_t d = squaredDistance(fresh.colours[j], lead.colours[k]);
      if (best < 0 || d < bestDistance) {
        best = int(j);
        bestDistance = d;
      }
    }
    fresh.colours[best] = lead.colours[k];
    target[best] = int(k);
    size = std::max(size, k + 1);
  }
  Palette out;
  out.count = size;
  bool placed[256] = {};
  for (uint32_t j = 0; j < fresh.count; ++j) {
    if (target[j] < 0) continue;
    out.colours[target[j]] = fresh.colours[j];
    placed[target[j]] = true;
  }
  uint32_t next = 0;
  for (uint32_t j = 0; j < fresh.count; ++j) {
    if (target[j] >= 0) continue;
    while (placed[next]) ++next;
    out.colours[next] = fresh.colours[j];
    placed[next] = true;
  }
  // Indices no fresh entry filled (lead's colours beyond the fresh count)
  // keep lead's colours: harmless, and the table stays closer to lead's.
  for (uint32_t k = 0; k < size; ++k)
    if (!placed[k]) out.colours[k] = lead.colours[k];
  fresh = out;
}

}  // namespace

int rememberedHoldingAll(const PaletteMemory& memory, const Palette& colours) {
  int chosen = -1;
  for (int s = 0; s < memory.used; ++s) {
    if (memory.slots[s].count == 0 || (chosen >= 0 && memory.uses[s] <= memory.uses[chosen])) continue;
    const EntrySet set(memory.slots[s]);
    bool all = true;
    for (uint32_t i = 0; i < colours.count && all; ++i) all = set.find(colours.colours[i]) >= 0;
    if (all) chosen = s;
  }
  return chosen;
}

int rememberedServing(const PaletteMemory& memory, const ColourStats& stats, const Palette& fresh) {
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

int leadingSlot(const PaletteMemory& memory) {
  int lead = -1;
  for (int s = 0; s < memory.used; ++s)
    if (memory.slots[s].count > 0 && (lead < 0 || memory.uses[s] > memory.uses[lead])) lead = s;
  return lead;
}

bool alignWithLead(const Pixmap& picture, const Palette& lead, bool exact, Palette& palette) {
  uint64_t counts[256];
  const uint64_t covered = countExactUses(picture, lead, counts);
  if (covered * 2 < picture.pixels.size()) return false;
  if (exact) {
    alignExact(lead, counts, palette);
  } else {
    alignFresh(lead, counts, palette);
  }
  return true;
}

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

}  // namespace imgctl
