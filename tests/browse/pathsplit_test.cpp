// Splitting Japanese multibyte paths at the last real backslash.
#include "browse/pathsplit.h"

#include <gtest/gtest.h>

namespace {

TEST(LastBackslash, FindsTheLastSeparator) {
  EXPECT_EQ(7, lastBackslash("C:\\pics\\a.jpg", isLeadByteCp932));
  EXPECT_EQ(2, lastBackslash("C:\\a.jpg", isLeadByteCp932));
  EXPECT_EQ(-1, lastBackslash("a.jpg", isLeadByteCp932));
  EXPECT_EQ(-1, lastBackslash("", isLeadByteCp932));
}

TEST(LastBackslash, TrailByteFiveCIsNotASeparator) {
  // "表" is 0x95 0x5C in code page 932: its trail byte is the backslash code.
  const char path[] = "C:\\pics\\\x95\x5C.jpg";
  EXPECT_EQ(7, lastBackslash(path, isLeadByteCp932));
  const char folder[] = "C:\\\x83\x5C\x83\x74\x83\x67\\x.png";  // "ソフト" then a real '\'
  EXPECT_EQ(9, lastBackslash(folder, isLeadByteCp932));
}

TEST(LastBackslash, ALeadByteAtTheEndDoesNotReadPastTheText) {
  const char path[] = "C:\\a\\\x95";
  EXPECT_EQ(4, lastBackslash(path, isLeadByteCp932));
}

TEST(IsLeadByteCp932, CoversBothRanges) {
  EXPECT_FALSE(isLeadByteCp932(0x80));
  EXPECT_TRUE(isLeadByteCp932(0x81));
  EXPECT_TRUE(isLeadByteCp932(0x9F));
  EXPECT_FALSE(isLeadByteCp932(0xA0));
  EXPECT_FALSE(isLeadByteCp932(0xDF));  // half-width katakana are single bytes
  EXPECT_TRUE(isLeadByteCp932(0xE0));
  EXPECT_TRUE(isLeadByteCp932(0xFC));
  EXPECT_FALSE(isLeadByteCp932(0xFD));
  EXPECT_FALSE(isLeadByteCp932('\\'));
}

}  // namespace
