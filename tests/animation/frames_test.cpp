// Frame timing and stepping: the wait for every delay and speed, the wrap at
// both ends, scene clamping and the delay list bounds.
#include <gtest/gtest.h>

#include <limits>

#include "animation/frames.h"

namespace {

TEST(FrameWaitMs, IsDelayTimesSpeedTimesTenTruncated) {
  struct Case {
    uint32_t delay;
    double speed;
    uint32_t wait;
  } cases[] = {
      {10, 1.0, 100},          {20, 1.0, 200},         {30, 1.0, 300},
      {10, 0.5, 50},           {30, 0.5, 150},         {10, 2.0, 200},
      {30, 2.0, 600},          {10, 100.0 / 37, 270},  // 270.27 truncated
      {50, 100.0 / 37, 1351},  {1, 100.0 / 200, 5},    {3, 0.5, 15},
      {1, 0.05, 0},  // 0.5 ms truncates to no wait at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.delay << " at " << c.speed);
    EXPECT_EQ(c.wait, frameWaitMs(c.delay, c.speed));
  }
}

TEST(FrameWaitMs, ZeroDelayOrSpeedMeansNoWait) {
  EXPECT_EQ(0u, frameWaitMs(0, 1.0));
  EXPECT_EQ(0u, frameWaitMs(0, 100.0));
  EXPECT_EQ(0u, frameWaitMs(10, 0.0));
}

TEST(FrameWaitMs, NeverBecomesAnEndlessOrUndefinedWait) {
  // The largest delay at the slowest slider speed is beyond 32 bits: it is
  // held at the longest finite wait, never INFINITE.
  EXPECT_EQ(kLongestFrameWaitMs, frameWaitMs(0xFFFFFFFFu, 100.0));
  EXPECT_EQ(kLongestFrameWaitMs, frameWaitMs(1, std::numeric_limits<double>::infinity()));
  EXPECT_EQ(0u, frameWaitMs(10, std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(0u, frameWaitMs(10, -1.0));
  EXPECT_EQ(4294967290u, frameWaitMs(429496729u, 1.0));
}

TEST(FrameDelay, ReadsOnlyInsideTheList) {
  const uint32_t delays[] = {50, 100, 150};
  EXPECT_EQ(50u, frameDelay(delays, 3, 0));
  EXPECT_EQ(150u, frameDelay(delays, 3, 2));
  // A list shorter than the frame count: the frames past it wait nothing.
  EXPECT_EQ(0u, frameDelay(delays, 2, 2));
  EXPECT_EQ(0u, frameDelay(delays, 3, 0xFFFFFFFFu));
  EXPECT_EQ(0u, frameDelay(nullptr, 3, 0));
}

TEST(DelayEntriesInside, CountsWholeEntriesWithinTheBuffer) {
  // A 16-byte header followed by three entries.
  EXPECT_EQ(3u, delayEntriesInside(28, 16, 12));
  // A length that claims more than the buffer holds is cut to the buffer.
  EXPECT_EQ(3u, delayEntriesInside(28, 16, 400));
  // A partial entry at the end does not count.
  EXPECT_EQ(2u, delayEntriesInside(28, 16, 11));
  EXPECT_EQ(0u, delayEntriesInside(28, 28, 4));
  // A value that starts past the buffer, or before it (a huge offset).
  EXPECT_EQ(0u, delayEntriesInside(28, 29, 4));
  EXPECT_EQ(0u, delayEntriesInside(28, static_cast<size_t>(-16), 12));
}

TEST(NextFrame, AdvancesAndWrapsAfterTheLast) {
  EXPECT_EQ(1u, nextFrame(0, 3));
  EXPECT_EQ(2u, nextFrame(1, 3));
  EXPECT_EQ(0u, nextFrame(2, 3));
  EXPECT_EQ(0u, nextFrame(11, 12));
  // Out of range or no frames: back to the first.
  EXPECT_EQ(0u, nextFrame(3, 3));
  EXPECT_EQ(0u, nextFrame(0xFFFFFFFFu, 3));
  EXPECT_EQ(0u, nextFrame(0, 0));
  EXPECT_EQ(0u, nextFrame(0, 1));
}

TEST(PreviousFrame, StepsBackAndWrapsBeforeTheFirst) {
  EXPECT_EQ(11u, previousFrame(0, 12));
  EXPECT_EQ(0u, previousFrame(1, 12));
  EXPECT_EQ(10u, previousFrame(11, 12));
  EXPECT_EQ(11u, previousFrame(12, 12));
  EXPECT_EQ(11u, previousFrame(0xFFFFFFFFu, 12));
  EXPECT_EQ(0u, previousFrame(0, 0));
  EXPECT_EQ(0u, previousFrame(0, 1));
}

TEST(SceneFrame, ShowsFrameZeroForEveryRequestNotBelowTheCount) {
  EXPECT_EQ(5u, sceneFrame(5, 12));
  EXPECT_EQ(11u, sceneFrame(11, 12));
  EXPECT_EQ(0u, sceneFrame(12, 12));
  EXPECT_EQ(0u, sceneFrame(20, 12));
  EXPECT_EQ(0u, sceneFrame(static_cast<uint32_t>(-1), 12));
  EXPECT_EQ(0u, sceneFrame(0, 0));
}

TEST(SceneSteps, ForwardAndBackCoverEveryFrameOnce) {
  // Stepping forward twelve times from any frame visits each frame once and
  // comes back; stepping back undoes each forward step.
  const uint32_t count = 12;
  for (uint32_t start = 0; start < count; ++start) {
    bool seen[count] = {};
    uint32_t frame = start;
    for (uint32_t step = 0; step < count; ++step) {
      EXPECT_FALSE(seen[frame]);
      seen[frame] = true;
      uint32_t next = nextFrame(frame, count);
      EXPECT_EQ(frame, previousFrame(next, count));
      frame = next;
    }
    EXPECT_EQ(start, frame);
  }
}

}  // namespace
