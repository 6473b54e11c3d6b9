#include <string>

#include "core/dialogint.h"
#include "core/dialogs.h"

int readDialogNumberText(HWND dialog, int controlId, std::string* text) {
  HWND edit = GetDlgItem(dialog, controlId);
  int length = static_cast<int>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0));
  if (length <= 0) return 0;
  std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
  // The edit is not empty, so a copy of no characters is a failed read.
  if (GetDlgItemTextW(dialog, controlId, &typed[0], length + 1) <= 0) return -1;
  // Only ASCII can be part of a number; any other character ends it, as a
  // double-byte character did in the ANSI text.
  text->clear();
  for (size_t i = 0; i < typed.size() && typed[i]; ++i)
    *text += typed[i] < 0x80 ? static_cast<char>(typed[i]) : '?';
  return 1;
}

int readDialogInt(HWND dialog, int controlId, int* out) {
  std::string text;
  int result = readDialogNumberText(dialog, controlId, &text);
  if (result == 1) *out = parseDialogInt(text.c_str());
  return result;
}

void setDialogNumberText(HWND dialog, int controlId, const char* text) {
  std::wstring wide(text, text + std::char_traits<char>::length(text));
  SetDlgItemTextW(dialog, controlId, wide.c_str());
}
