// Text for the tests: every std::string a test holds is UTF-8, whatever the
// machine's ANSI code page. The tests and the program meet Windows through
// the W calls, and wide() and utf8() are the one place where the tests'
// text crosses to UTF-16 and back.
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

// The value of an environment variable as UTF-8; "" when it is not set.
std::string environmentValue(const char* name);

}  // namespace qbtest
