// Rotation geometry, pinned point by point. The same source runs natively
// and, built with the Windows tree's flags, under Wine: a stray fused
// multiply-add or x87 excess precision moves a truncated corner by a pixel,
// and the pinned rows then fail in that tree.
//
// The pinned values were computed independently with Python's doubles
// (which never contract or widen) following the same truncation order.
#include "rotation/geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

struct Row {
  int mode;
  int degrees;
  uint32_t width, height;
  uint32_t outW, outH;
  RotationPoint p0, p1, p2;
};

void expectRow(const Row& row) {
  SCOPED_TRACE(::testing::Message() << "mode " << row.mode << " at " << row.degrees << " for "
                                    << row.width << " x " << row.height);
  RotationGeometry g =
      rotationGeometry(row.mode, angleRadians(row.degrees), row.width, row.height);
  EXPECT_EQ(row.outW, g.outputWidth);
  EXPECT_EQ(row.outH, g.outputHeight);
  EXPECT_EQ(row.p0.x, g.p0.x);
  EXPECT_EQ(row.p0.y, g.p0.y);
  EXPECT_EQ(row.p1.x, g.p1.x);
  EXPECT_EQ(row.p1.y, g.p1.y);
  EXPECT_EQ(row.p2.x, g.p2.x);
  EXPECT_EQ(row.p2.y, g.p2.y);
}

TEST(RotationGeometry, InPlaneOnTheDiagonalSquare) {
  const Row rows[] = {
      {InPlane, 0, 300, 400, 500, 500, {100, 50}, {400, 50}, {100, 450}},
      {InPlane, 30, 300, 400, 500, 500, {221, 2}, {479, 152}, {21, 348}},
      {InPlane, 45, 300, 400, 500, 500, {285, 3}, {497, 215}, {3, 285}},
      // 200 - 150 cos 90 must stay exactly 200 for the 450.
      {InPlane, 90, 300, 400, 500, 500, {450, 100}, {450, 400}, {50, 100}},
      // Each coordinate truncates on its own: 180 is a pixel off the mirror of 0.
      {InPlane, 180, 300, 400, 500, 500, {400, 449}, {101, 450}, {399, 50}},
      {InPlane, 270, 300, 400, 500, 500, {51, 400}, {50, 101}, {450, 399}},
      // Not reduced for the view, so 360 differs from 0 by a pixel.
      {InPlane, 360, 300, 400, 500, 500, {100, 51}, {399, 50}, {101, 450}},
      {InPlane, 720, 300, 400, 500, 500, {100, 51}, {399, 50}, {101, 450}},
      {InPlane, -30, 300, 400, 500, 500, {21, 152}, {279, 2}, {221, 498}},
      {InPlane, -90, 300, 400, 500, 500, {50, 400}, {50, 100}, {450, 400}},
  };
  for (const Row& row : rows) expectRow(row);
}

TEST(RotationGeometry, InPlaneSurfaceSizeFollowsTheDiagonalOnly) {
  for (int degrees : {0, 17, 90, 233}) {
    RotationGeometry g = rotationGeometry(InPlane, angleRadians(degrees), 640, 480);
    EXPECT_EQ(800u, g.outputWidth) << degrees;
    EXPECT_EQ(800u, g.outputHeight) << degrees;
  }
  expectRow({InPlane, 0, 640, 480, 800, 800, {80, 160}, {720, 160}, {80, 640}});
  // Odd sides: the half size truncates on both sides of the centre, so the
  // picture is drawn a pixel narrower and shorter than it is.
  expectRow({InPlane, 0, 301, 401, 501, 501, {100, 50}, {400, 50}, {100, 450}});
}

TEST(RotationGeometry, AboutHorizontalAxisSqueezesTheHeight) {
  const Row rows[] = {
      {AboutHorizontalAxis, 0, 300, 400, 300, 400, {0, 0}, {300, 0}, {0, 400}},
      {AboutHorizontalAxis, 30, 300, 400, 300, 400, {0, 26}, {300, 26}, {0, 373}},
      {AboutHorizontalAxis, 45, 300, 400, 300, 400, {0, 58}, {300, 58}, {0, 341}},
      // The cosine is not exactly 0: a band about a pixel high.
      {AboutHorizontalAxis, 90, 300, 400, 300, 400, {0, 199}, {300, 199}, {0, 200}},
      {AboutHorizontalAxis, 180, 300, 400, 300, 400, {0, 400}, {300, 400}, {0, 0}},
      {AboutHorizontalAxis, 270, 300, 400, 300, 400, {0, 200}, {300, 200}, {0, 199}},
      {AboutHorizontalAxis, 360, 300, 400, 300, 400, {0, 0}, {300, 0}, {0, 400}},
      {AboutHorizontalAxis, -30, 300, 400, 300, 400, {0, 26}, {300, 26}, {0, 373}},
  };
  for (const Row& row : rows) expectRow(row);
}

TEST(RotationGeometry, AboutVerticalAxisSqueezesTheWidth) {
  const Row rows[] = {
      {AboutVerticalAxis, 0, 300, 400, 300, 400, {0, 0}, {300, 0}, {0, 400}},
      {AboutVerticalAxis, 30, 300, 400, 300, 400, {20, 0}, {279, 0}, {20, 400}},
      {AboutVerticalAxis, 45, 300, 400, 300, 400, {43, 0}, {256, 0}, {43, 400}},
      {AboutVerticalAxis, 90, 300, 400, 300, 400, {149, 0}, {150, 0}, {149, 400}},
      {AboutVerticalAxis, 180, 300, 400, 300, 400, {300, 0}, {0, 0}, {300, 400}},
      {AboutVerticalAxis, 270, 300, 400, 300, 400, {150, 0}, {149, 0}, {150, 400}},
      {AboutVerticalAxis, 360, 300, 400, 300, 400, {0, 0}, {300, 0}, {0, 400}},
  };
  for (const Row& row : rows) expectRow(row);
}

// A typed angle may be any int; far from 0 the radians lose only a few
// nanoradians, so the corners agree with the reduced angle within a pixel or
// two and never leave the surface.
TEST(RotationGeometry, ExtremeAnglesStayOnTheSurface) {
  const int angles[] = {INT_MAX, INT_MIN, INT_MAX - 1, -1000000007};
  for (int mode : {int(InPlane), int(AboutHorizontalAxis), int(AboutVerticalAxis)}) {
    for (int degrees : angles) {
      SCOPED_TRACE(::testing::Message() << "mode " << mode << " at " << degrees);
      RotationGeometry g = rotationGeometry(mode, angleRadians(degrees), 300, 400);
      RotationGeometry reduced =
          rotationGeometry(mode, angleRadians(degrees % 360), 300, 400);
      EXPECT_EQ(reduced.outputWidth, g.outputWidth);
      EXPECT_EQ(reduced.outputHeight, g.outputHeight);
      const RotationPoint got[3] = {g.p0, g.p1, g.p2};
      const RotationPoint want[3] = {reduced.p0, reduced.p1, reduced.p2};
      for (int i = 0; i < 3; ++i) {
        EXPECT_LE(std::abs(got[i].x - want[i].x), 2) << "corner " << i;
        EXPECT_LE(std::abs(got[i].y - want[i].y), 2) << "corner " << i;
        EXPECT_GE(got[i].x, 0);
        EXPECT_GE(got[i].y, 0);
        EXPECT_LE(got[i].x, int32_t(g.outputWidth));
        EXPECT_LE(got[i].y, int32_t(g.outputHeight));
      }
    }
  }
}

TEST(RotationGeometry, SidesBeyondTheLimitGiveNoSurface) {
  RotationGeometry g = rotationGeometry(InPlane, 0, 0x40000000u, 10);
  EXPECT_EQ(0u, g.outputWidth);
  EXPECT_EQ(0u, g.outputHeight);
  g = rotationGeometry(AboutVerticalAxis, 0, 10, 0xffffffffu);
  EXPECT_EQ(0u, g.outputWidth);
  EXPECT_EQ(0u, g.outputHeight);
  // Sides within the limit whose diagonal is not.
  g = rotationGeometry(InPlane, 0, 0x3fffffffu, 0x3fffffffu);
  EXPECT_EQ(0u, g.outputWidth);
  // An empty picture has an empty surface too (no bitmap can be made).
  g = rotationGeometry(InPlane, 1.0, 0, 0);
  EXPECT_EQ(0u, g.outputWidth);
}

TEST(DiagonalSize, TruncatesTheExactDiagonal) {
  Diagonal d = diagonalSize(300, 400);
  EXPECT_EQ(500u, d.size);
  EXPECT_DOUBLE_EQ(500.0, d.diag);
  d = diagonalSize(301, 401);
  EXPECT_EQ(501u, d.size);  // 501.4
  EXPECT_GT(d.diag, 501.0);
  d = diagonalSize(1, 1);
  EXPECT_EQ(1u, d.size);  // 1.414
  EXPECT_EQ(0u, diagonalSize(0, 0).size);
  EXPECT_EQ(7u, diagonalSize(0, 7).size);
}

TEST(DiagonalSize, SquaresDoNotWrapIn32Bits) {
  // 65536^2 + 1 wraps to 1 in 32 bits.
  EXPECT_EQ(65536u, diagonalSize(65536, 1).size);
  EXPECT_EQ(92681u, diagonalSize(65536, 65536).size);  // 92681.9
  EXPECT_EQ(0u, diagonalSize(0x40000000u, 0).size);
}

TEST(RotatePoint, TurnsClockwiseOnScreenAboutTheCentre) {
  // A quarter turn moves the top-left corner of a 300 x 400 picture to the
  // top right of the turned outline (y grows downwards).
  RotationPoint p = rotatePoint(0, 0, angleRadians(90), 300, 400);
  EXPECT_EQ(350, p.x);
  EXPECT_EQ(50, p.y);
  p = rotatePoint(150, 200, angleRadians(123), 300, 400);  // the centre stays
  EXPECT_EQ(150, p.x);
  EXPECT_EQ(200, p.y);
  // The half size of an odd side truncates: centre 150.5 is taken as 150
  // in the offset, and 150.5 + 150 truncates to 300.
  p = rotatePoint(301, 0, 0, 301, 401);
  EXPECT_EQ(300, p.x);
}

TEST(AngleRadians, UsesPiFromTheArcCosine) {
  EXPECT_DOUBLE_EQ(std::acos(-1.0), angleRadians(180));
  EXPECT_DOUBLE_EQ(-std::acos(-1.0) / 2, angleRadians(-90));
  EXPECT_EQ(0.0, angleRadians(0));
  EXPECT_TRUE(std::isfinite(angleRadians(INT_MIN)));
}

TEST(ToArgb, SwapsRedAndBlueAndIsOpaque) {
  EXPECT_EQ(0xffffffffu, toArgb(0x00ffffff));
  EXPECT_EQ(0xffff0000u, toArgb(0x000000ff));  // COLORREF red
  EXPECT_EQ(0xff00ff00u, toArgb(0x0000ff00));
  EXPECT_EQ(0xff0000ffu, toArgb(0x00ff0000));  // COLORREF blue
  EXPECT_EQ(0xff123456u, toArgb(0x00563412));
  // The COLORREF's top byte is not alpha.
  EXPECT_EQ(0xff000000u, toArgb(0x7f000000));
}

TEST(ReduceAngleStep, KeepsTheSignAndHandlesEveryInt) {
  EXPECT_EQ(5, reduceAngleStep(725));
  EXPECT_EQ(-10, reduceAngleStep(-370));
  EXPECT_EQ(0, reduceAngleStep(360));
  EXPECT_EQ(359, reduceAngleStep(359));
  EXPECT_EQ(-9, reduceAngleStep(-9));
  EXPECT_EQ(127, reduceAngleStep(INT_MAX));
  EXPECT_EQ(-128, reduceAngleStep(INT_MIN));
}

TEST(FrameCountForStep, FullTurnFromTheMagnitude) {
  EXPECT_EQ(12, frameCountForStep(30));
  EXPECT_EQ(8, frameCountForStep(45));
  EXPECT_EQ(32, frameCountForStep(11));
  EXPECT_EQ(3, frameCountForStep(100));
  EXPECT_EQ(1, frameCountForStep(181));
  EXPECT_EQ(1, frameCountForStep(359));
  EXPECT_EQ(12, frameCountForStep(-30));
  EXPECT_EQ(36, frameCountForStep(-10));
  EXPECT_EQ(0, frameCountForStep(0));
  EXPECT_EQ(2, frameCountForStep(INT_MIN));  // reduces to -128
}

TEST(BitmapKindFor, GifAlwaysTakesTheResolutionRoute) {
  EXPECT_EQ(Rgb24WithResolution, bitmapKindFor(1, 0x00030803));
  EXPECT_EQ(Rgb24WithResolution, bitmapKindFor(1, 0x0021808));
}

TEST(BitmapKindFor, FormatsWithoutADrawingSurfaceGetArgb32) {
  for (uint32_t format : {0x0u, 0x30101u, 0x30402u, 0x30803u, 0x61007u, 0x101004u})
    for (int type : {0, 2, 3, 4}) EXPECT_EQ(Argb32, bitmapKindFor(type, format)) << format;
}

TEST(BitmapKindFor, DrawableFormatsCopyThePicturesSurface) {
  // 24-bit RGB, 32-bit RGB, 32-bit ARGB, 16-bit RGB565, 48-bit RGB.
  for (uint32_t format : {0x21808u, 0x22009u, 0x26200Au, 0x21005u, 0x10300Cu})
    EXPECT_EQ(FromPictureSurface, bitmapKindFor(0, format)) << format;
}

}  // namespace
