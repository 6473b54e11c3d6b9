// How an LZW code stream uses its table, read with the width rule alone:
// where it clears and how many codes it sends while the table is full, so
// that tests can tell a stream that keeps a full table from one that
// clears it at once, whichever decoder then reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imgctl_test {

struct LzwShape {
  std::vector<size_t> clearsAt;  // the pixel each clear code comes before (the opening one: 0)
  size_t codesOnFullTable = 0;   // data codes read while all 4096 codes were defined
  size_t lastCodeOnFullTable = 0;  // of them, code 4095 (which some decoders misread there)
  size_t pixels = 0;             // pixels the data codes stand for
  bool ended = false;            // the end code came before the data ran out
};

inline LzwShape lzwShapeOf(const std::vector<uint8_t>& codes, int minCodeSize) {
  LzwShape shape;
  const unsigned clear = 1u << minCodeSize, end = clear + 1;
  unsigned width = unsigned(minCodeSize) + 1, next = clear + 2;
  int prev = -1;
  std::vector<size_t> length(4096, 1);  // of each code's string
  for (size_t bit = 0; bit + width <= codes.size() * 8;) {
    unsigned code = 0;
    for (unsigned k = 0; k < width; ++k, ++bit) code |= unsigned((codes[bit / 8] >> (bit % 8)) & 1) << k;
    if (code == clear) {
      shape.clearsAt.push_back(shape.pixels);
      width = unsigned(minCodeSize) + 1;
      next = clear + 2;
      prev = -1;
      continue;
    }
    if (code == end) {
      shape.ended = true;
      break;
    }
    if (next >= 4096) {
      ++shape.codesOnFullTable;
      if (code == 4095) ++shape.lastCodeOnFullTable;
    }
    if (prev < 0 || code < next) {
      shape.pixels += length[code];
    } else {
      shape.pixels += length[size_t(prev)] + 1;  // the string being defined
    }
    if (prev >= 0 && next < 4096) length[next++] = length[size_t(prev)] + 1;
    if (next == (1u << width) && width < 12) ++width;
    prev = int(code);
  }
  return shape;
}

// The LZW data of a single-image GIF as the library writes it (no
// extensions, no local table): the sub-blocks joined, and the minimum code
// size in minCodeSize.
inline std::vector<uint8_t> gifCodes(const std::vector<uint8_t>& gif, int& minCodeSize) {
  std::vector<uint8_t> codes;
  minCodeSize = 0;
  size_t pos = 13 + 3 * (size_t(1) << ((gif[10] & 7) + 1)) + 10;  // header, table, image descriptor
  if (pos >= gif.size()) return codes;
  minCodeSize = gif[pos++];
  while (pos < gif.size() && gif[pos] != 0) {
    const size_t n = gif[pos++];
    if (gif.size() - pos < n) break;
    codes.insert(codes.end(), gif.begin() + pos, gif.begin() + pos + n);
    pos += n;
  }
  return codes;
}

}  // namespace imgctl_test
