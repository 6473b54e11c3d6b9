#include <windows.h>

#include "browse/pathsplit.h"

bool isSystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }
