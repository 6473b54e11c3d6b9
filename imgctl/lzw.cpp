// The encoder finds "string so far + next index" in a small open-addressing
// hash table keyed by (code, index): 8192 words (32 KB) stay in the cache,
// where a table indexed by code and index (2 MB for 8-bit indices) missed
// it on most pixels. A reset clears the 32 KB.
//
// The table fills up to code 4095; the clear code goes out when the next
// string would need code 4096, as most encoders do.
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
constexpr unsigned kHashSize = 8192;  // a power of two, at most half full
constexpr uint32_t kFree = 0xFFFFFFFFu;

// A table word: the key (prefix code << 8 | index, 20 bits) above the
// string's code (12 bits).
inline unsigned slotOf(uint32_t key) { return (key * 2654435761u) >> (32 - 13); }

}  // namespace

struct LzwEncoder::State {
  uint32_t table[kHashSize];
};

LzwEncoder::LzwEncoder(int minCodeSize, std::vector<uint8_t>& out)
    : out_(out), state_(new State), minCodeSize_(unsigned(minCodeSize)) {
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
  while (fill_ >= 8) {
    out_.push_back(uint8_t(acc_));
    acc_ >>= 8;
    fill_ -= 8;
  }
}

void LzwEncoder::add(const uint8_t* indices, size_t count) {
  uint32_t* table = state_->table;
  const unsigned clearCode = alphabet_;
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
      table[s] = (key << 12) | next_;
      ++next_;
      if (next_ - 1 == (1u << width_) && width_ < kMaxWidth) ++width_;
    } else {
      put(clearCode);
      std::memset(table, 0xFF, sizeof state_->table);
      width_ = minCodeSize_ + 1;
      next_ = alphabet_ + 2;
    }
    prefix = c;
  }
  prefix_ = prefix;
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

bool lzwEncode(const uint8_t* indices, size_t count, int minCodeSize, std::vector<uint8_t>& out) {
  if (minCodeSize < 2 || minCodeSize > 8) return false;
  for (size_t i = 0; i < count; ++i)
    if (indices[i] >= (1u << minCodeSize)) return false;
  LzwEncoder encoder(minCodeSize, out);
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
