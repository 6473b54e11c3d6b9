// The encoder finds "string so far + next index" in a small open-addressing
// hash table keyed by (code, index): 16384 words (64 KB) stay in the cache,
// where a table indexed by code and index (2 MB for 8-bit indices) missed
// it on most pixels. At most a quarter full, it ends a photo's many misses
// after fewer probes than 8192 words did (the LZW pass of a 1024 x 768
// photo: 8.0 -> 6.7 ms natively, 9.7 -> 8.6 ms under Wine; a screenshot,
// mostly hits, 3.3 -> 3.5 ms). A reset clears the 64 KB.
//
// The table fills up to code 4095. When the next string would need code
// 4096, kLzwClearWhenFull sends the clear code at once. kLzwClearWhenWorse
// keeps the full table and watches what it costs: every kWatchStep pixels
// it compares the bits per pixel of the codes of the last kWatchPixels
// pixels (fewer just after the fill) with the bits per pixel the table took
// to fill, and clears as soon as the full table does worse, since a fresh
// table would cost about as much as the last one did to fill. A table
// filled from bars, grid lines and backgrounds then serves hundreds of
// rows that repeat them (a 1024 x 768 screenshot: 18 % smaller), and a
// photo, where a full table soon stops matching, still clears a few
// thousand pixels after the fill, where the table has gone stale rather
// than where it happens to fill (the benchmark's photos and smooth
// pictures: from 0.2 % larger to 2.7 % smaller). It is a guess, and can
// lose a little (a shaded drawing: 0.9 % larger), so the exact pictures,
// whose encoding is cheap, are encoded both ways (convert.cpp). The window
// is short enough that a photo does not keep a stale table long, and long
// enough that one odd row (a dotted grid line) does not throw away a table
// the next rows need. The counts are integers, so both builds write the
// same bytes.
//
// Wine's GDI+, whose GIF decoder comes from an old giflib, goes on
// redefining the last code, 4095, with every code it reads from a full
// table, so it misreads 4095 itself there, and only it (it refused a
// photo). An encoder that keeps a full table therefore never sends code
// 4095: it counts the code, as decoders do, but never looks it up.
//
// Code width rule shared by both directions: a code is written (read) with
// the smallest width that holds every code the decoder may already know,
// capped at 12 bits. The decoder knows one string less than the encoder
// while a code is in flight, except for the end code (or a segment's closing
// clear code), which the decoder reads after adding the string of the last
// data code.
#include "imgctl/lzw.h"

#include <cstring>

namespace imgctl {
namespace {

constexpr unsigned kMaxCodes = 4096;
constexpr unsigned kMaxWidth = 12;
constexpr unsigned kHashSize = 16384;  // a power of two, at most a quarter full
constexpr uint32_t kFree = 0xFFFFFFFFu;
constexpr uint64_t kWatchPixels = 4096;  // the window a full table is judged on
constexpr uint64_t kWatchStep = 1024;    // pixels between two looks at it
constexpr unsigned kWatchMarks = unsigned(kWatchPixels / kWatchStep) + 1;

// A table word: the key (prefix code << 8 | index, 20 bits) above the
// string's code (12 bits).
inline unsigned slotOf(uint32_t key) { return (key * 2654435761u) >> (32 - 14); }

}  // namespace

// A watch mark: how many pixels had been taken and bits put at a look.
struct WatchMark {
  uint64_t position, bits;
};

struct LzwEncoder::State {
  uint32_t table[kHashSize];
  // The looks at the full table since it filled, oldest first; the first
  // is the fill itself.
  WatchMark marks[kWatchMarks];
  unsigned markCount = 0;
};

LzwEncoder::LzwEncoder(int minCodeSize, std::vector<uint8_t>& out, LzwClearPolicy policy)
    : out_(out), state_(new State), policy_(policy), minCodeSize_(unsigned(minCodeSize)) {
  alphabet_ = 1u << minCodeSize_;
  std::memset(state_->table, 0xFF, sizeof state_->table);
  width_ = minCodeSize_ + 1;
  next_ = alphabet_ + 2;
  put(alphabet_);  // clear code first
}

LzwEncoder::~LzwEncoder() { delete state_; }

void LzwEncoder::put(unsigned code) {
  acc_ |= uint64_t(code) << fill_;
  fill_ += width_;
  bits_ += width_;
  while (fill_ >= 8) {
    out_.push_back(uint8_t(acc_));
    acc_ >>= 8;
    fill_ -= 8;
  }
}

// Sends the clear code and empties the table; position is the index of the
// pixel that starts the next string.
void LzwEncoder::clear(uint64_t position) {
  put(alphabet_);
  std::memset(state_->table, 0xFF, sizeof state_->table);
  width_ = minCodeSize_ + 1;
  next_ = alphabet_ + 2;
  startPosition_ = position;
  startBits_ = bits_;
}

// Called with the table full, after each code put: whether a look is due
// and finds the full table's recent codes dearer per pixel than the fill's.
bool LzwEncoder::fullTableWorse(uint64_t position) {
  State& s = *state_;
  if (position - s.marks[s.markCount - 1].position < kWatchStep) return false;
  if (s.markCount == kWatchMarks) {
    std::memmove(s.marks, s.marks + 1, sizeof s.marks[0] * (kWatchMarks - 1));
    --s.markCount;
  }
  s.marks[s.markCount++] = WatchMark{position, bits_};
  // window bits / window pixels > fill bits / fill pixels, in integers. A
  // string is under 4096 pixels, so the window spans under 2^15 pixels
  // and 2^19 bits, the fill under 2^24 pixels and 2^16 bits: the products
  // stay far below 2^64.
  const WatchMark& oldest = s.marks[0];
  return (bits_ - oldest.bits) * fillPixels_ > fillBits_ * (position - oldest.position);
}

void LzwEncoder::add(const uint8_t* indices, size_t count) {
  uint32_t* table = state_->table;
  size_t i = 0;
  if (!started_ && count > 0) {
    prefix_ = indices[0];
    started_ = true;
    i = 1;
  }
  unsigned prefix = prefix_;
  for (; i < count; ++i) {
    const unsigned c = indices[i];
    const uint32_t key = (uint32_t(prefix) << 8) | c;
    unsigned s = slotOf(key);
    uint32_t word;
    while ((word = table[s]) != kFree && (word >> 12) != key) s = (s + 1) & (kHashSize - 1);
    if (word != kFree) {
      prefix = word & 0xFFF;
      continue;
    }
    put(prefix);
    if (next_ < kMaxCodes) {
      if (next_ < kMaxCodes - 1 || policy_ == kLzwClearWhenFull) table[s] = (key << 12) | next_;
      ++next_;
      if (next_ - 1 == (1u << width_) && width_ < kMaxWidth) ++width_;
      if (next_ == kMaxCodes) {
        const uint64_t position = taken_ + i;
        fillPixels_ = position - startPosition_;
        fillBits_ = bits_ - startBits_;
        state_->marks[0] = WatchMark{position, bits_};
        state_->markCount = 1;
      }
    } else if (policy_ == kLzwClearWhenFull || fullTableWorse(taken_ + i)) {
      clear(taken_ + i);
    }
    prefix = c;
  }
  prefix_ = prefix;
  taken_ += count;
}

void LzwEncoder::finish() {
  if (started_) {
    put(prefix_);
    // The decoder adds the last data code's string before it reads the end
    // code.
    if (next_ < kMaxCodes && next_ == (1u << width_) && width_ < kMaxWidth) ++width_;
  }
  put(alphabet_ + 1);
  if (fill_ > 0) out_.push_back(uint8_t(acc_));
  acc_ = 0;
  fill_ = 0;
}

bool lzwEncode(const uint8_t* indices, size_t count, int minCodeSize, std::vector<uint8_t>& out,
               LzwClearPolicy policy) {
  if (minCodeSize < 2 || minCodeSize > 8) return false;
  for (size_t i = 0; i < count; ++i)
    if (indices[i] >= (1u << minCodeSize)) return false;
  LzwEncoder encoder(minCodeSize, out, policy);
  encoder.add(indices, count);
  encoder.finish();
  return true;
}

int lzwDecode(const uint8_t* data, size_t size, int minCodeSize, size_t maxCount,
              std::vector<uint8_t>& out) {
  if (minCodeSize < 2 || minCodeSize > 8) return kLzwBadCodeSize;
  const unsigned clearCode = 1u << minCodeSize, endCode = clearCode + 1, firstFree = clearCode + 2;
  uint16_t prefixOf[kMaxCodes];
  uint8_t suffixOf[kMaxCodes];
  uint8_t firstOf[kMaxCodes];
  uint8_t stack[kMaxCodes];
  for (unsigned c = 0; c < clearCode; ++c) {
    prefixOf[c] = 0;
    suffixOf[c] = uint8_t(c);
    firstOf[c] = uint8_t(c);
  }
  unsigned width = minCodeSize + 1, next = firstFree;
  int prev = -1;
  size_t produced = 0;
  uint64_t acc = 0;
  unsigned fill = 0;
  size_t pos = 0;
  for (;;) {
    while (fill < width && pos < size) {
      acc |= uint64_t(data[pos++]) << fill;
      fill += 8;
    }
    if (fill < width) return kLzwEndless;
    const unsigned code = unsigned(acc & ((1u << width) - 1));
    acc >>= width;
    fill -= width;

    if (code == clearCode) {
      width = minCodeSize + 1;
      next = firstFree;
      prev = -1;
      continue;
    }
    if (code == endCode) return kLzwOk;

    unsigned length = 0;
    if (prev < 0) {
      if (code >= clearCode) return kLzwBadCode;
      stack[length++] = uint8_t(code);
    } else {
      unsigned walk;
      uint8_t first;
      if (code < next) {
        walk = code;
        first = firstOf[code];
      } else if (code == next && next < kMaxCodes) {
        // The string being defined: previous string + its own first index.
        walk = unsigned(prev);
        first = firstOf[prev];
        stack[length++] = first;
      } else {
        return kLzwBadCode;
      }
      while (walk >= firstFree) {
        stack[length++] = suffixOf[walk];
        walk = prefixOf[walk];
      }
      stack[length++] = uint8_t(walk);
      if (next < kMaxCodes) {
        prefixOf[next] = uint16_t(prev);
        suffixOf[next] = first;
        firstOf[next] = firstOf[prev];
        ++next;
        if (next == (1u << width) && width < kMaxWidth) ++width;
      }
    }
    if (produced + length > maxCount) return kLzwTooMuch;
    for (unsigned i = length; i > 0; --i) out.push_back(stack[i - 1]);
    produced += length;
    prev = int(code);
  }
}

}  // namespace imgctl
