// Text for the tests: every std::string a test holds is UTF-8, whatever the
// machine's ANSI code page. The tests meet Windows through the W calls, and
// wide() and utf8() are the one place where their text crosses to UTF-16
// and back.
//
// The program's own narrow text is another matter: its literals are code
// page 932 bytes in the Windows tree (UTF-8 in the native tree), and so are
// the narrow paths its functions take. Where a test hands such a function a
// path or compares its narrow result, it says so with toProgramText and
// fromProgramText, so that those places are found again once the program
// speaks UTF-16 itself.
#pragma once

#include <string>

namespace qbtest {

#ifdef _WIN32
// UTF-8 to UTF-16 and back. Bytes that are not UTF-8 become U+FFFD.
std::wstring wide(const std::string& utf8Text);
std::string utf8(const wchar_t* text);
std::string utf8(const std::wstring& text);

// Bytes in a Windows code page (932 for Shift_JIS) as UTF-8.
std::string fromCodePage(unsigned codePage, const std::string& bytes);
#endif

// The program's narrow text as UTF-8, and UTF-8 as the program's narrow
// text. A null pointer reads as "".
std::string fromProgramText(const char* programText);
std::string fromProgramText(const std::string& programText);
std::string toProgramText(const std::string& utf8Text);

// The value of an environment variable as UTF-8; "" when it is not set.
std::string environmentValue(const char* name);

}  // namespace qbtest
