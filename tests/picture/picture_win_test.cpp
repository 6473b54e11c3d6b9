// The Picture record under Wine's GDI+: every file type loads with its sizes
// and a still rendering, a file GDI+ cannot decode gives an empty picture,
// and animated GIFs count their frames.
#include <gtest/gtest.h>

#include "core/appstate.h"
#include "picture/picture.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"

using namespace qbtest;

namespace {

struct Loaded {
  const char* file;
  int fileType;
  UINT width;
  UINT height;
};

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override { app.zoomPercent = 100; }
  void TearDown() override {
    if (picture) releasePicture(picture);
  }
  Picture* load(const std::string& path) {
    picture = createPicture(wide(path).c_str(), testWindow());
    return picture;
  }
  COLORREF surfacePixel(int x, int y) { return GetPixel(picture->surfaceDC, x, y); }

  Picture* picture = nullptr;
};

TEST_F(PictureTest, EachFileTypeLoadsWithItsSizeAndRendersStill) {
  const Loaded cases[] = {
      {"pictures/photo_progressive_100x75.jpg", FileTypeJpeg, 100, 75},
      {"pictures/gif87a_4x4_no_extensions.gif", FileTypeGif, 4, 4},
      {"pictures/painting_tiny_21x32.png", FileTypePng, 21, 32},
      {"pictures/photo_lzw_128x128.tif", FileTypeTiff, 128, 128},
      {"pictures/bmpsuite_24bit_127x64.bmp", FileTypeBmp, 127, 64},
  };
  for (const Loaded& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_NE(nullptr, load(testDataPath(c.file)));
    EXPECT_EQ(c.fileType, picture->fileType);
    EXPECT_EQ(1u, picture->frameCount);
    EXPECT_EQ(c.width, picture->imageWidth);
    EXPECT_EQ(c.height, picture->imageHeight);
    EXPECT_EQ(c.width, picture->surfaceWidth);
    EXPECT_EQ(c.width, picture->displayWidth);
    EXPECT_EQ(c.height, picture->displayHeight);
    EXPECT_EQ(0, picture->scaled);
    EXPECT_EQ(1, renderPicture(picture));
    ASSERT_NE(nullptr, picture->surfaceDC);
    EXPECT_EQ(nullptr, picture->playbackThread);
    releasePicture(picture);
    picture = nullptr;
  }
}

TEST_F(PictureTest, RenderedSurfaceHoldsThePicturesPixels) {
  // The surface must hold the decoded pixels unscaled: compare it with the
  // 24-bit BMP's own bytes (bottom-up rows padded to 4 bytes).
  std::string path = testDataPath("pictures/bmpsuite_24bit_127x64.bmp");
  std::string bytes = readFile(path);
  ASSERT_GT(bytes.size(), 54u);
  const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t offset = data[10] | data[11] << 8 | data[12] << 16 | data[13] << 24;
  const int width = 127, height = 64, stride = (width * 3 + 3) & ~3;
  ASSERT_EQ(offset + size_t(stride) * height, bytes.size());
  ASSERT_NE(nullptr, load(path));
  ASSERT_EQ(1, renderPicture(picture));
  for (int y = 0; y < height; y += 7) {
    for (int x = 0; x < width; x += 9) {
      const unsigned char* bgr = data + offset + size_t(height - 1 - y) * stride + x * 3;
      ASSERT_EQ(RGB(bgr[2], bgr[1], bgr[0]), surfacePixel(x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(CLR_INVALID, surfacePixel(width, 0));  // the surface is exactly the picture
}

TEST_F(PictureTest, ZoomCarriesOverAndTruncates) {
  app.zoomPercent = 150;
  ASSERT_NE(nullptr, load(testDataPath("pictures/painting_tiny_21x32.png")));
  EXPECT_EQ(1, picture->scaled);
  EXPECT_EQ(31u, picture->displayWidth);   // 31.5
  EXPECT_EQ(48u, picture->displayHeight);  // 48
  EXPECT_EQ(21u, picture->surfaceWidth);   // the surface keeps the image size
}

TEST_F(PictureTest, UndecodableFileGivesAnEmptyPicture) {
  ScratchFolder folder;
  folder.write("broken.jpg", "this is not a JPEG file at all");
  ASSERT_NE(nullptr, load(folder.file("broken.jpg")));
  EXPECT_EQ(0u, picture->imageWidth);
  EXPECT_EQ(0u, picture->imageHeight);
  EXPECT_EQ(0u, picture->displayWidth);
  EXPECT_EQ(1, renderPicture(picture));
  EXPECT_EQ(-1, renderStill(picture));
  EXPECT_EQ(nullptr, picture->surfaceDC);
  EXPECT_EQ("この画像を表示できません", utf8(unshownText(picture)));
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(-1, drawPicture(picture, screen));
  ReleaseDC(nullptr, screen);
}

TEST_F(PictureTest, MissingFileAndNoPathGiveEmptyPictures) {
  ASSERT_NE(nullptr, load(testDataPath("pictures/no-such-file.png")));
  EXPECT_EQ(0u, picture->imageWidth);
  EXPECT_EQ(1, renderPicture(picture));
  releasePicture(picture);
  picture = createPicture(nullptr, testWindow());
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(-1, picture->fileType);
  EXPECT_EQ(nullptr, picture->image);
  EXPECT_EQ(0, renderPicture(picture));
}

TEST_F(PictureTest, AnimatedGifCountsItsFramesAndGetsASurface) {
  ASSERT_NE(nullptr, load(testDataPath("pictures/anim_7_frames_lct_64_128_256_gct2.gif")));
  EXPECT_EQ(FileTypeGif, picture->fileType);
  EXPECT_EQ(7u, picture->frameCount);
  EXPECT_EQ(7u, countFrames(picture));
  // Every frame is measured; the surface is at least the first frame and
  // the display follows the first frame.
  EXPECT_GE(picture->surfaceWidth, picture->imageWidth);
  EXPECT_GE(picture->surfaceHeight, picture->imageHeight);
  EXPECT_EQ(355u, picture->displayWidth);
  EXPECT_EQ(257u, picture->displayHeight);
  EXPECT_EQ(1, renderPicture(picture));
  EXPECT_NE(nullptr, picture->surfaceDC);
}

TEST_F(PictureTest, OnlyGifsCountFrames) {
  ASSERT_NE(nullptr, load(testDataPath("pictures/photo_lzw_128x128.tif")));
  EXPECT_EQ(1u, picture->frameCount);
  EXPECT_EQ(0, measureLargestFrame(picture));
}

TEST_F(PictureTest, SurfaceIsGrayBeforeTheImageIsDrawn) {
  ASSERT_NE(nullptr, load(testDataPath("pictures/painting_tiny_21x32.png")));
  ASSERT_EQ(1, createSurface(picture, 40, 30));
  EXPECT_EQ(RGB(128, 128, 128), surfacePixel(39, 29));
  EXPECT_EQ(0, createSurface(picture, 0, 30));
  EXPECT_NE(nullptr, picture->surfaceDC);  // a zero size keeps the old surface
  EXPECT_EQ(nullptr, unshownText(picture));
  // A surface GDI cannot make (60000 x 60000 at 32 bits is 14 GB) is none:
  // the picture says it is too large rather than painting gray.
  picture->surfaceWidth = picture->surfaceHeight = 60000;
  EXPECT_EQ(-1, renderStill(picture));
  EXPECT_EQ(nullptr, picture->surfaceDC);
  EXPECT_EQ("画像が大きすぎて表示できません", utf8(unshownText(picture)));
}

}  // namespace
