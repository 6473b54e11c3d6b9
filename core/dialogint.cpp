#include "core/dialogint.h"

#include <climits>
#include <cstdlib>

int parseDialogInt(const char* text) {
  // strtol gives atoi's reading but defines overflow (it saturates), which
  // atoi leaves undefined.
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}
