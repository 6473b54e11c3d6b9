#include "shell/commandline.h"

#include <cwchar>

int takeCommandLinePath(const wchar_t* commandLine, wchar_t* out, size_t capacity) {
  if (capacity == 0) return -1;
  out[0] = L'\0';
  if (!commandLine) return 0;
  const wchar_t* begin = commandLine;
  size_t length = std::wcslen(commandLine);
  const wchar_t* lead = commandLine;
  while (*lead == L' ' || *lead == L'\t') ++lead;
  if (*lead == L'"') {
    begin = lead + 1;
    const wchar_t* close = std::wcschr(begin, L'"');
    length = close ? static_cast<size_t>(close - begin) : std::wcslen(begin);
  }
  if (length == 0) return 0;
  if (length >= capacity) return -1;
  std::wmemcpy(out, begin, length);
  out[length] = L'\0';
  return 1;
}
