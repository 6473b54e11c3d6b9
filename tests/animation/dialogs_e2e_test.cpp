// The speed and scene dialogs in the running program: what they show when
// they open, how their controls follow each other, what each entry does to
// the playback, and the mouse buttons of one-scene mode.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdio.h>

#include "resources/resource.h"
#include "tests/animation/viewer_session.h"

namespace {

// The rate text shown now, and after typing text into the rate edit.
std::string rateText(HWND dialog) { return dialogItemText(dialog, IDC_SPEED_EDIT); }

void typeRate(App& app, HWND dialog, const std::string& text) {
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_SPEED_EDIT, text)) << app.error;
}

TEST(SpeedDialogE2E, OpensAtTheSpeedAndKeepsSliderAndTextTogether) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, gifPath("three_50_100_150.gif"))) << app.error;
  HWND dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  // Speed 1.0: "等　　速" chosen, slider at 100 and "1.00", both disabled.
  EXPECT_TRUE(isChecked(dialog, IDC_SPEED_NORMAL));
  EXPECT_FALSE(isChecked(dialog, IDC_SPEED_DOUBLE));
  EXPECT_FALSE(isChecked(dialog, IDC_SPEED_HALF));
  EXPECT_FALSE(isChecked(dialog, IDC_SPEED_INPUT));
  EXPECT_EQ(100, sliderPosition(dialog));
  HWND slider = GetDlgItem(dialog, IDC_SPEED_SLIDER);
  EXPECT_EQ(0, SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
  EXPECT_EQ(200, SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
  EXPECT_EQ("1.00", rateText(dialog));
  EXPECT_FALSE(isEnabled(dialog, IDC_SPEED_SLIDER));
  EXPECT_FALSE(isEnabled(dialog, IDC_SPEED_EDIT));
  EXPECT_TRUE(isEnabled(dialog, IDC_SPEED_NORMAL));

  // The check box swaps the radio buttons for the slider and the edit.
  clickButton(dialog, IDC_SPEED_INPUT);
  EXPECT_TRUE(isEnabled(dialog, IDC_SPEED_SLIDER));
  EXPECT_TRUE(isEnabled(dialog, IDC_SPEED_EDIT));
  for (int radio : {IDC_SPEED_DOUBLE, IDC_SPEED_NORMAL, IDC_SPEED_HALF})
    EXPECT_FALSE(isEnabled(dialog, radio)) << radio;
  clickButton(dialog, IDC_SPEED_INPUT);
  EXPECT_FALSE(isEnabled(dialog, IDC_SPEED_SLIDER));
  EXPECT_FALSE(isEnabled(dialog, IDC_SPEED_EDIT));
  for (int radio : {IDC_SPEED_DOUBLE, IDC_SPEED_NORMAL, IDC_SPEED_HALF})
    EXPECT_TRUE(isEnabled(dialog, radio)) << radio;
  clickButton(dialog, IDC_SPEED_INPUT);

  // Typed rates move the slider; rates outside 0.00 to 2.00, and the ones
  // that are no finite number, are replaced by the slider's rate.
  typeRate(app, dialog, "1.5");
  EXPECT_EQ(150, sliderPosition(dialog));
  for (const char* refused : {"2.5", "-1", "1e10", "inf", "nan"}) {
    SCOPED_TRACE(refused);
    typeRate(app, dialog, refused);
    EXPECT_EQ(150, sliderPosition(dialog));
    EXPECT_EQ("1.50", rateText(dialog));
  }
  typeRate(app, dialog, "0.29");  // typed text truncates: 28.999... is 28
  EXPECT_EQ(28, sliderPosition(dialog));
  EXPECT_EQ("0.29", rateText(dialog));
  typeRate(app, dialog, "abc");  // no number reads as 0
  EXPECT_EQ(0, sliderPosition(dialog));

  // The slider writes the edit, and that write does not move it back.
  for (int position : {29, 57, 58, 113, 200, 1}) {
    SCOPED_TRACE(position);
    dragSlider(dialog, position);
    EXPECT_EQ(position, sliderPosition(dialog));
    char text[16];
    snprintf(text, sizeof text, "%d.%02d", position / 100, position % 100);
    EXPECT_EQ(text, rateText(dialog));
  }

  // Slider at 37 and OK; reopening shows 37 and no fixed speed.
  dragSlider(dialog, 37);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  for (int radio : {IDC_SPEED_DOUBLE, IDC_SPEED_NORMAL, IDC_SPEED_HALF})
    EXPECT_FALSE(isChecked(dialog, radio)) << radio;
  EXPECT_EQ(37, sliderPosition(dialog));
  EXPECT_EQ("0.37", rateText(dialog));
  // No fixed speed chosen and OK: like Cancel, the speed stays.
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(37, sliderPosition(dialog));
  // Cancel after changes writes nothing.
  clickButton(dialog, IDC_SPEED_HALF);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
  dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(37, sliderPosition(dialog));
  EXPECT_FALSE(isChecked(dialog, IDC_SPEED_HALF));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
}

TEST(SpeedDialogE2E, SliderAtZeroStopsPlaybackUntilPlay) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, gifPath("three_50_100_150.gif"))) << app.error;
  ASSERT_TRUE(waitForFrame(app, kThree, 1));
  HWND dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  clickButton(dialog, IDC_SPEED_INPUT);
  dragSlider(dialog, 0);
  EXPECT_EQ("0.00", rateText(dialog));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  // Stopped: the frame stays longer than the longest delay, and the menu
  // offers play.
  EXPECT_EQ(1u, watchFrames(app, kThree, 2000).size());
  EXPECT_TRUE(isGrey(app, IDM_STOP_ANIMATION));
  EXPECT_FALSE(isGrey(app, IDM_PLAY_ANIMATION));
  // The dialog opens at 0 and "0.00" while stopped, the speed kept (1.0).
  dialog = openSpeedDialog(app);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(0, sliderPosition(dialog));
  EXPECT_EQ("0.00", rateText(dialog));
  EXPECT_TRUE(isChecked(dialog, IDC_SPEED_NORMAL));
  // A fixed speed chosen while stopped keeps the animation stopped.
  clickButton(dialog, IDC_SPEED_DOUBLE);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  EXPECT_EQ(1u, watchFrames(app, kThree, 800).size());
  EXPECT_FALSE(isGrey(app, IDM_PLAY_ANIMATION));
  // Play goes on, at the speed chosen meanwhile (double: 250, 500, 750).
  ASSERT_TRUE(postCommand(app, IDM_PLAY_ANIMATION)) << app.error;
  EXPECT_GE(watchFrames(app, kThree, 1600).size(), 4u);
  EXPECT_FALSE(isGrey(app, IDM_STOP_ANIMATION));
}

TEST(SceneDialogE2E, ShowsTheChosenFrameAndStepsItWithTheMouse) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, gifPath("twelve_frames.gif"))) << app.error;
  ASSERT_TRUE(waitForFrame(app, kTwelve, 5));
  ASSERT_TRUE(postCommand(app, IDM_STOP_ANIMATION)) << app.error;
  // A frame the thread drew just before the pause may reach the screen
  // after the command; repainted from the frozen surface, the window shows
  // it now.
  ASSERT_TRUE(repaintWindow(app)) << app.error;
  int paused = shownFrame(app, kTwelve);
  ASSERT_GE(paused, 5);
  // Outside one-scene mode a click changes nothing.
  ASSERT_TRUE(postMessageIdle(app, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5))) << app.error;
  ASSERT_TRUE(postMessageIdle(app, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5))) << app.error;
  EXPECT_EQ(paused, shownFrame(app, kTwelve));  // both handled and painted

  HWND dialog = openSceneDialog(app);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(std::to_string(paused), dialogItemText(dialog, IDC_SCENE_EDIT));
  EXPECT_EQ("0-", dialogItemText(dialog, IDC_SCENE_RANGE_FROM));
  EXPECT_EQ("11", dialogItemText(dialog, IDC_SCENE_LAST));
  EXPECT_FALSE(isChecked(dialog, IDC_SCENE_ONE_BY_ONE));
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_SCENE_EDIT, "7")) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  EXPECT_TRUE(waitForFrame(app, kTwelve, 7, 1000));
  EXPECT_EQ(1u, watchFrames(app, kTwelve, 600).size());  // it stays
  EXPECT_TRUE(isGrey(app, IDM_STOP_ANIMATION));
  EXPECT_FALSE(isGrey(app, IDM_PLAY_ANIMATION));

  // Out of range, negative, not a number or empty: frame 0.
  for (const char* entry : {"20", "12", "-3", "abc", "", "99999999999"}) {
    SCOPED_TRACE(entry);
    dialog = openSceneDialog(app);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(setDialogItemText(app, dialog, IDC_SCENE_EDIT, "3")) << app.error;
    ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
    ASSERT_TRUE(waitForFrame(app, kTwelve, 3, 1000));
    dialog = openSceneDialog(app);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("3", dialogItemText(dialog, IDC_SCENE_EDIT));
    ASSERT_TRUE(setDialogItemText(app, dialog, IDC_SCENE_EDIT, entry)) << app.error;
    ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
    EXPECT_TRUE(waitForFrame(app, kTwelve, 0, 1000)) << shownFrame(app, kTwelve);
  }

  // One-scene mode: left steps forward, right back, wrapping at both ends.
  dialog = openSceneDialog(app);
  ASSERT_NE(nullptr, dialog);
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_SCENE_EDIT, "10")) << app.error;
  clickButton(dialog, IDC_SCENE_ONE_BY_ONE);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  ASSERT_TRUE(waitForFrame(app, kTwelve, 10, 1000));
  struct Click {
    UINT message;
    int frame;
  } clicks[] = {{WM_LBUTTONDOWN, 11}, {WM_LBUTTONDOWN, 0}, {WM_RBUTTONDOWN, 11},
                {WM_RBUTTONDOWN, 10}, {WM_LBUTTONDOWN, 11}, {WM_LBUTTONDOWN, 0},
                {WM_RBUTTONDOWN, 11}};
  for (const Click& click : clicks) {
    ASSERT_TRUE(postMessageIdle(app, click.message, 0, MAKELPARAM(5, 5))) << app.error;
    EXPECT_TRUE(waitForFrame(app, kTwelve, click.frame, 1000))
        << "after " << (click.message == WM_LBUTTONDOWN ? "left" : "right") << " wanted "
        << click.frame << ", shows " << shownFrame(app, kTwelve);
  }
  EXPECT_EQ(1u, watchFrames(app, kTwelve, 600).size());  // clicks start no playback

  // The dialog shows the mode ticked and the frame on screen; clearing the
  // box ends the mode, so clicks do nothing again.
  dialog = openSceneDialog(app);
  ASSERT_NE(nullptr, dialog);
  EXPECT_TRUE(isChecked(dialog, IDC_SCENE_ONE_BY_ONE));
  EXPECT_EQ("11", dialogItemText(dialog, IDC_SCENE_EDIT));
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_SCENE_EDIT, "4")) << app.error;
  clickButton(dialog, IDC_SCENE_ONE_BY_ONE);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  ASSERT_TRUE(waitForFrame(app, kTwelve, 4, 1000));
  ASSERT_TRUE(postMessageIdle(app, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5))) << app.error;
  EXPECT_EQ(4, shownFrame(app, kTwelve));

  // Cancel changes nothing; play goes on after the frame on screen.
  dialog = openSceneDialog(app);
  ASSERT_NE(nullptr, dialog);
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_SCENE_EDIT, "9")) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;  // idle and painted
  EXPECT_EQ(4, shownFrame(app, kTwelve));
  ASSERT_TRUE(postCommand(app, IDM_PLAY_ANIMATION)) << app.error;
  std::vector<int> frames = watchFrames(app, kTwelve, 700);
  if (!frames.empty() && frames[0] == 4) frames.erase(frames.begin());
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(5, frames[0]);
}

}  // namespace
