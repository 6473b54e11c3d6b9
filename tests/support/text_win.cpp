// text.h in the Windows tree.
#include "tests/support/text.h"

#include <windows.h>

#include <vector>

namespace qbtest {

namespace {

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

std::string environmentValue(const char* name) {
  std::wstring wideName = wide(name);
  DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return std::string();
  std::vector<wchar_t> value(size);
  DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  return length < size ? utf8(std::wstring(value.data(), length)) : std::string();
}

}  // namespace qbtest
