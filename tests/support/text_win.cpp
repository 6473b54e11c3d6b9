// text.h in the Windows tree. The program's narrow text is code page 932,
// the one its literals are compiled to (cmake/windows-flags.cmake), not the
// ANSI code page of the moment: under an English locale the program still
// holds Shift_JIS bytes.
#include "tests/support/text.h"

#include <windows.h>

#include <vector>

namespace qbtest {

namespace {

const UINT kProgramCodePage = 932;

std::wstring toWide(UINT codePage, const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int length = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  std::wstring text(size_t(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), &text[0], length);
  return text;
}

std::string fromWide(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  int length = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0,
                                   nullptr, nullptr);
  std::string bytes(size_t(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &bytes[0], length, nullptr,
                      nullptr);
  return bytes;
}

}  // namespace

std::wstring wide(const std::string& utf8Text) { return toWide(CP_UTF8, utf8Text); }

std::string utf8(const wchar_t* text) { return text ? fromWide(CP_UTF8, text) : std::string(); }

std::string utf8(const std::wstring& text) { return fromWide(CP_UTF8, text); }

std::string fromCodePage(unsigned codePage, const std::string& bytes) {
  return utf8(toWide(codePage, bytes));
}

std::string fromProgramText(const char* programText) {
  return programText ? fromCodePage(kProgramCodePage, programText) : std::string();
}

std::string fromProgramText(const std::string& programText) {
  return fromCodePage(kProgramCodePage, programText);
}

std::string toProgramText(const std::string& utf8Text) {
  return fromWide(kProgramCodePage, wide(utf8Text));
}

std::string environmentValue(const char* name) {
  std::wstring wideName = wide(name);
  DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return std::string();
  std::vector<wchar_t> value(size);
  DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  return length < size ? utf8(std::wstring(value.data(), length)) : std::string();
}

}  // namespace qbtest
