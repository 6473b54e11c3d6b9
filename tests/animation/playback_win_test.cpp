// The playback engine under Wine's GDI+: the thread draws the frames in
// order into the surface, pause and resume gate it, scenes pause it and
// show the chosen frame, stopping never hangs, and pictures that are no
// animation get no thread. The files come from make_gifs.py: solid frames,
// so one surface pixel names the frame.
#include <gtest/gtest.h>

#include <process.h>

#include <string>
#include <vector>

#include "animation/animation.h"
#include "core/appstate.h"
#include "picture/picture.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"
#include "tests/support/wait.h"

using namespace qbtest;

namespace {

const COLORREF kThree[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
const COLORREF kTwelve[] = {
    RGB(255, 0, 0),   RGB(0, 255, 0), RGB(0, 0, 255),   RGB(255, 255, 0),
    RGB(255, 0, 255), RGB(0, 255, 255), RGB(128, 0, 0), RGB(0, 128, 0),
    RGB(0, 0, 128),   RGB(128, 128, 0), RGB(128, 0, 128), RGB(0, 128, 128),
};

class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetAppState();
    app.zoomPercent = 100;
  }
  void TearDown() override {
    app.currentPicture = nullptr;
    if (picture) stopAndRelease(picture);
  }
  Picture* play(const char* name) {
    picture = createPicture(wide(testDataPath(std::string("animation/") + name)).c_str(), testWindow());
    if (picture) renderAndPlay(picture);
    return picture;
  }
  // The surface pixel, read under the lock the thread draws under.
  COLORREF pixel() {
    AcquireSRWLockExclusive(&picture->surfaceLock);
    COLORREF colour = GetPixel(picture->surfaceDC, 5, 5);
    ReleaseSRWLockExclusive(&picture->surfaceLock);
    return colour;
  }
  // Index of the frame the surface shows, -1 for anything else.
  int shownIndex(const COLORREF* colours, int count) {
    COLORREF colour = pixel();
    for (int i = 0; i < count; ++i)
      if (colours[i] == colour) return i;
    return -1;
  }
  // Waits up to timeoutMs until the surface shows frame index.
  bool waitForFrame(const COLORREF* colours, int count, int index, int timeoutMs) {
    return waitUntil([&] { return shownIndex(colours, count) == index; }, timeoutMs, 2);
  }
  // The distinct frames shown, in order, while sampling for durationMs.
  std::vector<int> watch(const COLORREF* colours, int count, DWORD durationMs) {
    std::vector<int> seen;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < durationMs) {
      int index = shownIndex(colours, count);
      if (index >= 0 && (seen.empty() || seen.back() != index)) seen.push_back(index);
      Sleep(5);
    }
    return seen;
  }
  bool threadEnded(DWORD timeoutMs) {
    return WaitForSingleObject(picture->playbackThread, timeoutMs) == WAIT_OBJECT_0;
  }

  Picture* picture = nullptr;
};

TEST_F(PlaybackTest, ThreadDrawsEveryFrameInOrderAndWraps) {
  ASSERT_NE(nullptr, play("twelve_frames.gif"));
  ASSERT_EQ(12u, picture->frameCount);
  ASSERT_NE(nullptr, picture->playbackThread);
  EXPECT_EQ(1, picture->running);
  ASSERT_TRUE(waitForFrame(kTwelve, 12, 0, 3000));
  // Twelve frames of 200 ms: a little over one turn shows all of them in
  // order and starts again at the first.
  std::vector<int> seen = watch(kTwelve, 12, 2700);
  ASSERT_GE(seen.size(), 12u);
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(static_cast<int>(i % 12), seen[i]) << i;
  EXPECT_FALSE(threadEnded(0));
}

TEST_F(PlaybackTest, PauseFreezesTheFrameAndResumeGoesOnWithTheNext) {
  ASSERT_NE(nullptr, play("twelve_frames.gif"));
  ASSERT_TRUE(waitForFrame(kTwelve, 12, 2, 3000));
  EXPECT_EQ(1, pausePlayback(picture));
  EXPECT_EQ(0, picture->running);
  EXPECT_EQ(0, pausePlayback(picture));  // already paused
  // The pause took the surface lock: a pass under way draws nothing more.
  int frozen = shownIndex(kTwelve, 12);
  ASSERT_GE(frozen, 2);
  EXPECT_EQ(static_cast<UINT>(frozen), shownFrame(picture));
  // Three delays long, nothing moves.
  std::vector<int> seen = watch(kTwelve, 12, 600);
  EXPECT_EQ(std::vector<int>{frozen}, seen);

  EXPECT_EQ(1, resumePlayback(picture));
  EXPECT_EQ(1, picture->running);
  EXPECT_EQ(0, resumePlayback(picture));  // already running
  EXPECT_TRUE(waitForFrame(kTwelve, 12, (frozen + 1) % 12, 1000));
  seen = watch(kTwelve, 12, 300);
  ASSERT_FALSE(seen.empty());
  EXPECT_NE(frozen, seen.front());
}

TEST_F(PlaybackTest, ShowScenePausesAndShowsTheFrameOrFrameZero) {
  ASSERT_NE(nullptr, play("twelve_frames.gif"));
  ASSERT_TRUE(waitForFrame(kTwelve, 12, 1, 3000));
  EXPECT_EQ(1, showScene(picture, 7));  // it was running
  EXPECT_EQ(0, picture->running);
  EXPECT_EQ(7u, shownFrame(picture));
  // The chosen scene stays: no pass of the thread draws over it.
  EXPECT_EQ(std::vector<int>{7}, watch(kTwelve, 12, 600));

  struct Case {
    UINT requested;
    int shown;
  } cases[] = {{11, 11}, {12, 0}, {20, 0}, {static_cast<UINT>(-1), 0}, {5, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.requested);
    EXPECT_EQ(0, showScene(picture, c.requested));  // already paused
    EXPECT_EQ(static_cast<UINT>(c.shown), shownFrame(picture));
    EXPECT_EQ(c.shown, shownIndex(kTwelve, 12));
  }
  // Play goes on after the scene on screen.
  EXPECT_EQ(1, resumePlayback(picture));
  EXPECT_TRUE(waitForFrame(kTwelve, 12, 6, 1000));
}

TEST_F(PlaybackTest, SceneStepsWrapAtBothEnds) {
  ASSERT_NE(nullptr, play("twelve_frames.gif"));
  app.currentPicture = picture;
  showScene(picture, 11);
  nextScene();
  EXPECT_EQ(0u, shownFrame(picture));
  EXPECT_EQ(0, shownIndex(kTwelve, 12));
  previousScene();
  EXPECT_EQ(11u, shownFrame(picture));
  EXPECT_EQ(11, shownIndex(kTwelve, 12));
  previousScene();
  EXPECT_EQ(10, shownIndex(kTwelve, 12));
  // Steps pause nothing and resume nothing.
  EXPECT_EQ(0, picture->running);
}

TEST_F(PlaybackTest, SecondStartKeepsTheOneThread) {
  ASSERT_NE(nullptr, play("twelve_frames.gif"));
  HANDLE first = picture->playbackThread;
  HANDLE firstRun = picture->runEvent;
  ASSERT_NE(nullptr, first);
  startPlayback(picture);
  EXPECT_EQ(first, picture->playbackThread);
  EXPECT_EQ(firstRun, picture->runEvent);
}

TEST_F(PlaybackTest, StopJoinsTheThreadAndResetsTheFields) {
  ASSERT_NE(nullptr, play("twelve_frames.gif"));
  ASSERT_TRUE(waitForFrame(kTwelve, 12, 1, 3000));
  setPlaybackSpeed(picture, 0.5);
  pausePlayback(picture);
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), picture->playbackThread, GetCurrentProcess(),
                              &thread, 0, FALSE, DUPLICATE_SAME_ACCESS));
  stopPlayback(picture);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));  // joined, not left running
  CloseHandle(thread);
  EXPECT_EQ(nullptr, picture->playbackThread);
  EXPECT_EQ(nullptr, picture->runEvent);
  EXPECT_EQ(nullptr, picture->quitEvent);
  EXPECT_EQ(1.0, picture->speed);
  EXPECT_EQ(0u, picture->frameCount);
  EXPECT_EQ(0u, picture->currentFrame);
  EXPECT_EQ(1, picture->running);
  EXPECT_EQ(-1, picture->fileType);
  // Nothing is left to pause or resume, and a second stop is harmless.
  EXPECT_EQ(0, pausePlayback(picture));
  EXPECT_EQ(0, resumePlayback(picture));
  stopPlayback(picture);
}

TEST_F(PlaybackTest, EndingTheProgramStopsTheShownAnimation) {
  ASSERT_NE(nullptr, play("twelve_frames.gif"));
  pausePlayback(picture);
  app.currentPicture = picture;
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), picture->playbackThread, GetCurrentProcess(),
                              &thread, 0, FALSE, DUPLICATE_SAME_ACCESS));
  stopPlaybackForExit();
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
  CloseHandle(thread);
  EXPECT_EQ(nullptr, picture->playbackThread);
  app.currentPicture = nullptr;
  stopPlaybackForExit();  // nothing shown: nothing to do
}

// Opens, pauses at once and releases, over and over, on a thread of its
// own so that a hang fails the test instead of stalling it.
unsigned __stdcall pauseThenRelease(void* argument) {
  std::string path = testDataPath(std::string("animation/") + static_cast<const char*>(argument));
  for (int round = 0; round < 100; ++round) {
    Picture* picture = createPicture(wide(path).c_str(), testWindow());
    if (!picture) return 1;
    renderAndPlay(picture);
    if (round % 2 == 0) pausePlayback(picture);
    else showScene(picture, 3);
    stopAndRelease(picture);
  }
  return 0;
}

TEST_F(PlaybackTest, PausingRightAfterOpeningNeverHangsTheRelease) {
  for (const char* name : {"twelve_frames.gif", "zero_delays.gif", "three_50_100_150.gif"}) {
    SCOPED_TRACE(name);
    HANDLE worker = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, pauseThenRelease, const_cast<char*>(name), 0, nullptr));
    ASSERT_NE(nullptr, worker);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 60000)) << "release hangs";
    DWORD code = 99;
    GetExitCodeThread(worker, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(worker);
  }
}

TEST_F(PlaybackTest, ZeroDelaysPlayFastAndStillPauseAndStopAtOnce) {
  ASSERT_NE(nullptr, play("zero_delays.gif"));
  ASSERT_NE(nullptr, picture->playbackThread);
  std::vector<int> seen = watch(kThree, 3, 300);
  EXPECT_GE(seen.size(), 3u);  // it plays
  EXPECT_EQ(1, pausePlayback(picture));
  int frozen = shownIndex(kThree, 3);
  EXPECT_GE(frozen, 0);
  EXPECT_EQ(std::vector<int>{frozen}, watch(kThree, 3, 300));
  resumePlayback(picture);
  DWORD start = GetTickCount();
  stopPlayback(picture);
  EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(PlaybackTest, FewerThanTwoFramesAreDrawnStillWithoutAThread) {
  ASSERT_NE(nullptr, play("single_frame.gif"));
  EXPECT_EQ(1u, picture->frameCount);
  EXPECT_EQ(nullptr, picture->playbackThread);
  EXPECT_EQ(kThree[0], pixel());
  stopAndRelease(picture);

  // A GIF whose frame count could not be read has no last frame to wrap
  // at: its first frame is shown still.
  picture = createPicture(wide(testDataPath("animation/twelve_frames.gif")).c_str(), testWindow());
  ASSERT_NE(nullptr, picture);
  picture->frameCount = 0;
  EXPECT_EQ(1, renderAndPlay(picture));
  EXPECT_EQ(nullptr, picture->playbackThread);
  EXPECT_EQ(nullptr, picture->runEvent);
  EXPECT_EQ(kTwelve[0], pixel());
  EXPECT_FALSE(isAnimationShown(picture));
  stopAndRelease(picture);

  picture = createPicture(wide(testDataPath("animation/undecodable.gif")).c_str(), testWindow());
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(1, renderAndPlay(picture));
  EXPECT_EQ(nullptr, picture->surfaceDC);
  EXPECT_EQ(nullptr, picture->playbackThread);
  startPlayback(picture);  // nothing to draw: still no thread
  EXPECT_EQ(nullptr, picture->playbackThread);
  // Scenes on a picture without an animation draw nothing and do not crash.
  EXPECT_EQ(0, showScene(picture, 3));
}

TEST_F(PlaybackTest, FramesWithoutControlBlocksStillPlay) {
  // Wine's GDI+ gives frames without a graphic control extension a delay
  // entry of their own, so such a file plays like one with delays.
  ASSERT_NE(nullptr, play("no_delays.gif"));
  ASSERT_EQ(3u, picture->frameCount);
  ASSERT_NE(nullptr, picture->playbackThread);
  EXPECT_GE(watch(kThree, 3, 1500).size(), 2u);
  EXPECT_FALSE(threadEnded(0));
  pausePlayback(picture);
  DWORD start = GetTickCount();
  stopPlayback(picture);
  EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(PlaybackTest, ImageWithoutADelayPropertyEndsItsThreadAndPlaysNothing) {
  // A PNG has no frame-delay property; counted as two frames it gets a
  // thread that finds no delays, ends at once and leaves the surface grey.
  picture = createPicture(wide(testDataPath("pictures/painting_tiny_21x32.png")).c_str(), testWindow());
  ASSERT_NE(nullptr, picture);
  picture->frameCount = 2;
  ASSERT_EQ(1, renderAndPlay(picture));
  ASSERT_NE(nullptr, picture->playbackThread);
  EXPECT_TRUE(threadEnded(2000));
  EXPECT_EQ(RGB(128, 128, 128), pixel());
  // The ended thread is still joined and closed on release.
  DWORD start = GetTickCount();
  pausePlayback(picture);
  stopPlayback(picture);
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(nullptr, picture->playbackThread);
}

}  // namespace
