// The animated GIF of a full turn, end to end on the real program under
// Wine: the rotation dialog with its box ticked, the parameter dialog, the
// output dialog, the worker and its end report. Every output is judged by
// gif_walk.py (a byte walk of its own and ImageMagick's decoder), never by
// the program's own reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "resources/resource.h"
#include "tests/gifjob/jobdriver.h"
#include "tests/support/wait.h"

using namespace qbtest;

namespace {

const char made[] = "アニメGIF作成終了";

// 47 49 46 38 39 61: what every output starts with.
bool isGif89a(const std::string& bytes) { return bytes.compare(0, 6, "GIF89a") == 0; }

}  // namespace

TEST(AnimatedGifJob, ThirtyDegreesMakeTwelveFramesWithTheChosenValues) {
  ScratchFolder dir;
  // Names outside code page 932 for both the picture and the output.
  std::string picture = dir.copy("gifjob/photo_300x400.png", "фото ✓.png");
  std::string output = dir.file("turn café 한국어 😀.gif");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture, 150)) << app.error;
  std::string title = windowTitle(app);
  EXPECT_EQ("фото ✓.png", title);

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
  waitUntil([&] {
    std::string now = windowTitle(app);
    if (now.rfind("アニメGIF作成中... ", 0) == 0 && now.find("/12") != std::string::npos)
      sawProgress = true;
    return findDialog(app) != nullptr;
  }, 20000, 20);
  EXPECT_TRUE(sawProgress);
  EXPECT_EQ(made, waitOutcome(app)) << app.error;
  EXPECT_EQ(title, windowTitle(app));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());

  keepFile(output, "photo-30-degrees.gif");
  std::string bytes = readFile(output);
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

TEST(AnimatedGifJob, ReopeningShowsTheLastValuesAndCancellingLeavesNothing) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture)) << app.error;
  std::string title = windowTitle(app);

  HWND params = openParamsDialog(app, 180);
  ASSERT_NE(nullptr, params) << app.error;
  setParams(params, 3, 10, 2, 1);
  ASSERT_TRUE(confirmAndName(app, params, dir.file("first.gif"))) << app.error;
  EXPECT_EQ(made, waitOutcome(app)) << app.error;

  // Cancel on the parameter dialog after new values: they are not kept, no
  // file is written and nothing is shown.
  params = openParamsDialog(app, 180);
  ASSERT_NE(nullptr, params) << app.error;
  EXPECT_EQ("3", dialogItemText(params, IDC_GIF_LOOP_EDIT));
  EXPECT_EQ("10", dialogItemText(params, IDC_GIF_DELAY_EDIT));
  EXPECT_EQ(2, SendMessageA(GetDlgItem(params, IDC_GIF_DISPOSAL_COMBO), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(params, IDC_GIF_TRANSPARENCY_ON), BM_GETCHECK, 0, 0));
  setParams(params, 7, 70, 1, 0);
  ASSERT_TRUE(pressDialogButton(app, params, IDCANCEL)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
  EXPECT_EQ(title, windowTitle(app));

  // Cancel on the output dialog: no file, no message.
  params = openParamsDialog(app, 180);
  ASSERT_NE(nullptr, params) << app.error;
  EXPECT_EQ("3", dialogItemText(params, IDC_GIF_LOOP_EDIT));
  EXPECT_EQ("10", dialogItemText(params, IDC_GIF_DELAY_EDIT));
  ASSERT_TRUE(pressDialogButton(app, params, IDOK)) << app.error;
  HWND save = waitDialogTitled(app, "保存ファイルを指定");
  ASSERT_NE(nullptr, save) << app.error;
  ASSERT_TRUE(pressDialogButton(app, save, IDCANCEL)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
  EXPECT_EQ((std::set<std::string>{"first.gif", "quadrants.png"}), filesIn(dir.path()));
  EXPECT_EQ(title, windowTitle(app));
}

TEST(AnimatedGifJob, LoopCountKeepsSixteenBitsAndOneFrameStillLoops) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture)) << app.error;

  // 200 degrees: one unrotated frame; the empty fifth disposal item is 4.
  HWND params = openParamsDialog(app, 200);
  ASSERT_NE(nullptr, params) << app.error;
  setParams(params, 70000, -1, 4, -1);
  SendMessageA(GetDlgItem(params, IDC_GIF_DELAY_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  ASSERT_TRUE(confirmAndName(app, params, dir.file("one.gif"))) << app.error;
  EXPECT_EQ(made, waitOutcome(app)) << app.error;
  WalkedGif gif;
  std::string error;
  ASSERT_TRUE(walkGif(dir.file("one.gif"), &gif, &error)) << error;
  EXPECT_EQ("89a", gif.version);
  ASSERT_EQ(1u, gif.netscapeLoops.size());
  EXPECT_EQ(4464, gif.netscapeLoops[0]);
  ASSERT_EQ(1u, gif.frames.size());
  EXPECT_EQ(0x10, gif.frames[0].gcePacked);  // disposal 4, transparency off
  EXPECT_EQ(0, gif.frames[0].delay);
  EXPECT_EQ(500, gif.screenWidth);
  ASSERT_EQ(1u, gif.decoded.size());

  // Text typed into the disposal box selects no item: the method stays 4.
  params = openParamsDialog(app, 200);
  ASSERT_NE(nullptr, params) << app.error;
  EXPECT_EQ("4464", dialogItemText(params, IDC_GIF_LOOP_EDIT));
  EXPECT_EQ("0", dialogItemText(params, IDC_GIF_DELAY_EDIT));
  HWND combo = GetDlgItem(params, IDC_GIF_DISPOSAL_COMBO);
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("9-typed"));
  ASSERT_TRUE(confirmAndName(app, params, dir.file("typed.gif"))) << app.error;
  EXPECT_EQ(made, waitOutcome(app)) << app.error;
  ASSERT_TRUE(walkGif(dir.file("typed.gif"), &gif, &error)) << error;
  ASSERT_EQ(1u, gif.frames.size());
  EXPECT_EQ(0x10, gif.frames[0].gcePacked);
  EXPECT_EQ(4464, gif.netscapeLoops.at(0));
}

TEST(AnimatedGifJob, StepsBelowTenDegreesAreRefusedBeforeAnyDialog) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture)) << app.error;
  for (int angle : {9, -9, 365}) {
    SCOPED_TRACE(angle);
    PostMessageA(app.window, WM_COMMAND, IDM_ROTATE, 0);
    HWND rotation = waitDialogTitled(app, "回転角度を入力");
    ASSERT_NE(nullptr, rotation) << app.error;
    ASSERT_TRUE(setDialogItemText(app, rotation, IDC_ANGLE_EDIT, std::to_string(angle)));
    SendMessageA(GetDlgItem(rotation, IDC_MAKE_ANIMATION), BM_CLICK, 0, 0);
    ASSERT_TRUE(pressDialogButton(app, rotation, IDOK)) << app.error;
    Box box;
    ASSERT_TRUE(waitBox(app, "Invalid angle", &box)) << app.error;
    EXPECT_EQ("指定角度が無効です", box.text);
    ASSERT_TRUE(pressDialogButton(app, box.window, IDOK)) << app.error;
    EXPECT_TRUE(filesIn(programWorkFolder()).empty());
  }
  // 370 is 10 degrees a frame: 36 frames; -30 turns the other way in 12.
  for (int angle : {370, -30}) {
    SCOPED_TRACE(angle);
    HWND params = openParamsDialog(app, angle);
    ASSERT_NE(nullptr, params) << app.error;
    std::string output = dir.file("turn" + std::to_string(angle) + ".gif");
    ASSERT_TRUE(confirmAndName(app, params, output)) << app.error;
    EXPECT_EQ(made, waitOutcome(app)) << app.error;
    WalkedGif gif;
    std::string error;
    ASSERT_TRUE(walkGif(output, &gif, &error)) << error;
    EXPECT_EQ(angle == 370 ? 36u : 12u, gif.frames.size());
    EXPECT_EQ(gif.frames.size(), gif.decoded.size());
  }
}

namespace {

// Waits until the title counts `done` frames of the job (or more).
bool waitProgress(App& app, int done, int total, int timeoutMs = 60000) {
  bool counted = false;
  waitUntil([&] {
    int seenDone = 0, seenTotal = 0;
    counted = std::sscanf(windowTitle(app).c_str(), "アニメGIF作成中... %d/%d", &seenDone, &seenTotal) == 2 &&
              seenTotal == total && seenDone >= done;
    return counted || findDialog(app) != nullptr;
  }, timeoutMs, 20);
  if (!counted)
    app.error = "the title never counted " + std::to_string(done) + " frames: " + windowTitle(app);
  return counted;
}

bool menuEnabled(App& app, int command) {
  UINT state = 0;
  return readMenuState(app, command, &state) && !(state & MF_GRAYED);
}

const std::string oldBytes = "the user's own file, not a GIF at all";

}  // namespace

TEST(StopCommand, DuringRenderingStopsAfterTheFrameAndKeepsTheOldFile) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  std::string output = dir.write("turn.gif", oldBytes);
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture, 300)) << app.error;
  EXPECT_FALSE(menuEnabled(app, IDM_STOP_THREAD));
  HWND params = openParamsDialog(app, 10);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, output)) << app.error;
  ASSERT_TRUE(waitProgress(app, 3, 36)) << app.error;
  EXPECT_TRUE(menuEnabled(app, IDM_STOP_THREAD));
  ASSERT_TRUE(postCommand(app, IDM_STOP_THREAD)) << app.error;
  EXPECT_EQ("アニメGIF作成途中で中止", waitOutcome(app)) << app.error;
  EXPECT_EQ(oldBytes, readFile(output));
  EXPECT_EQ((std::set<std::string>{"quadrants.png", "turn.gif"}), filesIn(dir.path()));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
  EXPECT_FALSE(menuEnabled(app, IDM_STOP_THREAD));
}

TEST(StopCommand, ASecondJobAndClosingAreRefusedWhileOneRuns) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture, 300)) << app.error;
  HWND params = openParamsDialog(app, 10);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, dir.file("turn.gif"))) << app.error;
  ASSERT_TRUE(waitProgress(app, 2, 36)) << app.error;

  PostMessageA(app.window, WM_COMMAND, IDM_ROTATE, 0);
  HWND rotation = waitDialogTitled(app, "回転角度を入力");
  ASSERT_NE(nullptr, rotation) << app.error;
  SendMessageA(GetDlgItem(rotation, IDC_MAKE_ANIMATION), BM_CLICK, 0, 0);
  ASSERT_TRUE(pressDialogButton(app, rotation, IDOK)) << app.error;
  Box box;
  ASSERT_TRUE(waitBox(app, "Animation GIF creation", &box)) << app.error;
  EXPECT_EQ("他のアニメGIF作成中です。終了まで待ってください", box.text);
  ASSERT_TRUE(pressDialogButton(app, box.window, IDOK)) << app.error;

  PostMessageA(app.window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitBox(app, "No close", &box)) << app.error;
  EXPECT_EQ("別スレッドが実行中なので終了できません", box.text);
  ASSERT_TRUE(pressDialogButton(app, box.window, IDOK)) << app.error;
  EXPECT_TRUE(isRunning(app));

  ASSERT_TRUE(postCommand(app, IDM_STOP_THREAD)) << app.error;
  EXPECT_EQ("アニメGIF作成途中で中止", waitOutcome(app)) << app.error;
  // With the job over, closing asks as usual.
  PostMessageA(app.window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitBox(app, "alert message", &box)) << app.error;
  EXPECT_EQ("終了しますか", box.text);
  ASSERT_TRUE(pressDialogButton(app, box.window, IDNO)) << app.error;
}

TEST(StopCommand, ForceStopDuringAssemblyWithYesEndsTheProgramAndKeepsTheOldFile) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/photo_300x400.png", "photo.png");
  std::string output = dir.write("turn.gif", oldBytes);
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture, 400)) << app.error;
  HWND params = openParamsDialog(app, 30);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, output)) << app.error;
  ASSERT_TRUE(waitProgress(app, 12, 12)) << app.error;  // counted once assembling
  PostMessageA(app.window, WM_COMMAND, IDM_STOP_THREAD, 0);
  Box box;
  ASSERT_TRUE(waitBox(app, "Alert", &box)) << app.error;
  EXPECT_EQ("強制終了しますか?", box.text);
  // Yes: the program ends once the worker has left the assembly, so there
  // is no idle window to wait for.
  DWORD asked = GetTickCount();
  clickButton(box.window, IDYES);
  ASSERT_TRUE(waitExit(app, 10000)) << app.error;
  EXPECT_LT(GetTickCount() - asked, 5000u);
  EXPECT_EQ(oldBytes, readFile(output));
  EXPECT_EQ((std::set<std::string>{"photo.png", "turn.gif"}), filesIn(dir.path()));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
}

TEST(StopCommand, ForceStopDuringAssemblyWithNoLetsTheJobFinish) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/photo_300x400.png", "photo.png");
  std::string output = dir.write("turn.gif", oldBytes);
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture, 300)) << app.error;
  HWND params = openParamsDialog(app, 30);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, output)) << app.error;
  ASSERT_TRUE(waitProgress(app, 12, 12)) << app.error;
  PostMessageA(app.window, WM_COMMAND, IDM_STOP_THREAD, 0);
  Box box;
  ASSERT_TRUE(waitBox(app, "Alert", &box)) << app.error;
  // The worker waits while the question is shown: the old file stays for
  // longer than an assembly that went on would take (a 300 ms pause before
  // each of its 12 frames).
  EXPECT_FALSE(waitUntil([&] { return readFile(output) != oldBytes; }, 12 * 300 + 1000, 50));
  ASSERT_TRUE(pressDialogButton(app, box.window, IDNO)) << app.error;
  EXPECT_EQ(made, waitOutcome(app)) << app.error;
  WalkedGif gif;
  std::string error;
  ASSERT_TRUE(walkGif(output, &gif, &error)) << error;
  EXPECT_EQ(12u, gif.frames.size());
  EXPECT_EQ(12u, gif.decoded.size());
  EXPECT_EQ((std::set<std::string>{"photo.png", "turn.gif"}), filesIn(dir.path()));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
}

namespace {

// A job whose output's folder goes while the worker pauses before it
// assembles, and the stop question over it: the assembly then fails at
// once, and the worker deletes its frames just before it reports its end.
// Once they are gone and the program is idle, the report has arrived while
// the question is still shown.
void askWhileTheWorkerFails(App& app, const ScratchFolder& dir, Box* box) {
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  dir.makeFolder("out");
  ASSERT_TRUE(launchViewer(app, picture, 1500)) << app.error;
  HWND params = openParamsDialog(app, 180);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, dir.file("out\\turn.gif"))) << app.error;
  ASSERT_TRUE(waitProgress(app, 2, 2)) << app.error;
  ASSERT_TRUE(RemoveDirectoryA(dir.file("out").c_str()));
  PostMessageA(app.window, WM_COMMAND, IDM_STOP_THREAD, 0);
  ASSERT_TRUE(waitBox(app, "Alert", box)) << app.error;
  ASSERT_TRUE(waitUntil([] { return filesIn(programWorkFolder()).empty(); }, 10000));
  ASSERT_TRUE(waitIdle(app)) << app.error;
  EXPECT_EQ(box->window, findDialog(app)) << windowText(findDialog(app));
}

}  // namespace

TEST(StopCommand, WorkerDoneDuringTheQuestionIsReportedAfterNo) {
  ScratchFolder dir;
  App app;
  AppGuard guard(app);
  Box box;
  ASSERT_NO_FATAL_FAILURE(askWhileTheWorkerFails(app, dir, &box));
  ASSERT_TRUE(pressDialogButton(app, box.window, IDNO)) << app.error;
  EXPECT_EQ("アニメGIFファイルの作成に失敗", waitOutcome(app)) << app.error;
  EXPECT_FALSE(folderExists(dir.file("out")));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
  EXPECT_EQ(windowTitle(app), "quadrants.png");
}

TEST(StopCommand, WorkerDoneDuringTheQuestionThenYesStillEndsTheProgram) {
  ScratchFolder dir;
  App app;
  AppGuard guard(app);
  Box box;
  ASSERT_NO_FATAL_FAILURE(askWhileTheWorkerFails(app, dir, &box));
  clickButton(box.window, IDYES);
  ASSERT_TRUE(waitExit(app, 5000)) << app.error;
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
}

TEST(OutputFile, ThatCannotBeWrittenIsReportedAndLeavesNothing) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  std::string outFolder = dir.file("out");
  ASSERT_TRUE(CreateDirectoryA(outFolder.c_str(), nullptr));
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture, 300)) << app.error;
  HWND params = openParamsDialog(app, 90);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, outFolder + "\\turn.gif")) << app.error;
  ASSERT_TRUE(waitProgress(app, 2, 4)) << app.error;
  ASSERT_TRUE(RemoveDirectoryA(outFolder.c_str()));
  EXPECT_EQ("アニメGIFファイルの作成に失敗", waitOutcome(app)) << app.error;
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(outFolder.c_str()));
  EXPECT_EQ((std::set<std::string>{"quadrants.png"}), filesIn(dir.path()));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
}

TEST(OutputFile, OneOfTheJobsOwnFilesIsRefusedAnotherInTheWorkingFolderIsKept) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture)) << app.error;
  HWND params = openParamsDialog(app, 90);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, programWorkFolder() + "\\temp3.gif")) << app.error;
  Box box;
  ASSERT_TRUE(waitBox(app, "Invalid output file", &box)) << app.error;
  EXPECT_EQ("作業用の一時ファイルには保存できません", box.text);
  ASSERT_TRUE(pressDialogButton(app, box.window, IDOK)) << app.error;
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());

  std::string mine = programWorkFolder() + "\\mine.gif";
  params = openParamsDialog(app, 90);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, mine)) << app.error;
  EXPECT_EQ(made, waitOutcome(app)) << app.error;
  EXPECT_EQ((std::set<std::string>{"mine.gif"}), filesIn(programWorkFolder()));
  WalkedGif gif;
  std::string error;
  EXPECT_TRUE(walkGif(mine, &gif, &error)) << error;
  EXPECT_EQ(4u, gif.frames.size());

  // A read-only output is refused before a single frame is made, and kept.
  SetFileAttributesA(mine.c_str(), FILE_ATTRIBUTE_READONLY);
  std::string kept = readFile(mine);
  params = openParamsDialog(app, 90);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, mine)) << app.error;
  ASSERT_TRUE(waitBox(app, "Invalid output file", &box)) << app.error;
  EXPECT_EQ("アニメGIFファイルの作成に失敗", box.text);
  ASSERT_TRUE(pressDialogButton(app, box.window, IDOK)) << app.error;
  EXPECT_TRUE(readFile(mine) == kept);
  EXPECT_EQ((std::set<std::string>{"mine.gif"}), filesIn(programWorkFolder()));
  SetFileAttributesA(mine.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(mine.c_str());

  // An output path as long as a path may be (a folder of 247 characters)
  // is written, with nothing left beside it.
  std::string deep = dir.path();
  while (deep.size() < 246) {
    deep += "\\" + std::string(std::min<size_t>(60, 246 - deep.size()), 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep.size();
  }
  std::string longOutput = deep + "\\" + std::string(MAX_PATH - 6 - deep.size(), 'n') + ".gif";
  ASSERT_EQ(MAX_PATH - 1, longOutput.size());
  params = openParamsDialog(app, 90);
  ASSERT_NE(nullptr, params) << app.error;
  ASSERT_TRUE(confirmAndName(app, params, longOutput)) << app.error;
  EXPECT_EQ(made, waitOutcome(app)) << app.error;
  EXPECT_EQ((std::set<std::string>{longOutput.substr(deep.size() + 1)}), filesIn(deep));
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
}
