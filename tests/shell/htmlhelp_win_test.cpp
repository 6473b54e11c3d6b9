// The HTML Help binding under Wine: the control is found through its
// registration (with environment variables expanded) or by name, its
// function is bound by ordinal, and once binding failed every call is 0.
#include <gtest/gtest.h>

#include <string>

#include "shell/shell.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"

using namespace qbtest;

namespace {

const char testKey[] = "Software\\quobixlens-tests\\InprocServer32";

class ControlPathTest : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, testKey); }
  void setValue(DWORD type, const std::string& value) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, testKey, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
  }
};

TEST_F(ControlPathTest, PlainValueIsCopied) {
  setValue(REG_SZ, "C:\\windows\\system32\\hhctrl.ocx");
  char path[MAX_PATH] = "stale";
  ASSERT_EQ(1, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
  EXPECT_STREQ("C:\\windows\\system32\\hhctrl.ocx", path);
}

TEST_F(ControlPathTest, ExpandableValueIsExpanded) {
  setValue(REG_EXPAND_SZ, "%SystemRoot%\\System32\\hhctrl.ocx");
  char path[MAX_PATH] = "";
  ASSERT_EQ(1, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
  char expected[MAX_PATH];
  ExpandEnvironmentStringsA("%SystemRoot%\\System32\\hhctrl.ocx", expected, MAX_PATH);
  EXPECT_STREQ(expected, path);
  EXPECT_EQ(std::string::npos, std::string(path).find('%'));
}

TEST_F(ControlPathTest, MissingKeyAndOverlongValueFail) {
  char path[MAX_PATH] = "";
  EXPECT_EQ(0, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
  setValue(REG_SZ, "C:\\" + std::string(300, 'x') + ".ocx");
  EXPECT_EQ(0, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
  // Expanded beyond the buffer fails too.
  setValue(REG_EXPAND_SZ, "%SystemRoot%\\" + std::string(250, 'x'));
  EXPECT_EQ(0, readControlPathFrom(HKEY_CURRENT_USER, testKey, path));
}

TEST(HtmlHelp, RealControlIsRegisteredAndBindsByOrdinal) {
  char path[MAX_PATH] = "";
  ASSERT_EQ(1, readControlPath(path));
  HMODULE control = LoadLibraryA(path);
  ASSERT_NE(nullptr, control) << path;
  EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(control, MAKEINTRESOURCEA(14))));
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
  HWND help = htmlHelp(testWindow(), (chm + "::/hsource/helptop.html>wintype1").c_str(), 1, 0);
  EXPECT_NE(nullptr, help);
  EXPECT_TRUE(IsWindow(help));
  htmlHelp(nullptr, nullptr, 18, 0);
  htmlHelp(nullptr, nullptr, 29, cookie);
}

TEST(HtmlHelp, AfterAFailedBindingEveryCallIsZero) {
  forgetHelpBinding(1);
  EXPECT_EQ(nullptr, htmlHelp(testWindow(), "quoblens.chm", 1, 0));
  MSG message = {};
  EXPECT_EQ(nullptr, htmlHelp(nullptr, nullptr, 253, reinterpret_cast<DWORD_PTR>(&message)));
  forgetHelpBinding(0);
}

}  // namespace
