#include "picture/filetype.h"

#include <cstring>
#include <cwchar>

namespace {

// The order matters: positions 5..7 fold to JPEG and 8 to TIFF, so the first
// five positions are exactly the FileType codes.
const char* const classifyList[9] = {"jpg", "gif", "png", "tif", "bmp",
                                     "jpeg", "jpe", "jfif", "tiff"};

}  // namespace

const char* const dropExtensions[7] = {"jpg", "jpeg", "jpe", "jfif",
                                       "gif", "png", "bmp"};

int matchExtension(const wchar_t* path, const char* const* list, int count) {
  if (!path) return -1;
  const wchar_t* dot = std::wcsrchr(path, L'.');
  if (!dot) return -1;
  const wchar_t* ext = dot + 1;
  size_t len = std::wcslen(ext);
  for (int i = 0; i < count; ++i) {
    const char* entry = list[i];
    if (std::strlen(entry) != len) continue;
    size_t k = 0;
    while (k < len) {
      wchar_t c = ext[k];
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
      if (c != static_cast<unsigned char>(entry[k])) break;
      ++k;
    }
    if (k == len) return i;
  }
  return -1;
}

int classifyExtension(const wchar_t* path) {
  int pos = matchExtension(path, classifyList, 9);
  if (pos >= 5 && pos <= 7) return FileTypeJpeg;
  if (pos == 8) return FileTypeTiff;
  return pos;
}
