// Animated GIF playback in the running program: frames at their own delays
// and at the chosen speeds, pause and play with the menu rules, pausing
// and then opening another picture or closing without a hang or a left-
// over thread, and pictures that are no animation. One client pixel names
// the frame on screen (make_gifs.py draws solid frames).
//
// Timing compares ratios, never absolute times: the stays of the frames of
// one recording against each other, and of one speed against another.
// The measured error against the ideal stays is printed for the record.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>

#include "resources/resource.h"
#include "tests/animation/viewer_session.h"

using qbtest::waitUntil;

namespace {

const int kStopGif = IDM_STOP_ANIMATION, kPlayGif = IDM_PLAY_ANIMATION;
const double kDelaysMs[3] = {500, 1000, 1500};  // three_50_100_150.gif at speed 1.0
const double kRatioTolerance = 0.12;

// The stays of the three frames, each seen at least once, and their
// greatest relative error against the ideal stays times factor.
struct Timing {
  double mean[3];
  double worstError;
};

Timing measure(App& app, int ms, double factor) {
  std::vector<FrameChange> changes = recordFrames(app, kThree, ms);
  std::vector<std::vector<double>> stays = frameStays(changes, 3);
  Timing timing = {};
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_FALSE(stays[frame].empty()) << "frame " << frame << " never seen whole:"
                                       << describe(changes);
    timing.mean[frame] = meanStay(stays, frame);
    for (double stay : stays[frame]) {
      double error = fabs(stay / (kDelaysMs[frame] * factor) - 1.0);
      if (error > timing.worstError) timing.worstError = error;
    }
  }
  // The frames follow each other in order, wrapping after the last.
  for (size_t i = 1; i < changes.size(); ++i)
    EXPECT_EQ((changes[i - 1].frame + 1) % 3, changes[i].frame) << describe(changes);
  return timing;
}

void expectRatio(double measured, double expected, const char* what) {
  EXPECT_NEAR(expected, measured, expected * kRatioTolerance) << what;
}

void report(const char* what, const Timing& timing) {
  printf("[ timing   ] %-14s stays %.0f / %.0f / %.0f ms, worst error %.1f %%\n", what,
         timing.mean[0], timing.mean[1], timing.mean[2], 100.0 * timing.worstError);
  testing::Test::RecordProperty(std::string(what) + " worst error percent",
                                static_cast<int>(100.0 * timing.worstError + 0.5));
}

TEST(PlaybackE2E, FramesStayTheirDelaysAtEachSpeed) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, gifPath("three_50_100_150.gif"))) << app.error;

  // Speed 1.0: 500, 1000, 1500 ms, so 1 : 2 : 3.
  Timing normal = measure(app, 7000, 1.0);
  report("speed 1.0", normal);
  expectRatio(normal.mean[1] / normal.mean[0], 2.0, "frame 1 against frame 0");
  expectRatio(normal.mean[2] / normal.mean[0], 3.0, "frame 2 against frame 0");

  // Double speed ("倍　　速", speed 0.5): every stay halves.
  HWND dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  clickButton(dialog, IDC_SPEED_DOUBLE);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  Timing fast = measure(app, 4500, 0.5);
  report("speed 0.5", fast);
  for (int frame = 0; frame < 3; ++frame)
    expectRatio(fast.mean[frame] / normal.mean[frame], 0.5, "double speed against normal");

  // Slider at 37: speed 100 / 37, every stay 2.7 times the normal one.
  dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  clickButton(dialog, IDC_SPEED_INPUT);
  dragSlider(dialog, 37);
  EXPECT_EQ("0.37", dialogItemText(dialog, IDC_SPEED_EDIT));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  std::vector<FrameChange> changes = recordFrames(app, kThree, 9500);
  std::vector<std::vector<double>> stays = frameStays(changes, 3);
  int measured = 0;
  for (int frame = 0; frame < 3; ++frame) {
    if (stays[frame].empty()) continue;
    ++measured;
    double stay = meanStay(stays, frame);
    printf("[ timing   ] slider 37      frame %d stays %.0f ms (ideal %.0f)\n", frame, stay,
           kDelaysMs[frame] * 100.0 / 37.0);
    expectRatio(stay / normal.mean[frame], 100.0 / 37.0, "slider 37 against normal");
  }
  EXPECT_GE(measured, 2) << describe(changes);
}

TEST(PlaybackE2E, PauseFreezesTheFrameAndPlayGoesOnWithTheNext) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, gifPath("three_50_100_150.gif"))) << app.error;
  ASSERT_TRUE(waitForFrame(app, kThree, 0));
  // Playing: stop on, play grey, speed and scene on.
  EXPECT_FALSE(isGrey(app, IDM_STOP_ANIMATION));
  EXPECT_TRUE(isGrey(app, IDM_PLAY_ANIMATION));
  EXPECT_FALSE(isGrey(app, IDM_PLAYBACK_SPEED));
  EXPECT_FALSE(isGrey(app, IDM_SCENE));

  ASSERT_TRUE(waitForFrame(app, kThree, 1));
  ASSERT_TRUE(postCommand(app, kStopGif)) << app.error;
  // Longer than the longest delay: nothing moves.
  std::vector<int> frames = watchFrames(app, kThree, 2000);
  ASSERT_EQ(1u, frames.size());
  int frozen = frames[0];
  EXPECT_TRUE(isGrey(app, IDM_STOP_ANIMATION));
  EXPECT_FALSE(isGrey(app, IDM_PLAY_ANIMATION));
  EXPECT_FALSE(isGrey(app, IDM_PLAYBACK_SPEED));
  EXPECT_FALSE(isGrey(app, IDM_SCENE));

  ASSERT_TRUE(postCommand(app, kPlayGif)) << app.error;
  // The next frame may already be on screen when the command returns.
  frames = watchFrames(app, kThree, 1700);
  if (!frames.empty() && frames[0] == frozen) frames.erase(frames.begin());
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ((frozen + 1) % 3, frames[0]);
  EXPECT_FALSE(isGrey(app, IDM_STOP_ANIMATION));
  EXPECT_TRUE(isGrey(app, IDM_PLAY_ANIMATION));
}

// A zoom change stretches what the thread draws; it starts no second
// thread and the animation plays on.
TEST(PlaybackE2E, ZoomKeepsTheOneThreadPlaying) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, gifPath("three_50_100_150.gif"))) << app.error;
  // Frame 0 on screen: the playback thread runs (the launch waited for the
  // program to be idle, so no start-up thread is left to come or go).
  ASSERT_TRUE(waitForFrame(app, kThree, 0));
  int threads = threadCount(app);
  PostMessageA(app.window, WM_COMMAND, IDM_ZOOM, 0);
  HWND dialog = waitDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_ZOOM_EDIT, "200")) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  std::vector<int> frames = watchFrames(app, kThree, 3200);
  EXPECT_GE(frames.size(), 3u);
  for (size_t i = 1; i < frames.size(); ++i) EXPECT_EQ((frames[i - 1] + 1) % 3, frames[i]);
  // The 64-pixel frames now fill 128 pixels.
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  ASSERT_GE(shot.width, 128);
  ASSERT_GE(shot.height, 128);
  EXPECT_EQ(shot.at(5, 5), shot.at(120, 120));
  EXPECT_LE(threadCount(app), threads);
}

// Pause, then show the other picture of the folder, fifty times over; the
// pause is posted together with the step so that it often arrives before
// the new thread has run at all.
TEST(PlaybackE2E, PauseThenOpenAnotherNeverHangsOrLeavesAThread) {
  qbtest::ScratchFolder folder;
  std::string first = folder.copy("animation/three_50_100_150.gif", "a.gif");
  folder.copy("animation/twelve_frames.gif", "b.gif");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, first)) << app.error;
  ASSERT_TRUE(waitForFrame(app, kThree, 0));
  int threads = threadCount(app);
  ASSERT_GT(threads, 0);
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    WPARAM key = round % 2 == 0 ? VK_SPACE : VK_BACK;
    PostMessageA(app.window, WM_KEYDOWN, key, 1);
    PostMessageA(app.window, WM_COMMAND, kStopGif, 0);
    ASSERT_TRUE(waitIdle(app)) << app.error;
    ASSERT_EQ(nullptr, findDialog(app)) << messageBoxText(findDialog(app));
  }
  // Fifty rounds end on a.gif, paused on its first frame.
  EXPECT_TRUE(isGrey(app, IDM_STOP_ANIMATION));
  EXPECT_FALSE(isGrey(app, IDM_PLAY_ANIMATION));
  // An ended thread may take a moment to leave the process's list.
  EXPECT_TRUE(waitUntil([&] { return threadCount(app) <= threads; }, 5000)) << threadCount(app);
  // It still plays.
  ASSERT_TRUE(postCommand(app, kPlayGif)) << app.error;
  EXPECT_GE(watchFrames(app, kThree, 1300).size(), 2u);
}

TEST(PlaybackE2E, PauseThenCloseNeverHangs) {
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    App app;
    AppGuard guard(app);
    ASSERT_TRUE(launchViewer(app, gifPath(round % 2 ? "zero_delays.gif" : "three_50_100_150.gif")))
        << app.error;
    PostMessageA(app.window, WM_COMMAND, kStopGif, 0);
    PostMessageA(app.window, WM_COMMAND, IDM_EXIT, 0);
    HWND box = waitDialog(app);
    ASSERT_NE(nullptr, box) << app.error;
    EXPECT_EQ("終了しますか", messageBoxText(box));
    ASSERT_TRUE(pressDialogButton(app, box, IDYES)) << app.error;
    ASSERT_TRUE(waitExit(app, 5000)) << app.error;
    EXPECT_EQ(0, app.exitCode);
  }
}

TEST(PlaybackE2E, PictureOpenedWhilePausedAtSpeedTwoPlaysAtSpeedOne) {
  qbtest::ScratchFolder folder;
  std::string first = folder.copy("animation/three_50_100_150.gif", "a.gif");
  folder.copy("animation/three_50_100_150.gif", "b.gif");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, first)) << app.error;
  HWND dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  clickButton(dialog, IDC_SPEED_HALF);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  std::vector<FrameChange> slow = recordFrames(app, kThree, 4600);
  ASSERT_TRUE(postCommand(app, kStopGif)) << app.error;
  ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
  EXPECT_EQ("b.gif", windowTitle(app));
  std::vector<FrameChange> normal = recordFrames(app, kThree, 3600);

  std::vector<std::vector<double>> slowStays = frameStays(slow, 3);
  std::vector<std::vector<double>> normalStays = frameStays(normal, 3);
  int compared = 0;
  for (int frame = 0; frame < 3; ++frame) {
    if (slowStays[frame].empty() || normalStays[frame].empty()) continue;
    ++compared;
    expectRatio(meanStay(normalStays, frame) / meanStay(slowStays, frame), 0.5,
                "new picture against the paused one at speed 2.0");
  }
  EXPECT_GE(compared, 1) << describe(slow) << " /" << describe(normal);
  // The speed dialog of the new picture opens at speed 1.0.
  dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  EXPECT_TRUE(isChecked(dialog, IDC_SPEED_NORMAL));
  EXPECT_EQ(100, sliderPosition(dialog));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
}

TEST(PlaybackE2E, ZeroDelaysPlayAndStillPauseAndCloseAtOnce) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, gifPath("zero_delays.gif"))) << app.error;
  EXPECT_GE(watchFrames(app, kThree, 1000).size(), 3u);
  ASSERT_TRUE(postCommand(app, kStopGif)) << app.error;
  // A frame the thread drew just before the pause may reach the screen
  // after the command; repainted from the frozen surface, the window shows
  // it now.
  ASSERT_TRUE(repaintWindow(app)) << app.error;
  EXPECT_EQ(1u, watchFrames(app, kThree, 1000).size());
  ASSERT_TRUE(postCommand(app, kPlayGif)) << app.error;
  EXPECT_GE(watchFrames(app, kThree, 500).size(), 3u);
  DWORD start = GetTickCount();
  PostMessageA(app.window, WM_COMMAND, IDM_EXIT, 0);
  HWND box = waitDialog(app);
  ASSERT_NE(nullptr, box) << app.error;
  ASSERT_TRUE(pressDialogButton(app, box, IDYES)) << app.error;
  ASSERT_TRUE(waitExit(app, 5000)) << app.error;
  printf("[ timing   ] zero delays: closed %lu ms after the question\n", GetTickCount() - start);
}

// A still picture, a single-frame GIF and a GIF GDI+ cannot decode: no
// playback thread (the thread count of a plain still picture), all four
// playback items grey, and playback commands sent anyway change nothing.
TEST(PlaybackE2E, PicturesThatAreNoAnimationGetNoThread) {
  int stillThreads = 0;
  {
    App app;
    AppGuard guard(app);
    ASSERT_TRUE(launchViewer(app, qbtest::testDataPath("pictures/painting_tiny_21x32.png")))
        << app.error;
    stillThreads = threadCount(app);
    ASSERT_GT(stillThreads, 0);
  }
  for (const char* name : {"single_frame.gif", "undecodable.gif"}) {
    SCOPED_TRACE(name);
    App app;
    AppGuard guard(app);
    ASSERT_TRUE(launchViewer(app, gifPath(name))) << app.error;
    EXPECT_TRUE(waitUntil([&] { return threadCount(app) == stillThreads; }, 2000))
        << threadCount(app) << " threads, " << stillThreads << " for a still picture";
    for (int command : {IDM_STOP_ANIMATION, IDM_PLAY_ANIMATION, IDM_PLAYBACK_SPEED, IDM_SCENE})
      EXPECT_TRUE(isGrey(app, command)) << command;
    uint32_t before = shownColour(app);
    for (int command : {IDM_SCENE, IDM_PLAYBACK_SPEED, IDM_STOP_ANIMATION, IDM_PLAY_ANIMATION}) {
      ASSERT_TRUE(postCommand(app, command)) << app.error;
      EXPECT_EQ(nullptr, findDialog(app)) << command;
    }
    ASSERT_TRUE(postMessageIdle(app, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5))) << app.error;
    EXPECT_EQ(before, shownColour(app));
    EXPECT_EQ(stillThreads, threadCount(app));
    EXPECT_TRUE(isRunning(app));
  }

  // A TIFF of two pages counts as animated but gets no thread: Stop and
  // Play still take turns on the menu, and nothing else happens.
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, qbtest::testDataPath("pictures/two_pages_32x32.tif"))) << app.error;
  EXPECT_EQ(stillThreads, threadCount(app));
  for (int round = 0; round < 2; ++round) {
    EXPECT_FALSE(isGrey(app, IDM_STOP_ANIMATION));
    EXPECT_TRUE(isGrey(app, IDM_PLAY_ANIMATION));
    ASSERT_TRUE(postCommand(app, IDM_STOP_ANIMATION)) << app.error;
    EXPECT_TRUE(isGrey(app, IDM_STOP_ANIMATION));
    EXPECT_FALSE(isGrey(app, IDM_PLAY_ANIMATION));
    ASSERT_TRUE(postCommand(app, IDM_PLAY_ANIMATION)) << app.error;
  }
  EXPECT_EQ(stillThreads, threadCount(app));
  EXPECT_EQ(nullptr, findDialog(app));
}

}  // namespace
