// The arithmetic and file names of a full turn's frames.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <string>

#include "rotation/framejob.h"

TEST(PlanTurn, StepsAndFrameCounts) {
  struct Case {
    int angle;
    int step;
    int frames;
  } cases[] = {
      {30, 30, 12},  {45, 45, 8},    {11, 11, 32},   {100, 100, 3},   {200, 200, 1},
      {181, 181, 1}, {359, 359, 1},  {180, 180, 2},  {370, 10, 36},   {10, 10, 36},
      {-30, -30, 12}, {-11, -11, 32}, {-10, -10, 36}, {-370, -10, 36}, {-200, -200, 1},
      {INT_MAX, INT_MAX % 360, 2}, {INT_MIN, INT_MIN % 360, 2},
  };
  for (const Case& c : cases) {
    TurnPlan plan = {0, 0};
    ASSERT_TRUE(planTurn(c.angle, &plan)) << c.angle;
    EXPECT_EQ(c.step, plan.step) << c.angle;
    EXPECT_EQ(c.frames, plan.frames) << c.angle;
  }
}

TEST(PlanTurn, StepsBelowTenDegreesAreRefused) {
  for (int angle : {9, -9, 365, -365, 0, 360, 720, 725, 1, -1}) {
    TurnPlan plan = {123, 456};
    EXPECT_FALSE(planTurn(angle, &plan)) << angle;
    EXPECT_EQ(123, plan.step) << angle;
    EXPECT_EQ(456, plan.frames) << angle;
  }
}

TEST(FrameAngle, NegativeStepsTurnTheOtherWay) {
  EXPECT_EQ(0, frameAngle(30, 0));
  EXPECT_EQ(330, frameAngle(30, 11));
  EXPECT_EQ(-330, frameAngle(-30, 11));
  EXPECT_EQ(200, frameAngle(100, 2));
  TurnPlan plan;
  ASSERT_TRUE(planTurn(11, &plan));
  EXPECT_EQ(341, frameAngle(plan.step, plan.frames - 1));
}

TEST(FramePaths, NamedInTheFolder) {
  wchar_t path[260];
  ASSERT_TRUE(formatFramePath(path, 260, L"C:\\work\\tempf", 0));
  EXPECT_STREQ(L"C:\\work\\tempf\\temp0.gif", path);
  ASSERT_TRUE(formatFramePath(path, 260, L"C:\\work\\tempf", 35));
  EXPECT_STREQ(L"C:\\work\\tempf\\temp35.gif", path);
  ASSERT_TRUE(formatTempBmpPath(path, 260, L"C:\\w"));
  EXPECT_STREQ(L"C:\\w\\temp.bmp", path);
}

TEST(FramePaths, RefusedWithoutAFolderOrRoom) {
  wchar_t path[260];
  std::wmemset(path, L'x', 260);
  EXPECT_FALSE(formatFramePath(path, 260, L"", 0));
  EXPECT_STREQ(L"", path);
  EXPECT_FALSE(formatTempBmpPath(path, 260, nullptr));
  // "C:\ab" + "\temp0.gif" is 15 characters: 16 units fit, 15 do not.
  wchar_t small[16];
  EXPECT_TRUE(formatFramePath(small, 16, L"C:\\ab", 0));
  EXPECT_FALSE(formatFramePath(small, 15, L"C:\\ab", 0));
  EXPECT_STREQ(L"", small);
  EXPECT_FALSE(formatFramePath(small, 0, L"C:\\ab", 0));
  // 249 + "\temp1.gif" fills 259 characters and the terminator; one digit
  // more does not fit.
  std::wstring folder(249, L'f');
  EXPECT_TRUE(formatFramePath(path, 260, folder.c_str(), 1));
  EXPECT_EQ(259u, std::wcslen(path));
  EXPECT_FALSE(formatFramePath(path, 260, folder.c_str(), 10));
}
