// The colour table record shared by the quantizer, the turn palette and
// the GIF encoder.
#pragma once

#include <cstdint>

namespace imgctl {

struct Palette {
  uint32_t count = 0;          // entries in use, 1..256 once filled
  uint32_t colours[256] = {};  // 0x00RRGGBB; entries from count on are 0
};

// Bits of the GIF colour table that holds count entries: the smallest n in
// 1..8 with 2^n >= count (a GIF table has at least 2 entries).
inline int tableBitsFor(uint32_t count) {
  int bits = 1;
  while (bits < 8 && (1u << bits) < count) ++bits;
  return bits;
}

inline bool samePalette(const Palette& a, const Palette& b) {
  if (a.count != b.count) return false;
  for (uint32_t i = 0; i < a.count; ++i)
    if (a.colours[i] != b.colours[i]) return false;
  return true;
}

}  // namespace imgctl
