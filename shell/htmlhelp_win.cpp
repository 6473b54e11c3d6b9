// Help goes through the HTML Help control, bound at run time. Until the
// binding exists every call answers 0: help shows nothing, and message
// pre-translation lets every message through.
#include "shell/shell.h"

HWND htmlHelp(HWND, const char*, UINT, DWORD_PTR) { return nullptr; }
