// The pure halves of the shell: numbers typed into dialog edits and the
// command-line path.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/dialogint.h"
#include "shell/commandline.h"

namespace {

TEST(ParseDialogInt, ReadsLikeTheCLibrary) {
  EXPECT_EQ(150, parseDialogInt("150"));
  EXPECT_EQ(-45, parseDialogInt("-45"));
  EXPECT_EQ(45, parseDialogInt("+45"));
  EXPECT_EQ(30, parseDialogInt("  \t30"));
  EXPECT_EQ(12, parseDialogInt("12abc"));
  EXPECT_EQ(7, parseDialogInt("7.9"));
}

TEST(ParseDialogInt, NoDigitsGiveZero) {
  EXPECT_EQ(0, parseDialogInt("abc"));
  EXPECT_EQ(0, parseDialogInt("-"));
  EXPECT_EQ(0, parseDialogInt(" "));
  EXPECT_EQ(0, parseDialogInt("０１"));  // full-width digits are not digits
}

TEST(ParseDialogInt, OutOfRangeSaturates) {
  EXPECT_EQ(INT_MAX, parseDialogInt("99999999999999999999"));
  EXPECT_EQ(INT_MIN, parseDialogInt("-99999999999999999999"));
  EXPECT_EQ(INT_MIN, parseDialogInt("-2147483648"));
  EXPECT_EQ(INT_MAX, parseDialogInt("2147483647"));
}

TEST(TakeCommandLinePath, TheWholeLineIsOnePath) {
  wchar_t out[260];
  EXPECT_EQ(1, takeCommandLinePath(L"C:\\pics\\a b.jpg", out, 260));
  EXPECT_STREQ(L"C:\\pics\\a b.jpg", out);
}

TEST(TakeCommandLinePath, QuotesAroundThePathAreDropped) {
  wchar_t out[260];
  EXPECT_EQ(1, takeCommandLinePath(L"\"C:\\my pics\\a.jpg\"", out, 260));
  EXPECT_STREQ(L"C:\\my pics\\a.jpg", out);
  EXPECT_EQ(1, takeCommandLinePath(L"  \"C:\\x.png\"  ", out, 260));
  EXPECT_STREQ(L"C:\\x.png", out);
  // An unclosed quote still opens the rest of the line.
  EXPECT_EQ(1, takeCommandLinePath(L"\"C:\\x.png", out, 260));
  EXPECT_STREQ(L"C:\\x.png", out);
}

TEST(TakeCommandLinePath, EmptyLinesNameNothing) {
  wchar_t out[260] = L"stale";
  EXPECT_EQ(0, takeCommandLinePath(L"", out, 260));
  EXPECT_STREQ(L"", out);
  EXPECT_EQ(0, takeCommandLinePath(L"\"\"", out, 260));
  EXPECT_EQ(0, takeCommandLinePath(nullptr, out, 260));
}

TEST(TakeCommandLinePath, APathThatDoesNotFitIsRefusedWhole) {
  wchar_t out[260];
  std::wstring fits(259, L'a');
  EXPECT_EQ(1, takeCommandLinePath(fits.c_str(), out, 260));
  EXPECT_EQ(fits, out);
  std::wstring tooLong(260, L'a');
  EXPECT_EQ(-1, takeCommandLinePath(tooLong.c_str(), out, 260));
  EXPECT_STREQ(L"", out);
  std::wstring quoted = L"\"" + tooLong + L"\"";
  EXPECT_EQ(-1, takeCommandLinePath(quoted.c_str(), out, 260));
}

}  // namespace
