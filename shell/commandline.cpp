#include "shell/commandline.h"

#include <cstring>

int takeCommandLinePath(const char* commandLine, char* out, size_t capacity) {
  if (capacity == 0) return -1;
  out[0] = '\0';
  if (!commandLine) return 0;
  const char* begin = commandLine;
  size_t length = std::strlen(commandLine);
  const char* lead = commandLine;
  while (*lead == ' ' || *lead == '\t') ++lead;
  if (*lead == '"') {
    begin = lead + 1;
    const char* close = std::strchr(begin, '"');
    length = close ? static_cast<size_t>(close - begin) : std::strlen(begin);
  }
  if (length == 0) return 0;
  if (length >= capacity) return -1;
  std::memcpy(out, begin, length);
  out[length] = '\0';
  return 1;
}
