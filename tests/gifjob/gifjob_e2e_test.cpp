// The animated GIF of a full turn, end to end on the real program under
// Wine: the rotation dialog with its box ticked, the parameter dialog, the
// output dialog, the worker and its end report. Every output is judged by
// gif_walk.py (a byte walk of its own and ImageMagick's decoder), never by
// the program's own reader.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "tests/gifjob/jobdriver.h"

namespace {

const char made[] = "アニメGIF作成終了";

// 47 49 46 38 39 61: what every output starts with.
bool isGif89a(const std::string& bytes) { return bytes.compare(0, 6, "GIF89a") == 0; }

}  // namespace

TEST(AnimatedGifJob, ThirtyDegreesMakeTwelveFramesWithTheChosenValues) {
  ScratchDir dir;
  std::string picture = dir.copy("photo_300x400.png", "photo.png");
  std::string output = dir.file("turn.gif");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture, 150)) << app.error;
  std::string title = windowTitle(app);

  HWND params = openParamsDialog(app, 30);
  ASSERT_NE(nullptr, params) << app.error;
  // The first opening shows the start values.
  EXPECT_EQ("0", dialogItemText(params, IDC_GIF_LOOP_EDIT));
  EXPECT_EQ("0", dialogItemText(params, IDC_GIF_DELAY_EDIT));
  EXPECT_EQ(0, SendMessageA(GetDlgItem(params, IDC_GIF_DISPOSAL_COMBO), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(5, SendMessageA(GetDlgItem(params, IDC_GIF_DISPOSAL_COMBO), CB_GETCOUNT, 0, 0));
  EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(params, IDC_GIF_TRANSPARENCY_OFF), BM_GETCHECK, 0, 0));
  setParams(params, 3, 10, 2, 1);
  ASSERT_TRUE(confirmAndName(app, params, output)) << app.error;

  // While the worker renders, the title counts the frames.
  bool sawProgress = false;
  for (int waited = 0; waited < 20000 && !findDialog(app); waited += 20) {
    std::string now = windowTitle(app);
    if (now.rfind("アニメGIF作成中... ", 0) == 0 && now.find("/12") != std::string::npos)
      sawProgress = true;
    Sleep(20);
  }
  EXPECT_TRUE(sawProgress);
  EXPECT_EQ(made, waitOutcome(app)) << app.error;
  EXPECT_EQ(title, windowTitle(app));
  EXPECT_TRUE(filesIn(workFolder()).empty());

  std::string bytes = readBytes(output);
  ASSERT_TRUE(isGif89a(bytes));
  WalkedGif gif;
  std::string error;
  ASSERT_TRUE(walkGif(output, &gif, &error)) << error;
  EXPECT_EQ(500, gif.screenWidth);
  EXPECT_EQ(500, gif.screenHeight);
  EXPECT_EQ(256, gif.globalEntries);
  ASSERT_EQ(1u, gif.netscapeLoops.size());
  EXPECT_EQ(3, gif.netscapeLoops[0]);
  ASSERT_EQ(12u, gif.frames.size());
  for (const WalkedFrame& f : gif.frames) {
    EXPECT_EQ(0x09, f.gcePacked);  // disposal 2, transparency on
    EXPECT_EQ(10, f.delay);
    EXPECT_EQ(0, f.localEntries);  // every frame drawn with the global table
    EXPECT_EQ(0, f.packed & 0x80);
    EXPECT_EQ(500, f.width);
    EXPECT_EQ(500, f.height);
  }
  EXPECT_EQ(0, gif.bytesAfterTrailer);
  EXPECT_EQ(12u, gif.decoded.size());
}
