// Splitting a path at its last backslash. Pure code, tested natively.
#pragma once

// Offset of the last backslash, or -1. Paths are UTF-16, where a backslash
// unit is always a separator (in the Japanese ANSI code page the second byte
// of a character could be 0x5C).
long lastBackslash(const wchar_t* path);
