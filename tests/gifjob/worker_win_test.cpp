// The frames worker's start and the main window's report, under Wine,
// without the dialogs: the failures that end a start before the parameter
// dialog, the worker's copy of the picture, and the outcome texts.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "rotation/framesworker.h"
#include "shell/shell.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"

using namespace qbtest;

namespace {

std::string resultText(int code, int state, int* returned = nullptr) {
  wchar_t text[128];
  std::wmemset(text, L'x', 128);
  int r = workerResultText(text, 128, code, state);
  if (returned) *returned = r;
  return utf8(text);
}

class StartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.zoomPercent = 100;
    app.rotation = RotationSettings{InPlane, 30, 0x00ffffff, {}, 0};
    lstrcpyW(app.workFolder, wide(work.path()).c_str());
  }
  void TearDown() override {
    if (picture) releasePicture(picture);
    app.workFolder[0] = L'\0';
    app.rotation.angleDegrees = 0;
  }
  Picture* load(const std::string& relative) {
    picture = createPicture(wide(testDataPath("gifjob/" + relative)).c_str(), testWindow());
    return picture;
  }
  // startRotationFrames on a fresh source; the source is freed here as the
  // rotation command does when no worker started.
  int start() {
    int result = 99;
    TurnSource* source = takeTurnSource(picture, &result);
    if (!source) return result;
    HANDLE thread = startRotationFrames(source, testWindow(), &result);
    EXPECT_EQ(nullptr, thread);
    delete source;
    return result;
  }
  ScratchFolder work;
  Picture* picture = nullptr;
};

}  // namespace

TEST(WorkerResultText, EveryOutcomeAndTheUnexpected) {
  int r = -1;
  EXPECT_EQ("アニメGIF作成終了", resultText(1, 2, &r));
  EXPECT_EQ(1, r);
  EXPECT_EQ("アニメGIF作成途中で中止", resultText(1, 0));
  EXPECT_EQ("アニメGIFファイルの作成に失敗", resultText(WorkerOutputFailed, 2));
  EXPECT_EQ("一時保存用ビットマップへの画像出力に失敗", resultText(-7, 1));
  EXPECT_EQ("一時保存ファイルへの保存に失敗", resultText(-6, 1));
  EXPECT_EQ("ファイル変換失敗", resultText(-5, 1));
  EXPECT_EQ("画像情報取得に失敗", resultText(-3, 1));
  EXPECT_EQ("回転元ファイル情報獲得に失敗", resultText(-2, 1));
  for (int code : {0, 5, -1, -4, int(WorkerAssemblyStopped)}) {
    EXPECT_EQ("予期しない状態が発生しました", resultText(code, 2, &r)) << code;
    EXPECT_EQ(0, r) << code;
  }
  wchar_t small[8];
  workerResultText(small, 8, 1, 2);  // cut, never overrun
  EXPECT_EQ(7u, std::wcslen(small));
}

TEST_F(StartTest, TheSourceIsThePicturesOwnPixelsSharingNothing) {
  ASSERT_NE(nullptr, load("quadrants_300x400.png"));
  ASSERT_EQ(1, renderPicture(picture));
  int result = 0;
  TurnSource* source = takeTurnSource(picture, &result);
  ASSERT_NE(nullptr, source);
  EXPECT_EQ(RotationJobStarted, result);
  EXPECT_EQ(300, source->pixels.rows.width);
  EXPECT_EQ(400, source->pixels.rows.height);
  EXPECT_NE(picture->surfacePixels, source->pixels.rows.top);
  // The top left quadrant's colour, as the surface shows it.
  EXPECT_EQ(picture->surfacePixels[0] & 0x00ffffff, source->pixels.rows.top[0]);
  EXPECT_EQ(0x00ffffffu, source->fill);
  delete source;
  // The shown picture still draws after the source is gone.
  EXPECT_EQ(1, renderPicture(picture));
}

TEST_F(StartTest, StepsBelowTenDegreesWriteNothing) {
  ASSERT_NE(nullptr, load("quadrants_300x400.png"));
  for (int angle : {9, -9, 365, 0}) {
    app.rotation.angleDegrees = angle;
    EXPECT_EQ(-1, start()) << angle;
  }
  EXPECT_TRUE(filesIn(work.path()).empty());
}

TEST_F(StartTest, WithoutAWorkingFolderNothingIsWrittenAnywhere) {
  ASSERT_NE(nullptr, load("quadrants_300x400.png"));
  app.workFolder[0] = L'\0';
  EXPECT_EQ(-7, start());
  // A folder too deep for the frame names is no folder either.
  std::string deep = work.path() + "\\" + std::string(252 - work.path().size() - 1, 'd');
  ASSERT_EQ(252u, deep.size());  // + "\\temp.bmp" does not fit in 260
  lstrcpyW(app.workFolder, wide(deep).c_str());
  EXPECT_EQ(-7, start());
  EXPECT_TRUE(filesIn(work.path()).empty());
  EXPECT_EQ(nullptr, app.framesJob.source);
}

TEST_F(StartTest, AFirstFrameThatCannotBeDrawnLeavesNoFile) {
  // An animated picture's image belongs to its playback: drawing is refused.
  ASSERT_NE(nullptr, load("anim_15_frames_30x20.gif"));
  EXPECT_EQ(-8, start());
  EXPECT_TRUE(filesIn(work.path()).empty());
  EXPECT_EQ(L'\0', app.firstFramePath[0]);
}

TEST_F(StartTest, FramesAreTheSameBytesOnOneThreadAndOnFour) {
  ASSERT_NE(nullptr, load("photo_300x400.png"));
  int result = 0;
  TurnSource* source = takeTurnSource(picture, &result);
  ASSERT_NE(nullptr, source);
  const PixelRows& rows = source->pixels.rows;
  ASSERT_TRUE(imgctlTurnPalette(rows.top, rows.width, rows.height, rows.stride, 0x00ffffff,
                                source->palette));
  RotationFramesJob& job = app.framesJob;
  resetFramesJob(&job);
  job.source = source;
  job.angleStep = 30;
  job.frameCount = 12;
  job.window = testWindow();
  std::vector<std::string> frames[2];
  for (int threads : {1, 4}) {
    bool allMade = false;
    ASSERT_EQ(WorkerSucceeded, makeOtherFrames(&job, threads, 0, &allMade)) << threads;
    EXPECT_TRUE(allMade);
    for (int i = 1; i < 12; ++i) {
      std::string path = work.file("temp" + std::to_string(i) + ".gif");
      frames[threads == 4].push_back(readFile(path));
      DeleteFileA(path.c_str());
    }
  }
  for (int i = 0; i < 11; ++i) {
    EXPECT_FALSE(frames[0][i].empty()) << i;
    EXPECT_TRUE(frames[0][i] == frames[1][i]) << "frame " << i + 1;
  }
  EXPECT_TRUE(filesIn(work.path()).empty());
  resetFramesJob(&job);
  delete source;
}
