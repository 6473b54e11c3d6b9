#include "imgctl/turn_palette.h"

#include <algorithm>
#include <map>
#include <new>
#include <utility>
#include <vector>

#include "imgctl/convert.h"
#include "imgctl/quantize.h"

namespace imgctl {
namespace {

// (1 - t) a + t b with t = k / steps, each channel rounded.
uint32_t blend(uint32_t a, uint32_t b, int k, int steps) {
  auto mix = [&](uint32_t x, uint32_t y) { return (x * uint32_t(steps - k) + y * uint32_t(k) + uint32_t(steps / 2)) / uint32_t(steps); };
  return packRgb(mix(redOf(a), redOf(b)), mix(greenOf(a), greenOf(b)), mix(blueOf(a), blueOf(b)));
}

// Calls visit(colour) for each pixel on the source's border, once each.
template <typename Visit>
void forBorder(const Pixmap& s, Visit visit) {
  const int w = s.width, h = s.height;
  for (int x = 0; x < w; ++x) {
    visit(s.pixels[size_t(x)]);
    if (h > 1) visit(s.pixels[size_t(h - 1) * w + x]);
  }
  for (int y = 1; y + 1 < h; ++y) {
    visit(s.pixels[size_t(y) * w]);
    if (w > 1) visit(s.pixels[size_t(y) * w + w - 1]);
  }
}

// Keys by count, most frequent first, then by key.
template <typename Key>
std::vector<Key> byFrequency(const std::map<Key, uint64_t>& counts) {
  std::vector<std::pair<uint64_t, Key>> order;
  for (const auto& kv : counts) order.push_back({kv.second, kv.first});
  std::sort(order.begin(), order.end(), [](const std::pair<uint64_t, Key>& a, const std::pair<uint64_t, Key>& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  std::vector<Key> keys;
  for (const auto& p : order) keys.push_back(p.second);
  return keys;
}

class Builder {
 public:
  explicit Builder(Palette& p) : p_(p) {}
  bool full() const { return p_.count >= 256; }
  uint32_t room() const { return 256 - p_.count; }
  void add(uint32_t c) {
    if (full() || std::find(p_.colours, p_.colours + p_.count, c) != p_.colours + p_.count) return;
    p_.colours[p_.count++] = c;
  }
  // Blends of a and b at the inner steps of the finest spacing (1/16 down
  // to 1/2) that gives every pair its share of the room left.
  void addBlends(const std::vector<std::pair<uint32_t, uint32_t>>& pairs) {
    if (pairs.empty() || full()) return;
    int steps = kBlendSteps;
    while (steps > 2 && uint64_t(steps - 1) * pairs.size() > room()) steps /= 2;
    for (const auto& ab : pairs)
      for (int k = 1; k < steps; ++k) add(blend(ab.first, ab.second, k, steps));
  }

 private:
  Palette& p_;
};

void fewColours(const Pixmap& source, uint32_t fill, const Palette& colours, Palette& palette) {
  Builder out(palette);
  out.add(fill);
  for (uint32_t i = 0; i < colours.count; ++i) out.add(colours.colours[i]);

  std::map<uint32_t, uint64_t> edge;
  forBorder(source, [&](uint32_t c) {
    if (c != fill) ++edge[c];
  });
  std::vector<std::pair<uint32_t, uint32_t>> pairs;
  for (const uint32_t c : byFrequency(edge)) pairs.push_back({fill, c});
  out.addBlends(pairs);

  std::map<std::pair<uint32_t, uint32_t>, uint64_t> meet;
  const int w = source.width, h = source.height;
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = &source.pixels[size_t(y) * w];
    for (int x = 0; x < w; ++x) {
      const uint32_t c = row[x];
      if (x + 1 < w && row[x + 1] != c) ++meet[std::minmax(c, row[x + 1])];
      if (y + 1 < h && row[x + w] != c) ++meet[std::minmax(c, row[x + w])];
    }
  }
  out.addBlends(byFrequency(meet));
}

void manyColours(const Pixmap& source, uint32_t fill, Palette& palette) {
  // Turned frames are resampled: most of their pixels mix neighbours of the
  // source. Beside the source's own pixels, the means of 2 x 2 neighbours
  // stand for them (every other one on large sources); then the outline's
  // blends: each border pixel once, 1/8 to 7/8 of the way to the fill in
  // turn, about as many blended pixels as a frame's outline shows.
  std::vector<uint32_t> extra;
  const int w = source.width, h = source.height;
  const int step = source.pixels.size() > (size_t(1) << 20) ? 2 : 1;
  extra.reserve(size_t(w / step + 1) * size_t(h / step + 1) + 2 * size_t(w + h));
  for (int y = 0; y + 1 < h; y += step) {
    const uint32_t* a = &source.pixels[size_t(y) * w];
    const uint32_t* b = a + w;
    for (int x = 0; x + 1 < w; x += step) {
      const uint32_t r = redOf(a[x]) + redOf(a[x + 1]) + redOf(b[x]) + redOf(b[x + 1]);
      const uint32_t g = greenOf(a[x]) + greenOf(a[x + 1]) + greenOf(b[x]) + greenOf(b[x + 1]);
      const uint32_t bl = blueOf(a[x]) + blueOf(a[x + 1]) + blueOf(b[x]) + blueOf(b[x + 1]);
      extra.push_back(packRgb((r + 2) / 4, (g + 2) / 4, (bl + 2) / 4));
    }
  }
  int k = 0;
  forBorder(source, [&](uint32_t c) {
    extra.push_back(blend(c, fill, 1 + k, 8));
    k = (k + 1) % 7;
  });
  ColourStats stats;
  gatherColourStats(source.pixels.data(), source.pixels.size(), extra.data(), extra.size(), stats,
                    source.pixels.size() + extra.size() >= kTwoThreadStatsPixels);
  Palette quantized;
  wuPalette(stats, 255, quantized);
  refinePalette(stats, ConvertOptions().refinePasses, quantized);
  Builder out(palette);
  out.add(fill);
  for (uint32_t i = 0; i < quantized.count; ++i) out.add(quantized.colours[i]);
}

}  // namespace

int turnPalette(const Pixmap& source, uint32_t fillRgb, Palette& palette) {
  palette = Palette();
  if (source.width <= 0 || source.height <= 0 || source.pixels.size() != size_t(source.width) * size_t(source.height) ||
      source.pixels.empty())
    return kConvertEmpty;
  if (uint32_t(source.width) > kMaxSide || uint32_t(source.height) > kMaxSide) return kConvertTooLarge;
  const uint32_t fill = fillRgb & 0xFFFFFF;
  try {
    Palette colours;
    const bool few = exactPalette(source, colours) &&
                     colours.count - (std::binary_search(colours.colours, colours.colours + colours.count, fill) ? 1 : 0) <= 255;
    if (few) {
      fewColours(source, fill, colours, palette);
    } else {
      manyColours(source, fill, palette);
    }
  } catch (const std::bad_alloc&) {
    palette = Palette();
    return kConvertNoMemory;
  }
  return kConvertOk;
}

}  // namespace imgctl
