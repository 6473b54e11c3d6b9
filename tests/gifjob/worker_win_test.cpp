// The frames worker's start and the main window's report, under Wine,
// without the dialogs: the failures that end a start before the parameter
// dialog, the worker's copy of the picture, and the outcome texts.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "rotation/framesworker.h"
#include "shell/appstate.h"
#include "shell/shell.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"

using namespace qbtest;

namespace {

std::string resultText(int code, int state, int* returned = nullptr) {
  char text[128];
  std::memset(text, 'x', sizeof text);
  int r = workerResultText(text, sizeof text, code, state);
  if (returned) *returned = r;
  return text;
}

class StartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.zoomPercent = 100;
    app.rotation = RotationSettings{InPlane, 30, 0x00ffffff, {}, 0};
    std::strcpy(app.workFolder, work.path().c_str());
  }
  void TearDown() override {
    if (picture) releasePicture(picture);
    app.workFolder[0] = '\0';
    app.rotation.angleDegrees = 0;
  }
  Picture* load(const std::string& relative) {
    picture = createPicture(testDataPath("gifjob/" + relative).c_str(), testWindow());
    return picture;
  }
  // startRotationFrames on a fresh copy; the copy is released here as the
  // rotation command does when no worker started.
  int start() {
    Picture* copy = copyPictureForWorker(picture);
    int result = 99;
    HANDLE thread = startRotationFrames(copy, testWindow(), &result);
    EXPECT_EQ(nullptr, thread);
    releasePicture(copy);
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
  for (int code : {0, 5, -1, -4, WorkerAssemblyStopped}) {
    EXPECT_EQ("予期しない状態が発生しました", resultText(code, 2, &r)) << code;
    EXPECT_EQ(0, r) << code;
  }
  char small[8];
  workerResultText(small, sizeof small, 1, 2);  // cut, never overrun
  EXPECT_EQ(7u, std::strlen(small));
}

TEST_F(StartTest, TheCopySharesNothingDrawable) {
  ASSERT_NE(nullptr, load("quadrants_300x400.png"));
  ASSERT_EQ(1, renderPicture(picture));
  Picture* copy = copyPictureForWorker(picture);
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(nullptr, copy->surfaceDC);
  EXPECT_EQ(nullptr, copy->surfaceBitmap);
  ASSERT_NE(nullptr, copy->image);
  EXPECT_NE(picture->image, copy->image);
  EXPECT_NE(nullptr, copy->image->nativeImage);
  EXPECT_NE(picture->image->nativeImage, copy->image->nativeImage);
  EXPECT_EQ(300u, copy->surfaceWidth);
  EXPECT_EQ(400u, copy->surfaceHeight);
  EXPECT_EQ(0u, copy->imageWidth);
  EXPECT_EQ(nullptr, copy->playbackThread);
  EXPECT_EQ(nullptr, copy->runEvent);
  releasePicture(copy);
  // The shown picture still draws after the copy is gone.
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
  app.workFolder[0] = '\0';
  EXPECT_EQ(-7, start());
  // A folder too deep for the frame names is no folder either.
  std::string deep = work.path() + "\\" + std::string(252 - work.path().size() - 1, 'd');
  ASSERT_EQ(252u, deep.size());  // + "\\temp.bmp" does not fit in 260
  std::strcpy(app.workFolder, deep.c_str());
  EXPECT_EQ(-7, start());
  EXPECT_TRUE(filesIn(work.path()).empty());
  EXPECT_EQ(nullptr, app.framesJob.picture);
  EXPECT_EQ('\0', app.framesJob.tempBmpPath[0]);
}

TEST_F(StartTest, AFirstFrameThatCannotBeDrawnLeavesNoFile) {
  // An animated picture's image belongs to its playback: drawing is refused.
  ASSERT_NE(nullptr, load("anim_15_frames_30x20.gif"));
  EXPECT_EQ(-8, start());
  EXPECT_TRUE(filesIn(work.path()).empty());
  EXPECT_EQ('\0', app.firstFramePath[0]);
}
