// The driver proved against qbfixture.exe, whose every value is known
// (tests/e2e/fixture.cpp), before it is trusted with the viewer.
#include <gtest/gtest.h>

#include "tests/e2e/driver.h"
#include "tests/e2e/fixture_ids.h"

namespace {

bool launchFixture(App& app) {
  return launchApp(app, binFolder() + "qbfixture.exe", "", "qbfixture");
}

// The colours of the four blocks whose common corner is at (x, y).
void expectBlocks(const Capture& shot, int x, int y, bool inverted) {
  uint32_t flip = inverted ? 0xFFFFFF : 0;
  EXPECT_EQ(rgb(255, 0, 0) ^ flip, shot.at(0, 0));
  EXPECT_EQ(rgb(255, 0, 0) ^ flip, shot.at(x - 1, y - 1));
  EXPECT_EQ(rgb(0, 255, 0) ^ flip, shot.at(x, y - 1));
  EXPECT_EQ(rgb(0, 255, 0) ^ flip, shot.at(shot.width - 1, 0));
  EXPECT_EQ(rgb(0, 0, 255) ^ flip, shot.at(x - 1, y));
  EXPECT_EQ(rgb(0, 0, 255) ^ flip, shot.at(0, shot.height - 1));
  EXPECT_EQ(rgb(255, 255, 0) ^ flip, shot.at(x, y));
  EXPECT_EQ(rgb(255, 255, 0) ^ flip, shot.at(shot.width - 1, shot.height - 1));
}

TEST(DriverLaunch, FindsTheWindowAndReadsTitleAndGeometry) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  EXPECT_NE(0u, app.probeBase);
  EXPECT_EQ("フィクスチャ", windowTitle(app));
  RECT outer, client;
  ASSERT_TRUE(windowRect(app, &outer)) << app.error;
  ASSERT_TRUE(clientRect(app, &client)) << app.error;
  EXPECT_EQ(10, outer.left);
  EXPECT_EQ(10, outer.top);
  EXPECT_EQ(FIXTURE_CLIENT_WIDTH, client.right - client.left);
  EXPECT_EQ(FIXTURE_CLIENT_HEIGHT, client.bottom - client.top);
  // The client area lies inside the frame, below caption and menu.
  EXPECT_GT(client.left, outer.left);
  EXPECT_GT(client.top, outer.top + 20);
  EXPECT_LT(client.right, outer.right);
}

TEST(DriverLaunch, MissingProgramOrClassFailsWithAReason) {
  App app;
  AppGuard guard(app);
  EXPECT_FALSE(launchApp(app, binFolder() + "no-such-program.exe", "", "qbfixture"));
  EXPECT_NE(std::string::npos, app.error.find("CreateProcessW")) << app.error;

  // A window of another class never shows: a time-out, and the process is
  // not left behind.
  EXPECT_FALSE(launchApp(app, binFolder() + "qbfixture.exe", "", "nosuchclass", 1500));
  EXPECT_NE(std::string::npos, app.error.find("nosuchclass")) << app.error;
  EXPECT_FALSE(isRunning(app));
}

TEST(DriverScroll, ReadsRangesPagesPositionsAndFollowsKeys) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  ScrollReading vertical, horizontal;
  ASSERT_TRUE(readScroll(app, SB_VERT, &vertical)) << app.error;
  ASSERT_TRUE(readScroll(app, SB_HORZ, &horizontal)) << app.error;
  EXPECT_TRUE(vertical.shown);
  EXPECT_EQ(0, vertical.minimum);
  EXPECT_EQ(FIXTURE_VERT_MAX, vertical.maximum);
  EXPECT_EQ(FIXTURE_VERT_PAGE, vertical.page);
  EXPECT_EQ(FIXTURE_VERT_POS, vertical.position);
  EXPECT_TRUE(horizontal.shown);
  EXPECT_EQ(FIXTURE_HORZ_MAX, horizontal.maximum);
  EXPECT_EQ(FIXTURE_HORZ_PAGE, horizontal.page);
  EXPECT_EQ(FIXTURE_HORZ_POS, horizontal.position);

  // Each key is handled before postKey returns: no sleeps in between.
  ASSERT_TRUE(postKey(app, VK_DOWN)) << app.error;
  ASSERT_TRUE(postKey(app, VK_DOWN)) << app.error;
  ASSERT_TRUE(postKey(app, VK_NEXT)) << app.error;
  ASSERT_TRUE(postKey(app, VK_LEFT)) << app.error;
  ASSERT_TRUE(readScroll(app, SB_VERT, &vertical)) << app.error;
  ASSERT_TRUE(readScroll(app, SB_HORZ, &horizontal)) << app.error;
  EXPECT_EQ(FIXTURE_VERT_POS + 2 + FIXTURE_VERT_PAGE, vertical.position);
  EXPECT_EQ(FIXTURE_HORZ_POS - 1, horizontal.position);
}

TEST(DriverPixels, CaptureShowsTheBlocksAndFollowsRepaints) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  ASSERT_EQ(FIXTURE_CLIENT_WIDTH, shot.width);
  ASSERT_EQ(FIXTURE_CLIENT_HEIGHT, shot.height);
  {
    SCOPED_TRACE("at the start positions");
    expectBlocks(shot, 160 - FIXTURE_HORZ_POS, 120 - FIXTURE_VERT_POS, false);
  }
  ASSERT_TRUE(postKey(app, VK_DOWN)) << app.error;
  ASSERT_TRUE(postKey(app, VK_RIGHT)) << app.error;
  ASSERT_TRUE(postCommand(app, IDM_INVERT)) << app.error;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  {
    SCOPED_TRACE("one pixel further each way, inverted");
    expectBlocks(shot, 160 - FIXTURE_HORZ_POS - 1, 120 - FIXTURE_VERT_POS - 1, true);
  }
}

TEST(DriverPixels, WaitsForASlowRepaint) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  for (bool inverted : {true, false}) {
    ASSERT_TRUE(postCommand(app, IDM_SLOW_INVERT)) << app.error;
    Capture shot;
    ASSERT_TRUE(captureClient(app, &shot)) << app.error;
    EXPECT_EQ(rgb(255, 0, 0) ^ (inverted ? 0xFFFFFF : 0), shot.at(0, 0));
  }
}

TEST(DriverMenu, ReadsStatesAndRunsTheEnablingRules) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  UINT state = 0xdeadbeef;
  ASSERT_TRUE(readMenuState(app, IDM_QUESTION, &state)) << app.error;
  EXPECT_EQ(0u, state & (MF_GRAYED | MF_DISABLED));
  ASSERT_TRUE(readMenuState(app, IDM_WHEN_INVERTED, &state)) << app.error;
  EXPECT_EQ((UINT)MF_GRAYED, state & MF_GRAYED);

  ASSERT_TRUE(postCommand(app, IDM_INVERT)) << app.error;
  // Without the popup's enabling rule the item keeps its old state ...
  ASSERT_TRUE(readMenuState(app, IDM_WHEN_INVERTED, &state, false)) << app.error;
  EXPECT_EQ((UINT)MF_GRAYED, state & MF_GRAYED);
  // ... and with it the program enables it.
  ASSERT_TRUE(readMenuState(app, IDM_WHEN_INVERTED, &state)) << app.error;
  EXPECT_EQ(0u, state & MF_GRAYED);

  EXPECT_FALSE(readMenuState(app, 4242, &state));
  EXPECT_NE(std::string::npos, app.error.find("4242")) << app.error;
}

TEST(DriverDialogs, MessageBoxTextCaptionAndAnswers) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  EXPECT_EQ(NULL, findDialog(app));
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "yes" : "no");
    ASSERT_TRUE(postCommand(app, IDM_QUESTION)) << app.error;
    HWND box = waitDialog(app);
    ASSERT_NE((HWND)NULL, box) << app.error;
    EXPECT_EQ("fixture question", windowText(box));
    EXPECT_EQ("続けますか", messageBoxText(box));
    ASSERT_TRUE(pressDialogButton(app, box, answer)) << app.error;
    EXPECT_EQ(NULL, findDialog(app));
    EXPECT_EQ(answer == IDYES ? "answer yes" : "answer no", windowTitle(app));
  }
}

TEST(DriverDialogs, EditIsReadAndSetThenTheNextCommandStillArrives) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  ASSERT_TRUE(postCommand(app, IDM_DIALOG)) << app.error;
  HWND dialog = waitDialog(app);
  ASSERT_NE((HWND)NULL, dialog) << app.error;
  EXPECT_EQ("数値を入力", windowText(dialog));
  EXPECT_EQ("数値", dialogItemText(dialog, IDC_LABEL));
  EXPECT_EQ("12", dialogItemText(dialog, IDC_NUMBER));
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_NUMBER, "345")) << app.error;
  EXPECT_EQ("345", dialogItemText(dialog, IDC_NUMBER));
  EXPECT_FALSE(pressDialogButton(app, dialog, 999, 500));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  EXPECT_EQ("number 345", windowTitle(app));
  // Right after a dialog closed, a command posted at once must not be lost.
  ASSERT_TRUE(postCommand(app, IDM_INVERT)) << app.error;
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_EQ(rgb(0, 255, 255), shot.at(0, 0));

  ASSERT_TRUE(postCommand(app, IDM_DIALOG)) << app.error;
  dialog = waitDialog(app);
  ASSERT_NE((HWND)NULL, dialog) << app.error;
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_NUMBER, "7")) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
  EXPECT_EQ("number 345", windowTitle(app));
}

TEST(DriverExit, CloseConfirmationNoKeepsYesEndsWithCodeZero) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  ASSERT_TRUE(postMessageIdle(app, WM_CLOSE, 0, 0)) << app.error;
  HWND box = waitDialog(app);
  ASSERT_NE((HWND)NULL, box) << app.error;
  EXPECT_EQ("alert message", windowText(box));
  EXPECT_EQ("終了しますか", messageBoxText(box));
  ASSERT_TRUE(pressDialogButton(app, box, IDNO)) << app.error;
  EXPECT_TRUE(isRunning(app));
  EXPECT_TRUE(IsWindowVisible(app.window));

  ASSERT_TRUE(postCommand(app, IDM_EXIT)) << app.error;
  box = waitDialog(app);
  ASSERT_NE((HWND)NULL, box) << app.error;
  ASSERT_TRUE(pressDialogButton(app, box, IDYES)) << app.error;
  ASSERT_TRUE(waitExit(app)) << app.error;
  EXPECT_EQ(0, app.exitCode);
}

TEST(DriverExit, ReportsTheExitCode) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  PostMessageA(app.window, WM_COMMAND, IDM_EXIT42, 0);
  ASSERT_TRUE(waitExit(app)) << app.error;
  EXPECT_EQ(42, app.exitCode);
  EXPECT_FALSE(isRunning(app));
  // Talking to an ended program fails with a reason instead of hanging.
  EXPECT_FALSE(postCommand(app, IDM_INVERT, 2000));
  EXPECT_FALSE(app.error.empty());
}

TEST(DriverTimeouts, AHungProgramFailsTheWaitAndIsKilled) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchFixture(app)) << app.error;
  DWORD start = GetTickCount();
  EXPECT_FALSE(postCommand(app, IDM_HANG, 1000));
  EXPECT_NE(std::string::npos, app.error.find("time limit")) << app.error;
  EXPECT_FALSE(waitDialog(app, 300));
  EXPECT_FALSE(waitExit(app, 500));
  EXPECT_NE(std::string::npos, app.error.find("killed")) << app.error;
  EXPECT_FALSE(isRunning(app));
  EXPECT_LT(GetTickCount() - start, 20000u);
}

}  // namespace
