// File operations of the writer on POSIX systems (the native tree).
// rename() replaces an existing target in one step there.
#include "gifmake/gifmake.h"

#include <cstdio>
#include <sys/stat.h>

namespace giffile {

bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void removeFile(const std::string& path) { std::remove(path.c_str()); }

}  // namespace giffile
