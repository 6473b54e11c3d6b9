// Rotation geometry: where the three drawn corners of a picture go in each
// rotation mode, and the size of the surface that receives them. Pure
// arithmetic (no windows.h), shared by the view, saving and the animated-GIF
// frames, so a saved file looks exactly like the rotated view.
//
// The three modes:
//   InPlane              the picture turns about its centre on a square
//                        surface as large as its diagonal, so it fits at
//                        every angle; the rest is fill colour.
//   AboutHorizontalAxis  the height is squeezed by cos(angle) about the
//                        middle row (upside down when the cosine is negative).
//   AboutVerticalAxis    the width is squeezed likewise about the middle
//                        column (mirrored left to right when negative).
// There is no perspective: the axis modes are a plain squeeze and mirror.
//
// Every step is a double operation of its own, truncated toward zero where a
// pixel count comes out, in a fixed order: the results depend on it by a
// pixel (at 90 degrees 200 - 150 cos 90 must stay exactly 200). Both trees
// build with -ffp-contract=off and the Windows tree with SSE2 arithmetic, so
// neither fused multiply-add nor x87 excess precision moves a point.
#pragma once

#include <cstdint>

// How the rotation command turns the picture (the dialog's radio buttons).
enum RotationMode : int16_t {
  InPlane = 0,
  AboutHorizontalAxis = 1,
  AboutVerticalAxis = 2,
};

// The rotation settings of the last dialog. They live until the program
// ends, are not reset by opening another picture, and every save applies
// them.
struct RotationSettings {
  int16_t mode;                 // RotationMode; InPlane at start
  int32_t angleDegrees;         // whole degrees, positive turns clockwise on screen; 0 at start
  uint32_t fillColour;          // COLORREF 0x00BBGGRR around the picture; white at start
  uint32_t customColours[16];   // the colour chooser's custom colours; all 0 at start
  int32_t makeAnimation;        // 1 when the animated-GIF box was ticked at the last OK, else 0
};

// Sides and diagonals beyond this are refused (size 0): every coordinate
// of the geometry then stays well inside 32-bit integers, and no bitmap of
// that size could be made anyway.
constexpr uint32_t kMaxRotationSide = 0x3fffffff;

// The diagonal of a w x h picture, exact as a double and truncated as the
// side of the InPlane surface. Squares are summed in 64 bits, so a 65536 x 1
// picture gets 65536, not the 1 a 32-bit sum would wrap to; size is 0 when
// the diagonal exceeds kMaxRotationSide.
struct Diagonal {
  double diag;
  uint32_t size;
};
Diagonal diagonalSize(uint32_t w, uint32_t h);

// A point of the output surface, in pixels.
struct RotationPoint {
  int32_t x;
  int32_t y;
};

// (x, y) of a w x h picture turned by angle radians about the picture's
// centre (w / 2, h / 2), clockwise on screen for a positive angle. Callers
// keep w and h within kMaxRotationSide.
RotationPoint rotatePoint(int32_t x, int32_t y, double angle, uint32_t w, uint32_t h);

// Where the picture's top-left (p0), top-right (p1) and bottom-left (p2)
// corners are drawn, and the size of the surface drawn into. A side beyond
// kMaxRotationSide gives an output of 0 x 0, which no surface accepts.
struct RotationGeometry {
  RotationPoint p0;
  RotationPoint p1;
  RotationPoint p2;
  uint32_t outputWidth;
  uint32_t outputHeight;
};
RotationGeometry rotationGeometry(int mode, double angle, uint32_t w, uint32_t h);

// Whole degrees to radians: pi * degrees / 180 with pi = acos(-1), in that
// order. Any int is safe; the view does not reduce the angle.
double angleRadians(int32_t degrees);

// A COLORREF (0x00BBGGRR) as the opaque ARGB GDI+ fills with (0xFFRRGGBB).
uint32_t toArgb(uint32_t colour);

// The angle step of an animated rotation: the typed angle reduced modulo
// 360 (the remainder keeps its sign: 725 -> 5, -370 -> -10), before any
// absolute value is taken, so every int, INT_MIN included, is safe.
int32_t reduceAngleStep(int32_t degrees);

// Frames of a full turn in steps of a reduced step: trunc(360 / |step|)
// (frame i stays at i * step degrees, so a negative step turns the other
// way with as many frames); 0 for a step of 0.
int32_t frameCountForStep(int32_t step);

// How the bitmap a save draws into is made.
enum BitmapKind {
  Argb32 = 0,              // 32-bit ARGB, for sources GDI+ cannot draw on
  FromPictureSurface = 1,  // compatible with a drawing surface on the picture itself
  Rgb24WithResolution = 2, // 24-bit RGB with the picture's resolution (GIF route)
};

// The bitmap kind for a save of target type `type` (FileType) from a
// picture of GDI+ pixel format `pixelFormat`: the GIF route always gets
// 24-bit RGB; indexed, 16-bit ARGB1555, 16-bit grey and undefined formats,
// on which GDI+ cannot open a drawing surface, get 32-bit ARGB; every
// other format a bitmap like the picture's own.
BitmapKind bitmapKindFor(int type, uint32_t pixelFormat);
