// Splitting a multibyte (ANSI code page) path at its last backslash. Pure
// code: the lead-byte test is passed in, so the Japanese code page rule is
// tested natively and the program uses the system's own.
#pragma once

#include <cstddef>

using LeadByteTest = bool (*)(unsigned char byte);

// Lead bytes of code page 932 (Shift_JIS): the second byte of such a pair may
// be 0x5C, which is not a backslash there.
bool isLeadByteCp932(unsigned char byte);

// The system's own rule (the ANSI code page of the running Windows);
// Windows only (pathsplit_win.cpp).
bool isSystemLeadByte(unsigned char byte);

// Offset of the last backslash that is a character of its own, or -1.
// A trail byte of a double-byte character is never taken for it.
long lastBackslash(const char* path, LeadByteTest isLead);
