// The whole-job benchmark's Windows half, run by bench/gifjob-turn on a
// Wine desktop (not a test: it only measures). Two steps, chosen by
// QB_BENCH_STEP:
//   reference  renders the program's own 24-bit frames of a full turn of
//              QB_BENCH_PICTURE in steps of QB_BENCH_ANGLE into the folder
//              QB_BENCH_FRAMES (frameNN.bmp), through the same drawing the
//              worker uses, for the quality comparison;
//   job        drives the program: the rotation dialog with the box ticked,
//              the parameter dialog (delay 10, loop 0), the output dialog
//              naming QB_BENCH_OUTPUT, and times from the press of Save to
//              the worker's end report, in milliseconds, written to
//              QB_BENCH_TIMES.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rotation/framejob.h"
#include "rotation/rotation.h"
#include "shell/appstate.h"
#include "tests/gifjob/jobdriver.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"

using namespace qbtest;

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

const int fileNameCombo = 0x47C, fileNameEdit = 0x480;

}  // namespace

TEST(Bench, Reference) {
  if (env("QB_BENCH_STEP") != "reference") GTEST_SKIP();
  std::string folder = env("QB_BENCH_FRAMES");
  int angle = std::atoi(env("QB_BENCH_ANGLE").c_str());
  app.rotation = RotationSettings{InPlane, angle, 0x00ffffff, {}, 0};
  Picture* picture = createPicture(env("QB_BENCH_PICTURE").c_str(), testWindow());
  ASSERT_NE(nullptr, picture);
  TurnPlan plan;
  ASSERT_TRUE(planTurn(angle, &plan));
  float xdpi = 0, ydpi = 0;
  chooseBitmapKind(FileTypeGif, picture, &xdpi, &ydpi);
  for (int i = 0; i < plan.frames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\frame%02d.bmp", i);
    wchar_t wide[MAX_PATH];
    ASSERT_TRUE(toWidePath((folder + name).c_str(), wide, MAX_PATH));
    ASSERT_EQ(1, renderRotatedToFile(picture, FileTypeBmp, wide, frameAngle(plan.step, i),
                                     Rgb24WithResolution, xdpi, ydpi, nullptr, nullptr));
  }
  releasePicture(picture);
}

TEST(Bench, Job) {
  if (env("QB_BENCH_STEP") != "job") GTEST_SKIP();
  App program;
  AppGuard guard(program);
  ASSERT_TRUE(launchViewer(program, env("QB_BENCH_PICTURE"))) << program.error;
  HWND params = openParamsDialog(program, std::atoi(env("QB_BENCH_ANGLE").c_str()));
  ASSERT_NE(nullptr, params) << program.error;
  setParams(params, 0, 10, 0, 0);
  ASSERT_TRUE(pressDialogButton(program, params, IDOK)) << program.error;
  HWND save = waitDialogTitled(program, "保存ファイルを指定");
  ASSERT_NE(nullptr, save) << program.error;
  std::string output = env("QB_BENCH_OUTPUT");
  DeleteFileA(output.c_str());
  int nameId = GetDlgItem(save, fileNameCombo) ? fileNameCombo : fileNameEdit;
  ASSERT_TRUE(setDialogItemText(program, save, nameId, output)) << program.error;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  clickButton(save, IDOK);
  Box box;
  ASSERT_TRUE(waitBox(program, "スレッド終了", &box, 600000)) << program.error;
  QueryPerformanceCounter(&end);
  EXPECT_EQ("アニメGIF作成終了", box.text);
  ASSERT_TRUE(pressDialogButton(program, box.window, IDOK)) << program.error;
  double ms = double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
  FILE* times = std::fopen(env("QB_BENCH_TIMES").c_str(), "w");
  ASSERT_NE(nullptr, times);
  std::fprintf(times, "%.0f\n", ms);
  std::fclose(times);
}
