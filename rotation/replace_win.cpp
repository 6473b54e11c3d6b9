// Saves never write into the file they replace. The new file is written
// under a temporary name in the target's own folder and moved over the
// target only once complete, because:
//   - a failing encoder or conversion must not leave a half-written or
//     truncated file where the user's confirmed target was;
//   - the target may be the shown picture, whose file the decoder may still
//     hold open: writing into it directly could destroy the original while
//     failing, whereas a refused move leaves it whole;
//   - the same folder means the same volume, so the move is a rename.
// (GIF files come from the conversion library, which does the same itself.)
#include <cwchar>

#include "rotation/rotation.h"

namespace {

const wchar_t tempPrefixW[] = L"qbs";

}  // namespace

bool makeSiblingTemp(const wchar_t* target, wchar_t* temp) {
  temp[0] = L'\0';
  if (!target || !target[0]) return false;
  wchar_t folder[MAX_PATH];
  const wchar_t* slash = std::wcsrchr(target, L'\\');
  const wchar_t* other = std::wcsrchr(target, L'/');
  if (other && (!slash || other > slash)) slash = other;
  if (!slash) {
    std::wcscpy(folder, L".");
  } else {
    size_t length = static_cast<size_t>(slash - target);
    if (length == 0 || target[length - 1] == L':') ++length;  // keep the root's own '\'
    if (length >= MAX_PATH) return false;
    std::wmemcpy(folder, target, length);
    folder[length] = L'\0';
  }
  if (GetTempFileNameW(folder, tempPrefixW, 0, temp) == 0) {
    temp[0] = L'\0';
    return false;
  }
  return true;
}

bool replaceWithTemp(const wchar_t* temp, const wchar_t* target) {
  if (MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileW(temp);
  return false;
}
