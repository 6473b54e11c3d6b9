#include "picture/filetype.h"

#include <cctype>
#include <cstring>

namespace {

// The order matters: positions 5..7 fold to JPEG and 8 to TIFF, so the first
// five positions are exactly the FileType codes.
const char* const classifyList[9] = {"jpg", "gif", "png", "tif", "bmp",
                                     "jpeg", "jpe", "jfif", "tiff"};

}  // namespace

const char* const dropExtensions[7] = {"jpg", "jpeg", "jpe", "jfif",
                                       "gif", "png", "bmp"};

int matchExtension(const char* path, const char* const* list, int count) {
  if (!path) return -1;
  const char* dot = std::strrchr(path, '.');
  if (!dot) return -1;
  const char* ext = dot + 1;
  size_t len = std::strlen(ext);
  for (int i = 0; i < count; ++i) {
    const char* entry = list[i];
    if (std::strlen(entry) != len) continue;
    size_t k = 0;
    while (k < len &&
           std::tolower(static_cast<unsigned char>(ext[k])) ==
               static_cast<unsigned char>(entry[k]))
      ++k;
    if (k == len) return i;
  }
  return -1;
}

int classifyExtension(const char* path) {
  int pos = matchExtension(path, classifyList, 9);
  if (pos >= 5 && pos <= 7) return FileTypeJpeg;
  if (pos == 8) return FileTypeTiff;
  return pos;
}
