// Helpers of the GIF core tests: small GIF files built byte by byte, so that
// every block a test relies on is spelled out in the test. The tests that go
// through files use the support library's scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "gifmake/gifmake.h"
#include "tests/support/files.h"

namespace giftest {

inline std::string u16(unsigned v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

inline std::string byte(unsigned v) { return std::string(1, static_cast<char>(v & 0xFF)); }

// "GIF" + version + logical screen descriptor.
inline std::string header(unsigned width, unsigned height, unsigned packed, unsigned background = 0,
                          unsigned aspect = 0, const char* version = "89a") {
  return std::string("GIF") + version + u16(width) + u16(height) + byte(packed) + byte(background) +
         byte(aspect);
}

// A colour table of 2^bits entries whose bytes follow from seed, so that two
// tables with different seeds differ in every entry.
inline std::string table(int bits, unsigned seed) {
  std::string t;
  for (int i = 0; i < (3 << bits); i++) t += byte(seed * 7 + static_cast<unsigned>(i) * 13);
  return t;
}

inline std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Data split into sub-blocks of at most 255 bytes, with the 0 terminator.
inline std::string subBlocks(const std::string& data) {
  std::string out;
  for (size_t at = 0; at < data.size(); at += 255) {
    std::string part = data.substr(at, 255);
    out += byte(static_cast<unsigned>(part.size())) + part;
  }
  return out + byte(0);
}

inline std::string graphicControl(unsigned packed, unsigned delay, unsigned transparent) {
  return "\x21\xF9\x04" + byte(packed) + u16(delay) + byte(transparent) + byte(0);
}

inline std::string netscapeLoop(unsigned loopCount) {
  return std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16) + u16(loopCount) + byte(0);
}

inline std::string comment(const std::string& text) { return "\x21\xFE" + subBlocks(text); }

// Image descriptor, local table (when given), LZW minimum code size and the
// data as sub-blocks. The data need not decode: the core copies it.
inline std::string image(unsigned left, unsigned top, unsigned width, unsigned height, unsigned packed,
                         const std::string& localTable, const std::string& data, unsigned lzwMin = 8) {
  return "\x2C" + u16(left) + u16(top) + u16(width) + u16(height) + byte(packed) + localTable +
         byte(lzwMin) + subBlocks(data);
}

const std::string trailer = "\x3B";

// Distinct pseudo-random payload, as LZW data would look.
inline std::string payload(size_t n, unsigned seed) {
  std::string s;
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; i++) {
    x = x * 1664525u + 1013904223u;
    s += static_cast<char>(x >> 24);
  }
  return s;
}

// A single-frame file as the conversion library writes them: a global table
// of `bits`, one image at 0,0 with no local table.
inline std::string frameFile(unsigned width, unsigned height, int bits, unsigned seed,
                             const std::string& data, unsigned headerSort = 0) {
  return header(width, height, 0x80 | (7 << 4) | (headerSort << 3) | (bits - 1)) + table(bits, seed) +
         image(0, 0, width, height, 0x00, "", data) + trailer;
}

// Parses bytes held in memory; the result of the last step run.
inline int parse(const std::string& bytes, GifFile& file) {
  std::istringstream in(bytes);
  return readGifFile(in, file);
}

} // namespace giftest
