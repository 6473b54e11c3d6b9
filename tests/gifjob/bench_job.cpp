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
//              QB_BENCH_TIMES;
//   soak       steps through a folder and runs jobs back to back, writing
//              the program's memory, handles and threads (see below);
//   view       opens QB_BENCH_PICTURE, turns it by QB_BENCH_ANGLE in the
//              plane and times from OK in the rotation dialog until the
//              turned picture is painted and the program idle, in ms, to
//              QB_BENCH_TIMES.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "resources/resource.h"
#include "rotation/framejob.h"
#include "rotation/rotation.h"
#include "tests/gifjob/jobdriver.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"

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
  Picture* picture = createPicture(qbtest::wide(env("QB_BENCH_PICTURE")).c_str(), testWindow());
  ASSERT_NE(nullptr, picture);
  TurnPlan plan;
  ASSERT_TRUE(planTurn(angle, &plan));
  float xdpi = 0, ydpi = 0;
  chooseBitmapKind(FileTypeGif, picture, &xdpi, &ydpi);
  for (int i = 0; i < plan.frames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\frame%02d.bmp", i);
    ASSERT_EQ(1, renderRotatedToFile(picture, FileTypeBmp, qbtest::wide(folder + name).c_str(), frameAngle(plan.step, i),
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

// soak: QB_BENCH_STEPS steps (Space, Yes at each wrap) through the folder
// of QB_BENCH_PICTURE, then QB_BENCH_JOBS animated-GIF jobs back to back on
// that picture's folder's first picture (output QB_BENCH_OUTPUT), writing
// the program's memory, handles and threads at checkpoints to
// QB_BENCH_TIMES, a line each: "phase count committed_KB working_set_KB
// handles threads".
namespace {

struct Usage {
  SIZE_T committed = 0, workingSet = 0;
  unsigned long handles = 0, threads = 0;
};

// The system's lists, as NtQuerySystemInformation gives them (class 5:
// processes with their thread counts, class 16: every handle with its
// process): Wine answers neither GetProcessHandleCount nor a thread
// snapshot for another process.
using QuerySystem = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

std::vector<char> systemList(ULONG what) {
  static QuerySystem query = reinterpret_cast<QuerySystem>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation"));
  std::vector<char> buffer(1 << 20);
  ULONG needed = 0;
  while (query && query(what, buffer.data(), ULONG(buffer.size()), &needed) == LONG(0xC0000004))
    buffer.resize(buffer.size() * 2);  // STATUS_INFO_LENGTH_MISMATCH
  return buffer;
}

Usage usageOf(const App& program) {
  Usage usage;
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(program.process, &memory, sizeof memory)) {
    usage.committed = memory.PagefileUsage;
    usage.workingSet = memory.WorkingSetSize;
  }
  struct HandleEntry { ULONG process; BYTE type, flags; USHORT handle; void* object; ULONG access; };
  std::vector<char> handles = systemList(16);
  ULONG count = *reinterpret_cast<ULONG*>(handles.data());
  const HandleEntry* entry = reinterpret_cast<const HandleEntry*>(handles.data() + sizeof(void*));
  for (ULONG i = 0; i < count; ++i) usage.handles += entry[i].process == program.processId;
  // SYSTEM_PROCESS_INFORMATION: next offset, thread count, ..., process id.
  std::vector<char> processes = systemList(5);
  for (size_t at = 0;;) {
    const char* record = processes.data() + at;
    ULONG next = *reinterpret_cast<const ULONG*>(record);
    ULONG threads = *reinterpret_cast<const ULONG*>(record + 4);
    HANDLE id = *reinterpret_cast<const HANDLE*>(record + 0x44);
    if (reinterpret_cast<uintptr_t>(id) == program.processId) usage.threads = threads;
    if (next == 0) break;
    at += next;
  }
  return usage;
}

void report(FILE* out, const App& program, const char* phase, int count) {
  Usage usage = usageOf(program);
  std::fprintf(out, "%s %d %lu %lu %lu %lu\n", phase, count,
               static_cast<unsigned long>(usage.committed / 1024),
               static_cast<unsigned long>(usage.workingSet / 1024), usage.handles, usage.threads);
  std::fflush(out);
}

}  // namespace

TEST(Bench, Soak) {
  if (env("QB_BENCH_STEP") != "soak") GTEST_SKIP();
  int steps = std::atoi(env("QB_BENCH_STEPS").c_str());
  int jobs = std::atoi(env("QB_BENCH_JOBS").c_str());
  FILE* out = std::fopen(env("QB_BENCH_TIMES").c_str(), "w");
  ASSERT_NE(nullptr, out);
  App program;
  AppGuard guard(program);
  ASSERT_TRUE(launchViewer(program, env("QB_BENCH_PICTURE"))) << program.error;
  report(out, program, "step", 0);
  for (int step = 1; step <= steps; ++step) {
    ASSERT_TRUE(postKey(program, VK_SPACE)) << program.error;
    // The wrap question at the end of the folder: Yes, back to the start.
    if (HWND box = findDialog(program)) ASSERT_TRUE(pressDialogButton(program, box, IDYES));
    if (step % 100 == 0) report(out, program, "step", step);
  }
  // Back to the first picture (a still) for the jobs.
  std::string first = env("QB_BENCH_PICTURE");
  first = first.substr(first.find_last_of('\\') + 1);
  for (int step = 0; step < 1000 && windowTitle(program) != first; ++step) {
    ASSERT_TRUE(postKey(program, VK_SPACE)) << program.error;
    if (HWND box = findDialog(program)) ASSERT_TRUE(pressDialogButton(program, box, IDYES));
  }
  report(out, program, "job", 0);
  for (int job = 1; job <= jobs; ++job) {
    HWND params = openParamsDialog(program, 30);
    ASSERT_NE(nullptr, params) << program.error;
    ASSERT_TRUE(confirmAndName(program, params, env("QB_BENCH_OUTPUT"))) << program.error;
    EXPECT_EQ("アニメGIF作成終了", waitOutcome(program, 120000));
    if (job % 5 == 0) report(out, program, "job", job);
  }
  std::fclose(out);
}

TEST(Bench, View) {
  if (env("QB_BENCH_STEP") != "view") GTEST_SKIP();
  App program;
  AppGuard guard(program);
  ASSERT_TRUE(launchViewer(program, env("QB_BENCH_PICTURE"))) << program.error;
  PostMessageA(program.window, WM_COMMAND, IDM_ROTATE, 0);
  HWND rotation = waitDialogTitled(program, "回転角度を入力");
  ASSERT_NE(nullptr, rotation) << program.error;
  ASSERT_TRUE(setDialogItemText(program, rotation, IDC_ANGLE_EDIT, env("QB_BENCH_ANGLE")));
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  ASSERT_TRUE(pressDialogButton(program, rotation, IDOK)) << program.error;
  ASSERT_TRUE(waitIdle(program, 600000)) << program.error;
  QueryPerformanceCounter(&end);
  double ms = double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
  FILE* times = std::fopen(env("QB_BENCH_TIMES").c_str(), "w");
  ASSERT_NE(nullptr, times);
  std::fprintf(times, "%.0f\n", ms);
  std::fclose(times);
}
