#include "imgctl/remap.h"

#include <algorithm>
#include <vector>

#include "imgctl/nearest.h"

namespace imgctl {
namespace {

constexpr uint32_t kEmpty = 0xFFFFFFFFu;

inline int luma(uint32_t c) { return int(2 * redOf(c) + 5 * greenOf(c) + blueOf(c)) >> 3; }
inline int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
inline int iabs(int v) { return v < 0 ? -v : v; }
inline int distance(int r, int g, int b, uint32_t c) {
  const int dr = r - int(redOf(c)), dg = g - int(greenOf(c)), db = b - int(blueOf(c));
  return dr * dr + dg * dg + db * db;
}

// Above this luma step between neighbours an area counts as edge or
// texture, which hides the palette's steps: no diffusion there.
constexpr int kBusyStep = 4;
// Extra squared error a pixel may take to repeat its predecessor's index
// where the eye cannot tell (edges, texture): longer runs of one index make
// the LZW strings longer and the file markedly smaller (3 to 6 % for a
// photo) for a few tenths of a decibel.
constexpr int kRunSlack = 48;
// Largest error per channel a pixel passes on: a bigger one means the
// palette has no colour near this one, and spreading it would only smear
// the miss into the surroundings.
constexpr int kMaxCarried = 24;

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

double remapNearest(const Pixmap& picture, const Palette& palette, uint8_t* indices) {
  NearestFinder finder(palette);
  const int w = picture.width, h = picture.height;
  double total = 0;
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = &picture.pixels[size_t(y) * w];
    uint8_t* out = indices + size_t(y) * w;
    uint32_t last = kEmpty, lastIndex = 0, lastDistance = 0;
    uint64_t rowTotal = 0;
    for (int x = 0; x < w; ++x) {
      const uint32_t c = row[x];
      if (c != last) {
        last = c;
        const int r = int(redOf(c)), g = int(greenOf(c)), b = int(blueOf(c));
        // As in remapDiffused: the predecessor's entry within kRunSlack
        // needs no search.
        const int previousDistance = x > 0 ? distance(r, g, b, palette.colours[out[x - 1]]) : 0;
        if (x > 0 && previousDistance <= kRunSlack) {
          lastIndex = out[x - 1];
          lastDistance = uint32_t(previousDistance);
        } else {
          lastIndex = finder.find(c, &lastDistance);
          if (x > 0 && out[x - 1] != lastIndex && previousDistance <= int(lastDistance) + kRunSlack) {
            lastIndex = out[x - 1];
            lastDistance = uint32_t(previousDistance);
          }
        }
      }
      out[x] = uint8_t(lastIndex);
      rowTotal += lastDistance;
    }
    total += double(rowTotal);
  }
  return total;
}

double remapDiffused(const Pixmap& picture, const Palette& palette, float strength,
                     uint8_t* indices) {
  const int w = picture.width, h = picture.height;
  NearestFinder finder(palette);
  // Carried error in 1/16 units, per channel, with a guard cell each side.
  std::vector<int> here(3 * size_t(w + 2), 0), below(3 * size_t(w + 2), 0);
  // Luma of the rows above, at and below the current one.
  std::vector<int> lumaUp(w), lumaRow(w), lumaDown(w);
  // Share of the error each pixel passes on, out of 16 * kBusyStep.
  std::vector<int> share(w);
  const int scale = int(strength * 16.0f + 0.5f);
  for (int x = 0; x < w; ++x) lumaRow[x] = luma(picture.pixels[x]);
  lumaUp = lumaRow;
  double total = 0;
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = &picture.pixels[size_t(y) * w];
    if (y + 1 < h) {
      for (int x = 0; x < w; ++x) lumaDown[x] = luma(row[w + x]);
    } else {
      lumaDown = lumaRow;
    }
    // How busy each pixel's neighbourhood is decides how much error moves on.
    for (int x = 0; x < w; ++x) {
      const int y0 = lumaRow[x];
      int busy = std::max(iabs(lumaUp[x] - y0), iabs(lumaDown[x] - y0));
      if (x > 0) busy = std::max(busy, iabs(lumaRow[x - 1] - y0));
      if (x + 1 < w) busy = std::max(busy, iabs(lumaRow[x + 1] - y0));
      share[x] = busy >= kBusyStep ? 0 : scale * (kBusyStep - busy);
    }
    const bool reverse = (y & 1) != 0;
    const int step = reverse ? -1 : 1;
    std::fill(below.begin(), below.end(), 0);
    uint64_t rowTotal = 0;
    // The last query and its answer: in busy areas nothing is carried, and
    // neighbours often ask for the same colour.
    int lastR = -1, lastG = -1, lastB = -1;
    uint32_t lastFound = 0, lastDistance = 0;
    for (int k = 0; k < w; ++k) {
      const int x = reverse ? w - 1 - k : k;
      const uint32_t c = row[x];
      const int* e = &here[3 * size_t(x + 1)];
      const int r = clampByte(int(redOf(c)) + e[0] / 16);
      const int g = clampByte(int(greenOf(c)) + e[1] / 16);
      const int b = clampByte(int(blueOf(c)) + e[2] / 16);
      const int weight = share[x];
      // A busy pixel may repeat its predecessor's entry when that costs at
      // most kRunSlack more than the nearest. An entry already within
      // kRunSlack qualifies whatever the nearest is, so no search is needed.
      uint32_t previous = 256;
      int previousDistance = 0;
      if (weight == 0 && k > 0) {
        previous = indices[size_t(y) * w + (x - step)];
        previousDistance = distance(r, g, b, palette.colours[previous]);
      }
      uint32_t i;
      if (previous < 256 && previousDistance <= kRunSlack) {
        i = previous;
      } else {
        if (r != lastR || g != lastG || b != lastB) {
          lastFound = finder.find(r, g, b, &lastDistance);
          lastR = r;
          lastG = g;
          lastB = b;
        }
        i = lastFound;
        if (previous < 256 && previous != i && previousDistance <= int(lastDistance) + kRunSlack) i = previous;
      }
      indices[size_t(y) * w + x] = uint8_t(i);
      const uint32_t chosen = palette.colours[i];
      const int cr = int(redOf(chosen)), cg = int(greenOf(chosen)), cb = int(blueOf(chosen));
      const int dr0 = int(redOf(c)) - cr, dg0 = int(greenOf(c)) - cg, db0 = int(blueOf(c)) - cb;
      rowTotal += uint32_t(dr0 * dr0 + dg0 * dg0 + db0 * db0);
      if (weight == 0) continue;
      const int diff[3] = {std::clamp(r - cr, -kMaxCarried, kMaxCarried),
                           std::clamp(g - cg, -kMaxCarried, kMaxCarried),
                           std::clamp(b - cb, -kMaxCarried, kMaxCarried)};
      int* ahead = &here[3 * size_t(x + 1 + step)];
      int* belowBehind = &below[3 * size_t(x + 1 - step)];
      int* belowHere = &below[3 * size_t(x + 1)];
      int* belowAhead = &below[3 * size_t(x + 1 + step)];
      for (int ch = 0; ch < 3; ++ch) {
        const int d = diff[ch] * weight / kBusyStep;  // error in 1/16 units
        ahead[ch] += d * 7 / 16;
        belowBehind[ch] += d * 3 / 16;
        belowHere[ch] += d * 5 / 16;
        belowAhead[ch] += d * 1 / 16;
      }
    }
    total += double(rowTotal);
    here.swap(below);
    lumaUp.swap(lumaRow);
    lumaRow.swap(lumaDown);
  }
  return total;
}

}  // namespace imgctl
