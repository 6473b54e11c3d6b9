// The rotation kernel against what it replaces: Wine's GDI+ drawing the
// same turned photo the way the view has drawn it (one GdipDrawImagePointsI
// into the parallelogram, default quality settings, over a surface filled
// with the fill colour), both judged against the same 8 x 8 supersampled
// reference. The kernel must come at least as close on every case; the
// numbers are printed for the notes.
#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "rotation/kernel.h"
#include "tests/rotation/kernel_reference.h"

using namespace Gdiplus;

namespace {

class KernelAgainstGdiplus : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GdiplusStartupInput input;
    GdiplusStartup(&token, &input, nullptr);
  }
  static void TearDownTestSuite() { GdiplusShutdown(token); }
  static ULONG_PTR token;
};
ULONG_PTR KernelAgainstGdiplus::token = 0;

// The source as a 24-bit GDI+ bitmap (what GDI+ decodes a JPEG to), drawn
// into a 32-bit DIB section's DC; the result with the fill's top byte.
TestPicture drawWithGdiplus(const TestPicture& source, const RotationGeometry& g,
                            uint32_t fill) {
  TestPicture out(int32_t(g.outputWidth), int32_t(g.outputHeight), 0);
  GpBitmap* bitmap = nullptr;
  if (DllExports::GdipCreateBitmapFromScan0(source.width, source.height, 0, PixelFormat24bppRGB,
                                            nullptr, &bitmap) != Ok)
    return out;
  Rect all(0, 0, source.width, source.height);
  BitmapData data;
  if (DllExports::GdipBitmapLockBits(bitmap, &all, ImageLockModeWrite, PixelFormat24bppRGB,
                                     &data) == Ok) {
    for (int32_t y = 0; y < source.height; ++y) {
      BYTE* row = static_cast<BYTE*>(data.Scan0) + y * data.Stride;
      for (int32_t x = 0; x < source.width; ++x) {
        const uint32_t p = source.at(x, y);
        row[3 * x] = BYTE(p);
        row[3 * x + 1] = BYTE(p >> 8);
        row[3 * x + 2] = BYTE(p >> 16);
      }
    }
    DllExports::GdipBitmapUnlockBits(bitmap, &data);
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = out.width;
  info.bmiHeader.biHeight = -out.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, surface);
  GpGraphics* graphics = nullptr;
  GpSolidFill* brush = nullptr;
  if (DllExports::GdipCreateFromHDC(dc, &graphics) == Ok &&
      DllExports::GdipCreateSolidFill(fill, &brush) == Ok) {
    DllExports::GdipFillRectangleI(graphics, brush, 0, 0, out.width, out.height);
    const Point corners[3] = {Point(g.p0.x, g.p0.y), Point(g.p1.x, g.p1.y),
                              Point(g.p2.x, g.p2.y)};
    EXPECT_EQ(Ok, DllExports::GdipDrawImagePointsI(graphics, bitmap, corners, 3));
  }
  if (brush) DllExports::GdipDeleteBrush(brush);
  if (graphics) DllExports::GdipDeleteGraphics(graphics);
  GdiFlush();
  const uint32_t* pixels = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < out.pixels.size() && pixels; ++i)
    out.pixels[i] = (pixels[i] & 0x00ffffff) | (fill & 0xff000000);
  SelectObject(dc, old);
  DeleteObject(surface);
  DeleteDC(dc);
  DllExports::GdipDisposeImage(bitmap);
  return out;
}

TEST_F(KernelAgainstGdiplus, AtLeastAsCloseToTheReferenceOnThePhoto) {
  TestPicture photo;
  ASSERT_TRUE(readPpm(QB_KERNEL_PHOTO, &photo)) << QB_KERNEL_PHOTO;
  const uint32_t white = 0xffffffff;
  const struct {
    int mode;
    int degrees;
    const char* name;
  } cases[] = {
      {InPlane, 30, "in the plane at 30"},
      {AboutHorizontalAxis, 60, "about the horizontal axis at 60"},
      {AboutVerticalAxis, 60, "about the vertical axis at 60"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const double angle = angleRadians(c.degrees);
    const RotationGeometry g =
        rotationGeometry(c.mode, angle, uint32_t(photo.width), uint32_t(photo.height));
    const TestPicture reference = referenceRotation(photo, g, white);
    TestPicture kernel(int32_t(g.outputWidth), int32_t(g.outputHeight));
    ASSERT_EQ(RotationRendered, renderRotation(photo.rows(), c.mode, angle, white, kernel.rows(),
                                               0, kernel.height));
    const TestPicture gdiplus = drawWithGdiplus(photo, g, white);
    const double kernelDb = psnr(kernel, reference), gdiplusDb = psnr(gdiplus, reference);
    std::printf("PSNR against the 8x8 reference, %s: kernel %.2f dB, GDI+ %.2f dB\n", c.name,
                kernelDb, gdiplusDb);
    EXPECT_GE(kernelDb, gdiplusDb);
  }
}

}  // namespace
