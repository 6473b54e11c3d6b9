// The rotation kernel writes the same bytes in every build: natively with
// SSE2, natively with the plain loops (QB_KERNEL_SCALAR) and in the Windows
// build under Wine. Each case's output is pinned by its FNV-1a digest; the
// three builds run this one table. A failing row prints the digest it got:
// if only one build fails, that build's arithmetic differs; if all fail
// after a deliberate change to the kernel, re-pin from the native run.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <thread>
#include <vector>

#include "rotation/kernel.h"
#include "tests/rotation/kernel_reference.h"

namespace {

uint64_t digest(const TestPicture& picture) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint32_t word : picture.pixels) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (word >> shift) & 0xff;
      hash *= 0x100000001b3ull;
    }
  }
  return hash;
}

TEST(RenderRotationBytes, SameInEveryBuild) {
  const struct {
    int mode;
    int degrees;
    int32_t w, h;
    uint32_t fill;
    uint64_t pinned;
  } cases[] = {
      {InPlane, 30, 300, 400, 0xffffffff, 0xa0a7874da1afc4d1ull},
      {InPlane, 45, 300, 400, 0x00102030, 0x70a21b8fe4ddf0feull},
      {InPlane, 17, 301, 401, 0xff804020, 0xb4da62e9e91c9683ull},
      {InPlane, 359, 64, 48, 0xffffffff, 0x6b8d229a3f5bfad9ull},
      {InPlane, -123, 97, 31, 0x00000000, 0x69f4716be5a9d1f8ull},
      {InPlane, 90, 640, 480, 0xffffffff, 0x00a8d12a2bc50346ull},
      {InPlane, 180, 300, 400, 0xffffffff, 0xe8dc4e12f06658cdull},
      {InPlane, 0, 301, 401, 0xffffffff, 0x27083d6831a3b02aull},
      {InPlane, 30, 5, 3, 0xff00ff00, 0x34c76a305115e192ull},
      {InPlane, 30, 500, 1, 0xffffffff, 0xa70f27ebc243c7e5ull},
      {AboutHorizontalAxis, 60, 301, 401, 0xffffffff, 0xa9823a00f5ccc1f0ull},
      {AboutHorizontalAxis, 91, 300, 400, 0xff102030, 0x7122e43191d85fa3ull},
      {AboutHorizontalAxis, 180, 300, 400, 0xffffffff, 0x25ce30e4c3132bacull},
      {AboutVerticalAxis, 60, 301, 401, 0xffffffff, 0x85916091300479e9ull},
      {AboutVerticalAxis, 235, 300, 400, 0x00abcdef, 0xf7cb6bd9e3c29fbbull},
  };
  uint32_t seed = 0;
  for (const auto& c : cases) {
    TestPicture source = noisePicture(c.w, c.h, ++seed);
    RotationGeometry g =
        rotationGeometry(c.mode, angleRadians(c.degrees), uint32_t(c.w), uint32_t(c.h));
    TestPicture out(int32_t(g.outputWidth), int32_t(g.outputHeight));
    ASSERT_EQ(RotationRendered, renderRotation(source.rows(), c.mode, angleRadians(c.degrees),
                                               c.fill, out.rows(), 0, out.height));
    const uint64_t got = digest(out);
    char text[120];
    std::snprintf(text, sizeof text, "mode %d at %d for %d x %d: 0x%016" PRIx64, c.mode,
                  c.degrees, int(c.w), int(c.h), got);
    EXPECT_EQ(c.pinned, got) << text;
  }
}

// Bands drawn at once on threads of their own give the same bytes: nothing
// is shared between calls, and the SSE2 code keeps its stack aligned on a
// thread Windows started (32-bit Windows only promises 4 bytes).
TEST(RenderRotationBytes, SameFromBandsOnThreads) {
  TestPicture source = noisePicture(300, 400, 1);
  const double angle = angleRadians(30);
  RotationGeometry g = rotationGeometry(InPlane, angle, 300, 400);
  TestPicture out(int32_t(g.outputWidth), int32_t(g.outputHeight));
  const int32_t bands = 4, rows = (out.height + bands - 1) / bands;
  std::vector<RotationRenderResult> results(bands, RotationBadRows);
  std::vector<std::thread> threads;
  for (int32_t b = 0; b < bands; ++b) {
    threads.emplace_back([&, b] {
      const int32_t first = b * rows, end = first + rows < out.height ? first + rows : out.height;
      results[size_t(b)] =
          renderRotation(source.rows(), InPlane, angle, 0xffffffff, out.rows(), first, end);
    });
  }
  for (std::thread& t : threads) t.join();
  for (RotationRenderResult r : results) EXPECT_EQ(RotationRendered, r);
  EXPECT_EQ(0xa0a7874da1afc4d1ull, digest(out)) << "the first case of SameInEveryBuild";
}

}  // namespace
