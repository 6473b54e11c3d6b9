// View geometry: window limits, scroll states and steps, zoomed sizes, the
// zoom dialog's acceptance rule and the re-fit after a resize.
#include "picture/geometry.h"

#include <gtest/gtest.h>

namespace {

// Frame extras of a typical window: borders 8 + 8, caption and menu 50.
const int extraW = 16, extraH = 50, bar = 17;

TEST(ComputeTrackSize, SmallContentGetsContentPlusBarPlusFrame) {
  TrackSize size = computeTrackSize(400, 300, extraW, extraH, 1920, 1080, bar, bar);
  EXPECT_EQ(400 + bar + extraW, size.width);
  EXPECT_EQ(300 + bar + extraH, size.height);
}

TEST(ComputeTrackSize, LargeContentStopsAtNinetyPercentOfTheScreen) {
  TrackSize size = computeTrackSize(5000, 4000, extraW, extraH, 1920, 1080, bar, bar);
  EXPECT_EQ(1728, size.width);
  EXPECT_EQ(972, size.height);
  // Just below the limit the sum itself stands.
  size = computeTrackSize(1728 - bar - extraW, 972 - bar - extraH - 1, extraW, extraH, 1920,
                          1080, bar, bar);
  EXPECT_EQ(1728, size.width);
  EXPECT_EQ(971, size.height);
}

TEST(ComputeTrackSize, LimitIsTruncatedAndHugeContentDoesNotWrap) {
  TrackSize size = computeTrackSize(0x7fffffff, 0x7fffffff, extraW, extraH, 1001, 1001, bar, bar);
  EXPECT_EQ(900, size.width);  // 900.9 truncated
  EXPECT_EQ(900, size.height);
}

TEST(ScrollStateFor, ContentThatFitsHidesTheBar) {
  ScrollState state = scrollStateFor(600, 600, 45);
  EXPECT_EQ(0, state.minimum);
  EXPECT_EQ(0, state.maximum);
  EXPECT_EQ(0, state.page);
  EXPECT_EQ(0, state.position);
  state = scrollStateFor(10, 600, 3);
  EXPECT_EQ(0, state.maximum);
  EXPECT_EQ(0, state.position);
}

TEST(ScrollStateFor, MaximumAndPageFollowTheExtent) {
  ScrollState state = scrollStateFor(1000, 600, 0);
  EXPECT_EQ(400, state.maximum);
  EXPECT_EQ(233, state.page);  // (600 - 16) / 1000 * 400 = 233.6
  EXPECT_EQ(0, state.position);
}

TEST(ScrollStateFor, PositionIsKeptOrClampedToTheMaximum) {
  EXPECT_EQ(120, scrollStateFor(1000, 600, 120).position);
  EXPECT_EQ(400, scrollStateFor(1000, 600, 999).position);
}

TEST(ScrollStateFor, TinyClientGivesNoNegativePage) {
  ScrollState state = scrollStateFor(1000, 10, 0);
  EXPECT_EQ(990, state.maximum);
  EXPECT_EQ(0, state.page);
}

TEST(ScrollStep, LinesMoveOnePixelAndPagesThePage) {
  ScrollState state = {0, 400, 233, 100};
  EXPECT_EQ(-1, scrollStep(ScrollLineBack, 0, state));
  EXPECT_EQ(1, scrollStep(ScrollLineOn, 0, state));
  EXPECT_EQ(-100, scrollStep(ScrollPageBack, 0, state));  // clamped at 0
  EXPECT_EQ(233, scrollStep(ScrollPageOn, 0, state));
}

TEST(ScrollStep, ThumbMovesToItsPosition) {
  ScrollState state = {0, 400, 233, 100};
  EXPECT_EQ(150, scrollStep(ScrollThumbTrack, 250, state));
  EXPECT_EQ(-60, scrollStep(ScrollThumbPos, 40, state));
  EXPECT_EQ(300, scrollStep(ScrollThumbPos, 9999, state));  // clamped at the maximum
}

TEST(ScrollStep, StepsNeverLeaveTheRange) {
  ScrollState atEnd = {0, 400, 233, 400};
  EXPECT_EQ(0, scrollStep(ScrollLineOn, 0, atEnd));
  EXPECT_EQ(0, scrollStep(ScrollPageOn, 0, atEnd));
  ScrollState atStart = {0, 400, 233, 0};
  EXPECT_EQ(0, scrollStep(ScrollLineBack, 0, atStart));
  EXPECT_EQ(0, scrollStep(ScrollPageBack, 0, atStart));
  ScrollState noBar = {0, 0, 0, 0};
  EXPECT_EQ(0, scrollStep(ScrollPageOn, 0, noBar));
}

TEST(ScrollStep, OtherCodesDoNothing) {
  ScrollState state = {0, 400, 233, 100};
  for (int code : {6, 7, 8, 99}) EXPECT_EQ(0, scrollStep(code, 300, state)) << code;
}

TEST(ZoomedSide, TruncatesTheDoubleProduct) {
  EXPECT_EQ(499u, zoomedSide(50, 999));
  EXPECT_EQ(28u, zoomedSide(29, 100));  // 0.29 * 100 = 28.999999999999996
  EXPECT_EQ(151u, zoomedSide(150, 101));
  EXPECT_EQ(49u, zoomedSide(150, 33));
  EXPECT_EQ(777u, zoomedSide(100, 777));
}

TEST(ZoomedSide, HugeZoomSaturatesInsteadOfWrapping) {
  EXPECT_EQ(2147483647u, zoomedSide(4294967295u, 100000));
  EXPECT_GT(zoomedSideExact(4294967295u, 2), 8.0e7);
}

TEST(ZoomEntryAccepted, NeedsAReadValueAboveTenThatChangesTheZoom) {
  EXPECT_FALSE(zoomEntryAccepted(1, 10, 100, 640, 480));
  EXPECT_TRUE(zoomEntryAccepted(1, 11, 100, 640, 480));
  EXPECT_FALSE(zoomEntryAccepted(1, 100, 100, 640, 480));
  EXPECT_FALSE(zoomEntryAccepted(0, 50, 100, 640, 480));   // empty edit
  EXPECT_FALSE(zoomEntryAccepted(-1, 50, 100, 640, 480));  // unreadable edit
  EXPECT_TRUE(zoomEntryAccepted(1, 50, 100, 640, 480));
}

TEST(ZoomEntryAccepted, RefusesDisplaySizesBeyondTheLimit) {
  // A minus sign read as unsigned is a huge zoom.
  EXPECT_FALSE(zoomEntryAccepted(1, static_cast<unsigned>(-50), 100, 640, 480));
  EXPECT_TRUE(zoomEntryAccepted(1, 5000, 100, 655, 100));   // 32750 wide
  EXPECT_FALSE(zoomEntryAccepted(1, 5000, 100, 656, 100));  // 32800 wide
  EXPECT_FALSE(zoomEntryAccepted(1, 5000, 100, 100, 656));
  // A picture that failed to decode has no size to overflow.
  EXPECT_TRUE(zoomEntryAccepted(1, 4000000000u, 100, 0, 0));
}

TEST(PlanRefit, PictureThatFitsShrinksTheWindowToIt) {
  RefitPlan plan = planRefit(400, 300, 700, 500, false, false, bar, bar, extraW, extraH);
  EXPECT_FALSE(plan.keepSize);
  EXPECT_TRUE(plan.resetHorizontal);
  EXPECT_TRUE(plan.resetVertical);
  EXPECT_EQ(400 + extraW, plan.width);
  EXPECT_EQ(300 + extraH, plan.height);
}

TEST(PlanRefit, TooTallKeepsTheHeightAndRoomForTheVerticalBar) {
  RefitPlan plan = planRefit(400, 900, 700, 500, true, false, bar, bar, extraW, extraH);
  EXPECT_TRUE(plan.resetHorizontal);
  EXPECT_FALSE(plan.resetVertical);
  EXPECT_TRUE(plan.keepHeight);
  EXPECT_EQ(bar + extraW + 400, plan.width);
}

TEST(PlanRefit, TooWideKeepsTheWidthAndRoomForTheHorizontalBar) {
  RefitPlan plan = planRefit(900, 300, 700, 500, false, true, bar, bar, extraW, extraH + 20);
  EXPECT_TRUE(plan.resetVertical);
  EXPECT_FALSE(plan.resetHorizontal);
  EXPECT_TRUE(plan.keepWidth);
  EXPECT_EQ(extraH + 20 + bar + 300, plan.height);  // the wrapped menu's extra height
}

TEST(PlanRefit, OverflowBothWaysKeepsTheUsersSize) {
  EXPECT_TRUE(planRefit(900, 900, 700, 500, true, true, bar, bar, extraW, extraH).keepSize);
}

TEST(PlanRefit, ShownBarsCountAsAvailableRoom) {
  // 710 wide content in a 700 client with a 17 pixel vertical bar: the
  // window without its bar would show 717, so the picture fits.
  RefitPlan plan = planRefit(710, 300, 700, 500, true, false, bar, bar, extraW, extraH);
  EXPECT_TRUE(plan.resetHorizontal);
  EXPECT_EQ(710 + extraW, plan.width);
}

}  // namespace
