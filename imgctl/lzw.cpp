// The encoder finds "string so far + next index" through a child table
// indexed by (code, index): one load per pixel and no hashing. Only the
// cells actually filled are cleared at a table reset, so a reset costs at
// most 4096 stores, not the whole table.
//
// Code width rule shared by both directions: a code is written (read) with
// the smallest width that holds every code the decoder may already know,
// capped at 12 bits. The decoder knows one string less than the encoder
// while a code is in flight, except for the end code, which the decoder
// reads after adding the string of the last data code.
#include "imgctl/lzw.h"

#include <cstdlib>
#include <memory>
#include <new>

namespace imgctl {
namespace {

constexpr unsigned kMaxCodes = 4096;
constexpr unsigned kMaxWidth = 12;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void put(unsigned code, unsigned width) {
    acc_ |= uint64_t(code) << fill_;
    fill_ += width;
    while (fill_ >= 8) {
      out_.push_back(uint8_t(acc_));
      acc_ >>= 8;
      fill_ -= 8;
    }
  }
  void flush() {
    if (fill_ > 0) out_.push_back(uint8_t(acc_));
    acc_ = 0;
    fill_ = 0;
  }

 private:
  std::vector<uint8_t>& out_;
  uint64_t acc_ = 0;
  unsigned fill_ = 0;
};

}  // namespace

bool lzwEncode(const uint8_t* indices, size_t count, int minCodeSize, std::vector<uint8_t>& out) {
  if (minCodeSize < 2 || minCodeSize > 8) return false;
  const unsigned alphabet = 1u << minCodeSize;
  for (size_t i = 0; i < count; ++i)
    if (indices[i] >= alphabet) return false;

  const unsigned clearCode = alphabet, endCode = alphabet + 1, firstFree = alphabet + 2;
  // child[code * alphabet + index] = the code of that longer string, 0 for
  // none (no string ever gets code 0, a single index). calloc gives fresh
  // zero pages, so only the rows actually used cost anything.
  std::unique_ptr<uint16_t[], FreeDeleter> child(
      static_cast<uint16_t*>(std::calloc(size_t(kMaxCodes) * alphabet, sizeof(uint16_t))));
  if (!child) throw std::bad_alloc();
  uint32_t cellOf[kMaxCodes];  // the child cell each assigned code filled, for resets
  BitWriter bits(out);
  unsigned width = minCodeSize + 1;
  unsigned next = firstFree;
  bits.put(clearCode, width);
  if (count > 0) {
    unsigned prefix = indices[0];
    for (size_t i = 1; i < count; ++i) {
      const unsigned c = indices[i];
      const size_t cell = size_t(prefix) * alphabet + c;
      const unsigned found = child[cell];
      if (found != 0) {
        prefix = found;
        continue;
      }
      bits.put(prefix, width);
      child[cell] = uint16_t(next);
      cellOf[next] = uint32_t(cell);
      ++next;
      if (next == kMaxCodes) {
        bits.put(clearCode, width);
        for (unsigned code = firstFree; code < kMaxCodes; ++code) child[cellOf[code]] = 0;
        width = minCodeSize + 1;
        next = firstFree;
      } else if (next - 1 == (1u << width)) {
        ++width;
      }
      prefix = c;
    }
    bits.put(prefix, width);
    // The decoder adds the last data code's string before it reads the end code.
    if (next == (1u << width) && width < kMaxWidth) ++width;
  }
  bits.put(endCode, width);
  bits.flush();
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
