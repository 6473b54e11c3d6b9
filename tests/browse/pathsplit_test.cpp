// Splitting paths at the last backslash.
#include "browse/pathsplit.h"

#include <gtest/gtest.h>

namespace {

TEST(LastBackslash, FindsTheLastSeparator) {
  EXPECT_EQ(7, lastBackslash(L"C:\\pics\\a.jpg"));
  EXPECT_EQ(2, lastBackslash(L"C:\\a.jpg"));
  EXPECT_EQ(-1, lastBackslash(L"a.jpg"));
  EXPECT_EQ(-1, lastBackslash(L""));
}

TEST(LastBackslash, NamesWhoseAnsiBytesHoldFiveCSplitAtTheRealSeparator) {
  // "表" and "ソ" end in byte 0x5C in code page 932.
  EXPECT_EQ(7, lastBackslash(L"C:\\pics\\表.jpg"));
  EXPECT_EQ(6, lastBackslash(L"C:\\ソフト\\x.png"));
}

}  // namespace
