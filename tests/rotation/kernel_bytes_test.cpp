// The rotation kernel writes the same bytes in every build: natively with
// SSE2, natively with the plain loops (QB_KERNEL_SCALAR) and in the Windows
// build under Wine. Each case's output is pinned by its FNV-1a digest; the
// three builds run this one table. A failing row prints the digest it got:
// if only one build fails, that build's arithmetic differs; if all fail
// after a deliberate change to the kernel, re-pin from the native run.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

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
      {InPlane, 0, 301, 401, 0xffffffff, 0xd860a589fa82fe0bull},
      {InPlane, 30, 5, 3, 0xff00ff00, 0x34c76a305115e192ull},
      {InPlane, 30, 500, 1, 0xffffffff, 0xa70f27ebc243c7e5ull},
      {AboutHorizontalAxis, 60, 301, 401, 0xffffffff, 0x064a35e9eb71d759ull},
      {AboutHorizontalAxis, 91, 300, 400, 0xff102030, 0x4c1f9c0389c07bb7ull},
      {AboutHorizontalAxis, 180, 300, 400, 0xffffffff, 0x25ce30e4c3132bacull},
      {AboutVerticalAxis, 60, 301, 401, 0xffffffff, 0x4b7578cf88a3b2beull},
      {AboutVerticalAxis, 235, 300, 400, 0x00abcdef, 0xb871e120c3de082eull},
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

}  // namespace
