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
  char out[260];
  EXPECT_EQ(1, takeCommandLinePath("C:\\pics\\a b.jpg", out, sizeof out));
  EXPECT_STREQ("C:\\pics\\a b.jpg", out);
}

TEST(TakeCommandLinePath, QuotesAroundThePathAreDropped) {
  char out[260];
  EXPECT_EQ(1, takeCommandLinePath("\"C:\\my pics\\a.jpg\"", out, sizeof out));
  EXPECT_STREQ("C:\\my pics\\a.jpg", out);
  EXPECT_EQ(1, takeCommandLinePath("  \"C:\\x.png\"  ", out, sizeof out));
  EXPECT_STREQ("C:\\x.png", out);
  // An unclosed quote still opens the rest of the line.
  EXPECT_EQ(1, takeCommandLinePath("\"C:\\x.png", out, sizeof out));
  EXPECT_STREQ("C:\\x.png", out);
}

TEST(TakeCommandLinePath, EmptyLinesNameNothing) {
  char out[260] = "stale";
  EXPECT_EQ(0, takeCommandLinePath("", out, sizeof out));
  EXPECT_STREQ("", out);
  EXPECT_EQ(0, takeCommandLinePath("\"\"", out, sizeof out));
  EXPECT_EQ(0, takeCommandLinePath(nullptr, out, sizeof out));
}

TEST(TakeCommandLinePath, APathThatDoesNotFitIsRefusedWhole) {
  char out[260];
  std::string fits(259, 'a');
  EXPECT_EQ(1, takeCommandLinePath(fits.c_str(), out, sizeof out));
  EXPECT_EQ(fits, out);
  std::string tooLong(260, 'a');
  EXPECT_EQ(-1, takeCommandLinePath(tooLong.c_str(), out, sizeof out));
  EXPECT_STREQ("", out);
  std::string quoted = "\"" + tooLong + "\"";
  EXPECT_EQ(-1, takeCommandLinePath(quoted.c_str(), out, sizeof out));
}

}  // namespace
