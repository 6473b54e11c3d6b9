// Numbers typed into dialog edits. The conversion is pure; reading the edit
// is the Win32 half (readDialogInt in core/dialogs.h).
#pragma once

// The C library's decimal text-to-integer rules: leading blanks, an optional
// sign, digits up to the first other character, 0 when there are none. Out of
// range values saturate instead of being undefined, so any typed text is
// safe.
int parseDialogInt(const char* text);
