// Following and stopping an assembly from its caller: the control is asked
// before every frame and once before the target is replaced, and a stop at
// any of those points leaves the user's file and the folder as they were.
#include <vector>

#include "tests/gifmake/gif_fixture.h"

using namespace giftest;
using namespace qbtest;

namespace {

struct Calls {
  std::vector<std::pair<int, int>> seen;  // (done, total) of every call
  int stopAt = -1;                        // the call that answers false
};

bool record(void* context, int done, int total) {
  Calls* calls = static_cast<Calls*>(context);
  calls->seen.emplace_back(done, total);
  return static_cast<int>(calls->seen.size()) - 1 != calls->stopAt;
}

FramePaths threeFrames(const ScratchFolder& dir) {
  FramePaths paths;
  for (unsigned i = 0; i < 3; ++i)
    paths.push_back(dir.write("temp" + std::to_string(i) + ".gif",
                              frameFile(20, 10, 8, 1, payload(300, i))));
  return paths;
}

}  // namespace

TEST(AssemblyControl, AskedBeforeEveryFrameAndBeforeTheReplace) {
  ScratchFolder dir;
  FramePaths frames = threeFrames(dir);
  Calls calls;
  AssemblyControl control = {record, &calls};
  GifParams params = {3, 10, 2, 1, 0, 0};
  int written = 0;
  std::string out = dir.file("out.gif");
  ASSERT_EQ(GifWritten, assembleAnimatedGif(frames, out, params, &written, &control));
  EXPECT_EQ(3, written);
  std::vector<std::pair<int, int>> expected = {{0, 3}, {1, 3}, {2, 3}, {3, 3}};
  EXPECT_EQ(expected, calls.seen);

  // The control changes nothing in the bytes.
  std::string plain = dir.file("plain.gif");
  ASSERT_EQ(GifWritten, assembleAnimatedGif(frames, plain, params));
  EXPECT_EQ(readFile(plain), readFile(out));
}

TEST(AssemblyControl, AStopAnywhereLeavesTheOldFileAndNoTemporaryFile) {
  for (int stopAt = 0; stopAt <= 3; ++stopAt) {
    SCOPED_TRACE(stopAt);
    ScratchFolder dir;
    FramePaths frames = threeFrames(dir);
    std::string out = dir.write("out.gif", "the user's own file");
    std::set<std::string> before = filesIn(dir.path());
    Calls calls;
    calls.stopAt = stopAt;
    AssemblyControl control = {record, &calls};
    int written = 99;
    EXPECT_EQ(GifAssemblyStopped,
              assembleAnimatedGif(frames, out, GifParams{}, &written, &control));
    EXPECT_EQ(0, written);
    EXPECT_EQ(static_cast<size_t>(stopAt + 1), calls.seen.size());  // no call after the stop
    EXPECT_EQ("the user's own file", readFile(out));
    EXPECT_EQ(before, filesIn(dir.path()));
  }
}

TEST(AssemblyControl, NoFinalCallWhenNothingWasWritten) {
  ScratchFolder dir;
  FramePaths frames = {dir.file("missing0.gif"), dir.file("missing1.gif")};
  Calls calls;
  AssemblyControl control = {record, &calls};
  EXPECT_EQ(GifFirstFrameUnreadable,
            assembleAnimatedGif(frames, dir.file("out.gif"), GifParams{}, nullptr, &control));
  EXPECT_TRUE(calls.seen.empty());
  EXPECT_TRUE(filesIn(dir.path()).empty());
}
