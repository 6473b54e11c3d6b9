// The HTML Help binding under Wine: the control is found through its
// registration (with environment variables expanded) or by name, its
// function is bound by ordinal, and once binding failed every call is 0.
#include <gtest/gtest.h>

#include <string>

#include "shell/shell.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"

using namespace qbtest;

namespace {

const wchar_t testKey[] = L"Software\\quobixlens-tests\\InprocServer32";

class ControlPathTest : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, testKey); }
  void setValue(DWORD type, const std::string& value) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, testKey, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    std::wstring text = wide(value);
    RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
};

TEST_F(ControlPathTest, PlainValueIsCopied) {
  setValue(REG_SZ, "C:\\windows\\system32\\hhctrl.ocx");
  wchar_t path[MAX_PATH] = L"stale";
  ASSERT_EQ(1, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
  EXPECT_STREQ(L"C:\\windows\\system32\\hhctrl.ocx", path);
}

TEST_F(ControlPathTest, ExpandableValueIsExpanded) {
  setValue(REG_EXPAND_SZ, "%SystemRoot%\\System32\\hhctrl.ocx");
  wchar_t path[MAX_PATH] = L"";
  ASSERT_EQ(1, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
  wchar_t expected[MAX_PATH];
  ExpandEnvironmentStringsW(L"%SystemRoot%\\System32\\hhctrl.ocx", expected, MAX_PATH);
  EXPECT_STREQ(expected, path);
  EXPECT_EQ(std::wstring::npos, std::wstring(path).find(L'%'));
}

TEST_F(ControlPathTest, MissingKeyAndOverlongValueFail) {
  wchar_t path[MAX_PATH] = L"";
  EXPECT_EQ(0, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
  setValue(REG_SZ, "C:\\" + std::string(300, 'x') + ".ocx");
  EXPECT_EQ(0, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
  // Expanded beyond the buffer fails too.
  setValue(REG_EXPAND_SZ, "%SystemRoot%\\" + std::string(250, 'x'));
  EXPECT_EQ(0, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
}

TEST(HtmlHelp, RealControlIsRegisteredAndBindsByOrdinal) {
  wchar_t path[MAX_PATH] = L"";
  ASSERT_EQ(1, readControlPath(path));
  HMODULE control = LoadLibraryW(path);
  ASSERT_NE(nullptr, control) << utf8(path);
  // 15 is HtmlHelpW, the one the program binds.
  EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(control, MAKEINTRESOURCEA(15))));
}

TEST(HtmlHelp, ContentsOfTheHelpFileOpenAWindow) {
  forgetHelpBinding(0);
  std::string chm = std::string(QB_BINDIR) + "/bin/quoblens.chm";
  for (char& c : chm)
    if (c == '/') c = '\\';
  chm = "Z:" + chm;
  ASSERT_TRUE(fileExists(chm)) << chm;
  DWORD cookie = 0;
  htmlHelp(nullptr, nullptr, 28, reinterpret_cast<DWORD_PTR>(&cookie));
  HWND help = htmlHelp(testWindow(), wide(chm + "::/hsource/helptop.html>wintype1").c_str(), 1, 0);
  EXPECT_NE(nullptr, help);
  EXPECT_TRUE(IsWindow(help));
  htmlHelp(nullptr, nullptr, 18, 0);
  htmlHelp(nullptr, nullptr, 29, cookie);
}

TEST(HtmlHelp, AfterAFailedBindingEveryCallIsZero) {
  forgetHelpBinding(1);
  EXPECT_EQ(nullptr, htmlHelp(testWindow(), L"quoblens.chm", 1, 0));
  MSG message = {};
  EXPECT_EQ(nullptr, htmlHelp(nullptr, nullptr, 253, reinterpret_cast<DWORD_PTR>(&message)));
  forgetHelpBinding(0);
}

}  // namespace
