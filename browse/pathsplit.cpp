#include "browse/pathsplit.h"

bool isLeadByteCp932(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

long lastBackslash(const char* path, LeadByteTest isLead) {
  long found = -1;
  for (long i = 0; path[i] != '\0'; ++i) {
    unsigned char byte = static_cast<unsigned char>(path[i]);
    if (isLead(byte)) {
      // Skip the trail byte, unless the string ends inside the pair.
      if (path[i + 1] == '\0') break;
      ++i;
      continue;
    }
    if (byte == '\\') found = i;
  }
  return found;
}
