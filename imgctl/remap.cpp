#include "imgctl/remap.h"

#include <algorithm>
#include <vector>

#include "imgctl/nearest.h"

namespace imgctl {
namespace {

constexpr uint32_t kEmpty = 0xFFFFFFFFu;

inline int distance(int r, int g, int b, uint32_t c) {
  const int dr = r - int(redOf(c)), dg = g - int(greenOf(c)), db = b - int(blueOf(c));
  return dr * dr + dg * dg + db * db;
}

}  // namespace

bool remapExact(const Pixmap& picture, const Palette& palette, uint8_t* indices) {
  constexpr size_t kSlots = 512;
  uint32_t keys[kSlots];
  uint8_t values[kSlots];
  std::fill(keys, keys + kSlots, kEmpty);
  for (uint32_t i = 0; i < palette.count; ++i) {
    const uint32_t c = palette.colours[i];
    size_t s = (c * 2654435761u) >> 23;
    while (keys[s] != kEmpty && keys[s] != c) s = (s + 1) & (kSlots - 1);
    if (keys[s] == kEmpty) {  // a repeated entry keeps its first index
      keys[s] = c;
      values[s] = uint8_t(i);
    }
  }
  uint32_t last = kEmpty;
  uint8_t lastIndex = 0;
  const size_t n = picture.pixels.size();
  for (size_t p = 0; p < n; ++p) {
    const uint32_t c = picture.pixels[p];
    if (c != last) {
      size_t s = (c * 2654435761u) >> 23;
      while (keys[s] != kEmpty && keys[s] != c) s = (s + 1) & (kSlots - 1);
      if (keys[s] != c) return false;
      last = c;
      lastIndex = values[s];
    }
    indices[p] = lastIndex;
  }
  return true;
}

uint64_t remapNearestRows(const Pixmap& picture, const Palette& palette, const NearestFinder& finder,
                          int firstRow, int endRow, uint8_t* indices) {
  const int w = picture.width;
  uint64_t total = 0;
  for (int y = firstRow; y < endRow; ++y) {
    const uint32_t* row = &picture.pixels[size_t(y) * w];
    uint8_t* out = indices + size_t(y) * w;
    uint32_t last = kEmpty, lastIndex = 0, lastDistance = 0;
    for (int x = 0; x < w; ++x) {
      const uint32_t c = row[x];
      if (c != last) {
        last = c;
        const int r = int(redOf(c)), g = int(greenOf(c)), b = int(blueOf(c));
        // out[x - 1] is lastIndex.
        const int previousDistance = x > 0 ? distance(r, g, b, palette.colours[lastIndex]) : kRunSlackBase + 1;
        if (previousDistance <= kRunSlackBase) {
          // Within the slack whatever the nearest entry is: no search.
          lastDistance = uint32_t(previousDistance);
        } else {
          uint32_t nearestDistance;
          const uint32_t nearest = finder.findShared(r, g, b, &nearestDistance);
          const int slack = std::min(int(nearestDistance), kRunSlackCap) + kRunSlackBase;
          if (x > 0 && nearest != lastIndex && previousDistance <= int(nearestDistance) + slack) {
            lastDistance = uint32_t(previousDistance);
          } else {
            lastIndex = nearest;
            lastDistance = nearestDistance;
          }
        }
      }
      out[x] = uint8_t(lastIndex);
      total += lastDistance;
    }
  }
  return total;
}

std::vector<uint32_t> nearestCellsOf(const Pixmap& picture) {
  std::vector<uint8_t> seen(NearestFinder::kCells, 0);
  std::vector<uint32_t> cells;
  uint32_t last = kEmpty;
  for (const uint32_t c : picture.pixels) {
    if (c == last) continue;
    last = c;
    const uint32_t cell = NearestFinder::cellOf(c);
    if (seen[cell]) continue;
    seen[cell] = 1;
    cells.push_back(cell);
  }
  return cells;
}

double remapNearest(const Pixmap& picture, const Palette& palette, uint8_t* indices) {
  NearestFinder finder(palette);
  finder.prepare(nearestCellsOf(picture), nullptr);
  return double(remapNearestRows(picture, palette, finder, 0, picture.height, indices));
}

}  // namespace imgctl
