// Times the rotation kernel on one picture, in one process, for
// bench/rotation-kernel: a full turn in the plane in 10-degree steps, the
// same turn at a fixed 30 degrees, and full turns about each axis. Pure code:
// the bench builds it natively and for Windows (run under Wine).
//
//   kernel_bench PICTURE.ppm [ROUNDS]
// prints "side <output side>" and "<name>_ms <milliseconds per frame>"
// lines: each frame's best of ROUNDS (default 5), averaged over 36 frames.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "rotation/kernel.h"
#include "tests/rotation/kernel_reference.h"

namespace {

// Each frame's best time over the rounds (the machine is shared: a frame
// that lost the core in one round keeps its time from another), averaged
// over the 36 frames.
double msPerFrame(TestPicture& source, int mode, int step, bool turn, int rounds) {
  std::vector<double> best(36, 1e300);
  std::vector<uint32_t> memory;
  for (int r = 0; r < rounds; ++r) {
    for (int i = 0; i < 36; ++i) {
      const double angle = angleRadians(turn ? i * step : step);
      RotationGeometry g =
          rotationGeometry(mode, angle, uint32_t(source.width), uint32_t(source.height));
      memory.resize(size_t(g.outputWidth) * g.outputHeight);
      PixelRows out = {memory.data(), int32_t(g.outputWidth), int32_t(g.outputHeight),
                       int32_t(g.outputWidth) * 4};
      auto start = std::chrono::steady_clock::now();
      if (renderRotation(source.rows(), mode, angle, 0xffffffff, out, 0, out.height) !=
          RotationRendered)
        std::exit(1);
      std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
      if (spent.count() < best[size_t(i)]) best[size_t(i)] = spent.count();
    }
  }
  double sum = 0;
  for (double ms : best) sum += ms;
  return sum / 36;
}

}  // namespace

int main(int argc, char** argv) {
  TestPicture source;
  if (argc < 2 || !readPpm(argv[1], &source)) {
    std::fprintf(stderr, "usage: kernel_bench PICTURE.ppm [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  RotationGeometry g = rotationGeometry(InPlane, 0, uint32_t(source.width),
                                        uint32_t(source.height));
  std::printf("side %u\n", g.outputWidth);
  std::printf("inplane_turn_ms %.3f\n", msPerFrame(source, InPlane, 10, true, rounds));
  std::printf("inplane_30_ms %.3f\n", msPerFrame(source, InPlane, 30, false, rounds));
  std::printf("horizontal_turn_ms %.3f\n",
              msPerFrame(source, AboutHorizontalAxis, 10, true, rounds));
  std::printf("vertical_turn_ms %.3f\n", msPerFrame(source, AboutVerticalAxis, 10, true, rounds));
  return 0;
}
