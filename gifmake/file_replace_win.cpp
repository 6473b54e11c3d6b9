// File operations of the writer on Windows. Paths are ANSI (code page 932)
// strings, so the A functions take them as they are. The C runtime's
// rename() refuses an existing target; MoveFileExA replaces it in one step
// and does not return before the data is on disk, so a crash cannot leave a
// half-replaced animation behind.
#include "gifmake/gifmake.h"

#include <cstdio>
#include <windows.h>

namespace giffile {

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeFile(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace giffile
