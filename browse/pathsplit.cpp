#include "browse/pathsplit.h"

#include <cwchar>

long lastBackslash(const wchar_t* path) {
  const wchar_t* found = std::wcsrchr(path, L'\\');
  return found ? static_cast<long>(found - path) : -1;
}
