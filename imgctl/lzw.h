// GIF's variant of LZW, both directions.
//
// Codes start one bit wider than the minimum code size m (2..8): code 2^m is
// the clear code, 2^m + 1 the end code, new strings get codes from 2^m + 2.
// The width grows by one bit as soon as the next code to be assigned no
// longer fits, up to 12 bits. Once the 4096 codes are used up, the decoder
// keeps reading 12-bit codes from the full table, adding nothing, until a
// clear code starts the table over. Codes are packed least significant bit
// first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imgctl {

// When the encoder starts the table over once its 4096 codes are used up.
enum LzwClearPolicy {
  // At once, as most encoders do.
  kLzwClearWhenFull,
  // Only when the full table has begun to cost more bits per pixel than
  // filling it did (lzw.cpp says how that is measured). Pictures that
  // repeat themselves, such as screenshots and flat drawings, keep a table
  // that still serves them; photos start over about as often as before.
  kLzwClearWhenWorse,
};

// Compresses count palette indices (each below 2^minCodeSize) into the LZW
// code stream, clear code first and end code last, appended to out. Returns
// false (out unchanged) when minCodeSize is not 2..8 or an index is too large.
bool lzwEncode(const uint8_t* indices, size_t count, int minCodeSize, std::vector<uint8_t>& out,
               LzwClearPolicy policy = kLzwClearWhenWorse);

// The same in pieces: add() the indices in order, any number at a time,
// then finish(); the bytes appended to out are lzwEncode's for the whole.
// The caller checks the code size (2..8) and the indices. Throws
// std::bad_alloc.
class LzwEncoder {
 public:
  LzwEncoder(int minCodeSize, std::vector<uint8_t>& out, LzwClearPolicy policy = kLzwClearWhenWorse);
  ~LzwEncoder();
  LzwEncoder(const LzwEncoder&) = delete;
  LzwEncoder& operator=(const LzwEncoder&) = delete;
  void add(const uint8_t* indices, size_t count);
  void finish();

 private:
  struct State;
  void put(unsigned code);
  void clear(uint64_t position);
  bool fullTableWorse(uint64_t position);

  std::vector<uint8_t>& out_;
  State* state_;           // the 64 KB string table and the watch marks
  const LzwClearPolicy policy_;
  unsigned minCodeSize_, alphabet_, width_, next_;
  unsigned prefix_ = 0;    // the code of the string so far
  bool started_ = false;   // a first index has been taken
  uint64_t acc_ = 0;       // bits not yet written, fill_ of them
  unsigned fill_ = 0;
  uint64_t taken_ = 0;     // indices added before the current add()
  uint64_t bits_ = 0;      // bits of every code put so far
  uint64_t startPosition_ = 0, startBits_ = 0;  // where the table last started over
  uint64_t fillPixels_ = 0, fillBits_ = 0;      // what filling it last took
};

enum LzwDecodeResult {
  kLzwOk = 1,
  kLzwBadCodeSize = -1,  // minimum code size not 2..8
  kLzwBadCode = -2,      // a code that is neither in the table nor the next one
  kLzwTooMuch = -3,      // more pixels than expected
  kLzwEndless = -4,      // the data ended before the end code
};

// Expands an LZW code stream into at most maxCount indices appended to out.
// Accepts what other encoders write: a clear code at any point, a full table
// kept until the next clear ("deferred clear"). Pixels decoded before a
// failure stay in out.
int lzwDecode(const uint8_t* data, size_t size, int minCodeSize, size_t maxCount,
              std::vector<uint8_t>& out);

}  // namespace imgctl
