// The viewer end to end on a 1920 x 1080 Wine desktop: window fitting,
// scroll bars and keys, the zoom dialog and closing, checked by what the
// window shows. The pictures are drawn by tests/data/e2e/make-pictures;
// smallColour and largeColour below are the same drawing rules.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "resources/resource.h"
#include "tests/e2e/driver.h"
#include "tests/support/files.h"

namespace {

const int kSmallWidth = 240, kSmallHeight = 180;
const int kLargeWidth = 2500, kLargeHeight = 1500;
// 90 % of the 1920 x 1080 desktop.
const int kMaxTrackWidth = 1728, kMaxTrackHeight = 972;

uint32_t smallColour(int x, int y) {
  if (x == 0 && y == 0)
    return rgb(255, 255, 255);
  if (x == kSmallWidth - 1 && y == kSmallHeight - 1)
    return rgb(0, 0, 0);
  if (y < 60)
    return x < 80 ? rgb(255, 0, 0) : rgb(0, 255, 0);
  return x < 80 ? rgb(0, 0, 255) : rgb(255, 255, 0);
}

uint32_t largeColour(int x, int y) {
  if (x == 0 && y == 0)
    return rgb(255, 255, 255);
  if (x == kLargeWidth - 1 && y == kLargeHeight - 1)
    return rgb(0, 0, 0);
  return rgb(10 * (x / 100), 16 * (y / 100), 128);
}

std::string picturePath(const char* name) {
  return qbtest::testDataPath(std::string("e2e/") + name);
}

// Every client pixel against the picture scrolled to (left, top); the
// result names the count and the first difference.
testing::AssertionResult showsPicture(const Capture& shot, uint32_t (*colour)(int, int),
                                      int left, int top) {
  long mismatches = 0;
  char first[128] = "";
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      uint32_t want = colour(x + left, y + top);
      if (shot.at(x, y) == want)
        continue;
      if (mismatches++ == 0)
        snprintf(first, sizeof first, "client (%d, %d) is %06X, picture (%d, %d) is %06X", x, y,
                 shot.at(x, y), x + left, y + top, want);
    }
  }
  if (mismatches == 0)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << mismatches << " pixels differ; first: " << first;
}

struct Extent {
  int width, height;
};

Extent clientExtent(App& app) {
  RECT client = {};
  clientRect(app, &client);
  return {client.right - client.left, client.bottom - client.top};
}

// The page of an axis: the visible share of the range less a 16-pixel
// margin, truncated.
int pageOf(int extent, int content, int maximum) {
  return (int)((double)(extent - 16) / (double)content * (double)maximum);
}

// The helpers below return an AssertionResult, so a failure is reported at
// the test's line: EXPECT_TRUE(positionsAre(app, 0, 10)).

// Positions as the scroll bars keep them.
testing::AssertionResult positionsAre(App& app, int horizontal, int vertical) {
  ScrollReading across, down;
  if (!readScroll(app, SB_HORZ, &across) || !readScroll(app, SB_VERT, &down))
    return testing::AssertionFailure() << app.error;
  if (across.position != horizontal || down.position != vertical)
    return testing::AssertionFailure() << "positions are (" << across.position << ", "
                                       << down.position << "), expected (" << horizontal
                                       << ", " << vertical << ")";
  return testing::AssertionSuccess();
}

testing::AssertionResult pressKeys(App& app, int virtualKey, int times) {
  for (int i = 0; i < times; ++i) {
    if (!postKey(app, virtualKey))
      return testing::AssertionFailure() << "key " << virtualKey << ": " << app.error;
  }
  return testing::AssertionSuccess();
}

// Opens the zoom dialog, checks that it is the zoom dialog offering the
// zoom in force, enters a value and presses OK.
testing::AssertionResult zoomTo(App& app, const char* offered, const char* value) {
  if (!postCommand(app, IDM_ZOOM))
    return testing::AssertionFailure() << app.error;
  HWND dialog = waitDialog(app);
  if (dialog == NULL)
    return testing::AssertionFailure() << app.error;
  std::string title = windowText(dialog), shown = dialogItemText(dialog, IDC_ZOOM_EDIT);
  if (title != "倍率を入力" || shown != offered) {
    pressDialogButton(app, dialog, IDCANCEL);
    return testing::AssertionFailure() << "the zoom dialog offers '" << shown << "' (expected '"
                                       << offered << "'), title '" << title << "'";
  }
  if (!setDialogItemText(app, dialog, IDC_ZOOM_EDIT, value) ||
      !pressDialogButton(app, dialog, IDOK))
    return testing::AssertionFailure() << app.error;
  return testing::AssertionSuccess();
}

// At (10, 10) with the given client size and no scroll bar.
testing::AssertionResult fittedTo(App& app, int clientWidth, int clientHeight) {
  RECT outer;
  ScrollReading across, down;
  if (!windowRect(app, &outer) || !readScroll(app, SB_HORZ, &across) ||
      !readScroll(app, SB_VERT, &down))
    return testing::AssertionFailure() << app.error;
  Extent client = clientExtent(app);
  if (outer.left != 10 || outer.top != 10 || client.width != clientWidth ||
      client.height != clientHeight)
    return testing::AssertionFailure()
           << "window at (" << outer.left << ", " << outer.top << ") with a client of "
           << client.width << " x " << client.height << ", expected (10, 10) and "
           << clientWidth << " x " << clientHeight;
  if (across.shown || down.shown || across.maximum != 0 || down.maximum != 0)
    return testing::AssertionFailure() << "scroll bars shown: horizontal " << across.shown
                                       << " (max " << across.maximum << "), vertical "
                                       << down.shown << " (max " << down.maximum << ")";
  return testing::AssertionSuccess();
}

TEST(ViewerStart, WithoutAPictureKeepsItsTitleAndIgnoresZoomAndKeys) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, "")) << app.error;
  EXPECT_EQ("クオビクス・画像回転", windowTitle(app));
  // A dialog may show a moment after the command was handled; give it one.
  ASSERT_TRUE(postCommand(app, IDM_ZOOM)) << app.error;
  EXPECT_EQ(NULL, waitDialog(app, 1000));
  for (int key : {VK_NEXT, VK_END, VK_DOWN, VK_RIGHT})
    ASSERT_TRUE(postKey(app, key)) << app.error;
  EXPECT_TRUE(positionsAre(app, 0, 0));
  EXPECT_EQ("クオビクス・画像回転", windowTitle(app));
}

TEST(ViewerMenu, StillPictureInAFolderOfTwo) {
  App app;
  AppGuard guard(app);
  // tests/data/e2e holds two pictures, so stepping is possible; the
  // picture is not animated and no worker runs.
  ASSERT_TRUE(launchViewer(app, picturePath("small.png"))) << app.error;
  struct Item {
    int command;
    bool grayed;
  } items[] = {{IDM_OPEN, false},           {IDM_PRINT, true},
               {IDM_EXIT, false},           {IDM_ZOOM, false},
               {IDM_NEXT_PICTURE, false},   {IDM_PREVIOUS_PICTURE, false},
               {IDM_STOP_ANIMATION, true},  {IDM_PLAY_ANIMATION, true},
               {IDM_PLAYBACK_SPEED, true},  {IDM_SCENE, true},
               {IDM_STOP_THREAD, true},     {IDM_ABOUT, false}};
  for (const Item& item : items) {
    UINT state = 0xdeadbeef;
    ASSERT_TRUE(readMenuState(app, item.command, &state)) << app.error;
    EXPECT_EQ(item.grayed, (state & MF_GRAYED) != 0) << "item " << item.command;
  }

  // Two pictures: every second Space reaches the end and asks to wrap.
  for (int step = 0; step < 4; ++step) {
    SCOPED_TRACE(step);
    ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
    HWND question = findDialog(app);
    EXPECT_EQ(step % 2 == 0, question != nullptr);
    if (question) {
      ASSERT_TRUE(pressDialogButton(app, question, IDYES)) << app.error;
    }
    EXPECT_EQ(step % 2 == 0 ? "large.png" : "small.png", windowTitle(app));
  }

  // Spaces queued while the question is open (a key held down) step
  // nothing and ask nothing more: one question, and No keeps the picture.
  for (int i = 0; i < 6; ++i) PostMessageA(app.window, WM_KEYDOWN, VK_SPACE, 0);
  HWND question = waitDialog(app);
  ASSERT_NE(nullptr, question) << app.error;
  ASSERT_TRUE(waitIdle(app)) << app.error;
  int questions = 0;
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
       w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    questions += owner == app.processId && IsWindowVisible(w);
  }
  EXPECT_EQ(1, questions);
  ASSERT_TRUE(pressDialogButton(app, question, IDNO)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));
  EXPECT_EQ("small.png", windowTitle(app));
}

TEST(ViewerSmallPicture, OpensAtTenTenSizedToThePictureWithItsPixels) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picturePath("small.png"))) << app.error;
  EXPECT_EQ("small.png", windowTitle(app));
  EXPECT_TRUE(fittedTo(app, kSmallWidth, kSmallHeight));
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, smallColour, 0, 0));

  // Without scroll bars the scroll keys do nothing.
  for (int key : {VK_NEXT, VK_DOWN, VK_END, VK_RIGHT})
    ASSERT_TRUE(postKey(app, key)) << app.error;
  EXPECT_TRUE(positionsAre(app, 0, 0));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, smallColour, 0, 0));
}

TEST(ViewerLargePicture, TakesTheMaximumTrackSizeWithBothBars) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picturePath("large.png"))) << app.error;
  EXPECT_EQ("large.png", windowTitle(app));
  RECT outer;
  ASSERT_TRUE(windowRect(app, &outer)) << app.error;
  EXPECT_EQ(10, outer.left);
  EXPECT_EQ(10, outer.top);
  EXPECT_EQ(kMaxTrackWidth, outer.right - outer.left);
  EXPECT_EQ(kMaxTrackHeight, outer.bottom - outer.top);

  Extent client = clientExtent(app);
  ScrollReading vertical, horizontal;
  ASSERT_TRUE(readScroll(app, SB_VERT, &vertical)) << app.error;
  ASSERT_TRUE(readScroll(app, SB_HORZ, &horizontal)) << app.error;
  EXPECT_TRUE(vertical.shown);
  EXPECT_TRUE(horizontal.shown);
  EXPECT_EQ(0, vertical.minimum);
  EXPECT_EQ(kLargeHeight - client.height, vertical.maximum);
  EXPECT_EQ(0, vertical.position);
  EXPECT_EQ(0, horizontal.minimum);
  EXPECT_EQ(kLargeWidth - client.width, horizontal.maximum);
  EXPECT_EQ(0, horizontal.position);
  // Both bars take room from the client area: it is narrower than the
  // window by the frame and the vertical bar, and the bars' ranges leave
  // the picture's far corner reachable.
  EXPECT_GE(outer.right - outer.left - client.width, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_GE(outer.bottom - outer.top - client.height, GetSystemMetrics(SM_CYHSCROLL));

  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, largeColour, 0, 0));
}

TEST(ViewerLargePicture, KeysScrollByPageAndPixelWithinTheRange) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picturePath("large.png"))) << app.error;
  Extent client = clientExtent(app);
  int maxV = kLargeHeight - client.height, maxH = kLargeWidth - client.width;
  int pageV = pageOf(client.height, kLargeHeight, maxV);
  int pageH = pageOf(client.width, kLargeWidth, maxH);
  ASSERT_GT(pageV, 1);
  ASSERT_GT(pageH, 1);
  Capture shot;

  // Vertical: Page Down by the page, Down and Up by one pixel.
  ASSERT_TRUE(postKey(app, VK_NEXT)) << app.error;
  EXPECT_TRUE(positionsAre(app, 0, pageV));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, largeColour, 0, pageV));
  ASSERT_TRUE(pressKeys(app, VK_DOWN, 3));
  ASSERT_TRUE(pressKeys(app, VK_UP, 1));
  EXPECT_TRUE(positionsAre(app, 0, pageV + 2));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, largeColour, 0, pageV + 2));

  // Page Down stops at the maximum, and Down there does nothing.
  ASSERT_TRUE(pressKeys(app, VK_NEXT, maxV / pageV + 1));
  ASSERT_TRUE(pressKeys(app, VK_DOWN, 2));
  EXPECT_TRUE(positionsAre(app, 0, maxV));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, largeColour, 0, maxV));

  // Horizontal: End by the page, Home back, Right and Left by one pixel.
  ASSERT_TRUE(postKey(app, VK_END)) << app.error;
  EXPECT_TRUE(positionsAre(app, pageH, maxV));
  ASSERT_TRUE(postKey(app, VK_HOME)) << app.error;
  EXPECT_TRUE(positionsAre(app, 0, maxV));
  // Home and Left at 0 do nothing.
  ASSERT_TRUE(postKey(app, VK_HOME)) << app.error;
  ASSERT_TRUE(postKey(app, VK_LEFT)) << app.error;
  EXPECT_TRUE(positionsAre(app, 0, maxV));
  ASSERT_TRUE(pressKeys(app, VK_RIGHT, 5));
  ASSERT_TRUE(pressKeys(app, VK_LEFT, 2));
  EXPECT_TRUE(positionsAre(app, 3, maxV));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, largeColour, 3, maxV));

  // End stops at the maximum: the picture's far corner shows in the
  // client's far corner.
  ASSERT_TRUE(pressKeys(app, VK_END, maxH / pageH + 1));
  ASSERT_TRUE(pressKeys(app, VK_RIGHT, 1));
  EXPECT_TRUE(positionsAre(app, maxH, maxV));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, largeColour, maxH, maxV));
  EXPECT_EQ(rgb(0, 0, 0), shot.at(shot.width - 1, shot.height - 1));

  // And back up: Page Up stops at 0, Up there does nothing.
  ASSERT_TRUE(pressKeys(app, VK_PRIOR, maxV / pageV + 1));
  ASSERT_TRUE(pressKeys(app, VK_UP, 1));
  EXPECT_TRUE(positionsAre(app, maxH, 0));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, largeColour, maxH, 0));
}

TEST(ViewerZoom, FiftyHalvesTheSmallPicture) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picturePath("small.png"))) << app.error;
  ASSERT_TRUE(zoomTo(app, "100", "50"));
  EXPECT_EQ("small.png", windowTitle(app));
  EXPECT_TRUE(fittedTo(app, kSmallWidth / 2, kSmallHeight / 2));
  // Shrunk without smoothing: the blocks keep their pure colours and meet
  // at half their distance.
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  ASSERT_EQ(kSmallWidth / 2, shot.width);
  EXPECT_EQ(rgb(255, 0, 0), shot.at(38, 28));
  EXPECT_EQ(rgb(0, 255, 0), shot.at(42, 28));
  EXPECT_EQ(rgb(0, 0, 255), shot.at(38, 32));
  EXPECT_EQ(rgb(255, 255, 0), shot.at(42, 32));
  EXPECT_EQ(rgb(255, 255, 0), shot.at(110, 80));
}

TEST(ViewerZoom, FiftyThenTenIsIgnoredThenElevenIsTaken) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picturePath("large.png"))) << app.error;
  // Half of 2500 x 1500 fits the desktop: no more scroll bars.
  ASSERT_TRUE(zoomTo(app, "100", "50"));
  EXPECT_TRUE(fittedTo(app, kLargeWidth / 2, kLargeHeight / 2));
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  // Tile (c, r) now starts at (50c, 50r).
  EXPECT_EQ(rgb(30, 32, 128), shot.at(3 * 50 + 25, 2 * 50 + 25));
  EXPECT_EQ(rgb(240, 224, 128), shot.at(24 * 50 + 25, 14 * 50 + 25));

  // 10 is not more than 10: the dialog closes and nothing changes.
  ASSERT_TRUE(zoomTo(app, "50", "10"));
  EXPECT_TRUE(fittedTo(app, kLargeWidth / 2, kLargeHeight / 2));
  // 11 is taken: 2500 x 0.11 = 275, 1500 x 0.11 = 165.
  ASSERT_TRUE(zoomTo(app, "50", "11"));
  EXPECT_TRUE(fittedTo(app, 275, 165));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_EQ(rgb(30, 32, 128), shot.at(38, 27));
  // The next dialog offers the zoom in force.
  ASSERT_TRUE(postCommand(app, IDM_ZOOM)) << app.error;
  HWND dialog = waitDialog(app);
  ASSERT_NE((HWND)NULL, dialog) << app.error;
  EXPECT_EQ("11", dialogItemText(dialog, IDC_ZOOM_EDIT));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
  EXPECT_TRUE(fittedTo(app, 275, 165));
}

uint32_t smallDoubled(int x, int y) {
  return smallColour(x / 2, y / 2);
}

TEST(ViewerZoom, RefusedEntriesChangeNothingAndTwoHundredDoubles) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picturePath("small.png"))) << app.error;
  // Empty, no digits, the zoom in force, a minus sign (a huge zoom when
  // read unsigned) and a zoom whose display no window could hold: each
  // closes the dialog and leaves the view as it was.
  for (const char* entry : {"", "abc", "100", "-5", "100000"}) {
    SCOPED_TRACE(std::string("entry '") + entry + "'");
    ASSERT_TRUE(zoomTo(app, "100", entry));
    EXPECT_TRUE(isRunning(app));
    EXPECT_TRUE(fittedTo(app, kSmallWidth, kSmallHeight));
  }
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, smallColour, 0, 0));

  // Leading blanks and trailing text are read the usual way: " 200%" is 200.
  ASSERT_TRUE(zoomTo(app, "100", " 200%"));
  EXPECT_TRUE(fittedTo(app, 2 * kSmallWidth, 2 * kSmallHeight));
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, smallDoubled, 0, 0));
}

TEST(ViewerClose, AsksFirstNoKeepsTheWindowYesEndsWithZero) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picturePath("small.png"))) << app.error;
  ASSERT_TRUE(postCommand(app, IDM_EXIT)) << app.error;
  HWND box = waitDialog(app);
  ASSERT_NE((HWND)NULL, box) << app.error;
  EXPECT_EQ("alert message", windowText(box));
  EXPECT_EQ("終了しますか", messageBoxText(box));
  ASSERT_TRUE(pressDialogButton(app, box, IDNO)) << app.error;
  EXPECT_TRUE(isRunning(app));
  EXPECT_EQ(NULL, findDialog(app));
  EXPECT_EQ("small.png", windowTitle(app));
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  EXPECT_TRUE(showsPicture(shot, smallColour, 0, 0));

  // The window's close box sends WM_CLOSE: the same question.
  ASSERT_TRUE(postMessageIdle(app, WM_CLOSE, 0, 0)) << app.error;
  box = waitDialog(app);
  ASSERT_NE((HWND)NULL, box) << app.error;
  EXPECT_EQ("alert message", windowText(box));
  EXPECT_EQ("終了しますか", messageBoxText(box));
  ASSERT_TRUE(pressDialogButton(app, box, IDYES)) << app.error;
  ASSERT_TRUE(waitExit(app)) << app.error;
  EXPECT_EQ(0, app.exitCode);
}

}  // namespace
