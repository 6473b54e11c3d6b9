#include <cstdlib>

#include "core/dialogint.h"
#include "core/dialogs.h"

int readDialogInt(HWND dialog, int controlId, int* out) {
  HWND edit = GetDlgItem(dialog, controlId);
  int length = static_cast<int>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
  if (length <= 0) return 0;
  char* text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
  if (!text) return -1;
  int result = -1;
  text[0] = '\0';
  // The edit is not empty, so a copy of no characters is a failed read.
  if (GetDlgItemTextA(dialog, controlId, text, length + 1) > 0) {
    text[length] = '\0';
    *out = parseDialogInt(text);
    result = 1;
  }
  std::free(text);
  return result;
}
