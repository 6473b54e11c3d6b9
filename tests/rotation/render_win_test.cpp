// Drawing the rotated picture into its surface and into files, under Wine's
// GDI+. Saved files are decoded by ImageMagick, not by GDI+, and compared
// with where the geometry puts each quadrant of a flat-coloured picture.
//
// Wine's GDI+ resamples a turned picture bilinearly and shifts its edges by
// about a pixel, so colours are compared a few pixels away from any edge,
// with a small tolerance; an unturned copy is compared pixel for pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <set>

#include "core/appstate.h"
#include "core/replace.h"
#include "rotation/rotation.h"
#include "tests/rotation/checks.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"

using namespace qbtest;

namespace {

const uint32_t red = 0xff0000;
const COLORREF redColorref = RGB(255, 0, 0);

class RotationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.zoomPercent = 100;
    app.rotation = RotationSettings{InPlane, 0, 0x00ffffff, {}, 0};
  }
  void TearDown() override {
    if (picture) releasePicture(picture);
  }
  Picture* load(const std::string& relative) {
    if (picture) releasePicture(picture);
    picture = createPicture(wide(testDataPath(relative)).c_str(), testWindow());
    return picture;
  }
  uint32_t surfaceColour(int x, int y) {
    COLORREF c = GetPixel(picture->surfaceDC, x, y);
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
  }

  // Compares every 5th pixel whose colour is certain with the quadrants
  // model; the count of compared pixels keeps the check from passing empty.
  template <typename Read>
  void expectQuadrants(const RotationGeometry& g, uint32_t fill, int margin, int tolerance,
                       Read read) {
    int compared = 0, wrong = 0;
    for (int y = 0; y < int(g.outputHeight); y += 5) {
      for (int x = 0; x < int(g.outputWidth); x += 5) {
        int64_t want = expectedQuadrantColour(g, 300, 400, x, y, margin, fill);
        if (want < 0) continue;
        ++compared;
        uint32_t got = read(x, y);
        if (!closeColour(got, uint32_t(want), tolerance) && ++wrong <= 5)
          ADD_FAILURE() << "at " << x << "," << y << " got " << colourText(got) << " want "
                        << colourText(uint32_t(want));
      }
    }
    EXPECT_EQ(0, wrong);
    EXPECT_GT(compared, int(g.outputWidth * g.outputHeight / 25 * 6 / 10));
  }

  Picture* picture = nullptr;
};

// --- drawRotated -------------------------------------------------------------

TEST_F(RotationTest, DrawInPlaneTurnsTheQuadrantsOnTheDiagonalSquare) {
  ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
  ASSERT_EQ(1, drawRotated(picture, InPlane, angleRadians(30), toArgb(redColorref)));
  EXPECT_EQ(500u, picture->imageWidth);
  EXPECT_EQ(500u, picture->imageHeight);
  EXPECT_EQ(500u, picture->displayWidth);
  EXPECT_EQ(300u, picture->surfaceWidth);  // the source size stays
  RotationGeometry g = rotationGeometry(InPlane, angleRadians(30), 300, 400);
  expectQuadrants(g, red, 3, 12, [&](int x, int y) { return surfaceColour(x, y); });
  // The corners are the fill colour, not the gray of a fresh surface.
  EXPECT_EQ(red, surfaceColour(0, 0));
  EXPECT_EQ(red, surfaceColour(499, 499));
}

TEST_F(RotationTest, DrawAboutTheAxesMirrorsAndSqueezes) {
  const struct {
    int mode;
    int degrees;
  } cases[] = {{AboutHorizontalAxis, 180}, {AboutVerticalAxis, 180}, {AboutHorizontalAxis, 45},
               {AboutVerticalAxis, 45},    {AboutHorizontalAxis, -60}, {InPlane, 90}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " at " << c.degrees);
    ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
    ASSERT_EQ(1, drawRotated(picture, c.mode, angleRadians(c.degrees), toArgb(0x00ffffff)));
    RotationGeometry g = rotationGeometry(c.mode, angleRadians(c.degrees), 300, 400);
    EXPECT_EQ(g.outputWidth, picture->imageWidth);
    EXPECT_EQ(g.outputHeight, picture->imageHeight);
    expectQuadrants(g, 0xffffff, 3, 12, [&](int x, int y) { return surfaceColour(x, y); });
  }
}

TEST_F(RotationTest, DrawAtFortyFiveAboutTheHorizontalAxisLeavesFillOutsideTheBand) {
  ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
  ASSERT_EQ(1, drawRotated(picture, AboutHorizontalAxis, angleRadians(45), toArgb(redColorref)));
  // The band is rows 58 to 341; every row outside it is fill only.
  for (int y : {0, 30, 55, 345, 370, 399})
    for (int x = 0; x < 300; x += 3) ASSERT_EQ(red, surfaceColour(x, y)) << x << "," << y;
  EXPECT_EQ(quadrantColours[0], surfaceColour(70, 120));
  EXPECT_EQ(quadrantColours[3], surfaceColour(230, 280));
}

TEST_F(RotationTest, RefusedSurfaceLeavesThePicturesSizesAlone) {
  ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
  ASSERT_EQ(1, renderPicture(picture));
  // A 65536 x 1 picture has a 65536-pixel diagonal (a 32-bit sum of squares
  // would make it 1): a surface of 65536 x 65536 cannot be made.
  picture->surfaceWidth = 65536;
  picture->surfaceHeight = 1;
  EXPECT_EQ(0, drawRotated(picture, InPlane, 0.0, toArgb(0x00ffffff)));
  EXPECT_EQ(300u, picture->imageWidth);
  EXPECT_EQ(400u, picture->imageHeight);
  EXPECT_EQ(300u, picture->displayWidth);
  picture->surfaceWidth = 300;
  picture->surfaceHeight = 400;
}

// --- renderRotatedToFile ---------------------------------------------------

TEST_F(RotationTest, EveryGdiplusTypeWritesTheTurnedPicture) {
  const struct {
    int type;
    const char* name;
    int margin;
    int tolerance;
  } targets[] = {{FileTypeJpeg, "turned.jpg", 8, 40},
                 {FileTypePng, "turned.png", 3, 12},
                 {FileTypeTiff, "turned.tif", 3, 12},
                 {FileTypeBmp, "turned.bmp", 3, 12}};
  ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
  app.rotation.fillColour = redColorref;
  RotationGeometry g = rotationGeometry(InPlane, angleRadians(30), 300, 400);
  ScratchFolder folder;
  for (const auto& t : targets) {
    SCOPED_TRACE(t.name);
    float xdpi = 0, ydpi = 0;
    BitmapKind kind = chooseBitmapKind(t.type, picture, &xdpi, &ydpi);
    UINT width = 0, height = 0;
    ASSERT_EQ(1, renderRotatedToFile(picture, t.type, wide(folder.file(t.name)).c_str(), 30, kind,
                                     xdpi, ydpi, &width, &height));
    EXPECT_EQ(500u, width);
    EXPECT_EQ(500u, height);
    RawPicture saved;
    std::string error;
    ASSERT_TRUE(decodeWithImageMagick(folder.file(t.name), &saved, &error)) << error;
    ASSERT_EQ(500, saved.width);
    ASSERT_EQ(500, saved.height);
    expectQuadrants(g, red, t.margin, t.tolerance, [&](int x, int y) { return saved.at(x, y); });
  }
  // Only the targets: no temporary file is left beside them.
  EXPECT_EQ(4u, filesIn(folder.path()).size());
  // The saved picture does not change what the view shows.
  EXPECT_EQ(300u, picture->imageWidth);
  EXPECT_EQ(400u, picture->imageHeight);
}

TEST_F(RotationTest, AxisModesSaveAtThePicturesOwnSize) {
  ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
  ScratchFolder folder;
  for (int mode : {int(AboutHorizontalAxis), int(AboutVerticalAxis)}) {
    SCOPED_TRACE(mode);
    app.rotation.mode = static_cast<int16_t>(mode);
    float xdpi, ydpi;
    BitmapKind kind = chooseBitmapKind(FileTypePng, picture, &xdpi, &ydpi);
    std::string path = folder.file("axis.png");
    ASSERT_EQ(1, renderRotatedToFile(picture, FileTypePng, wide(path).c_str(), 180, kind, xdpi,
                                     ydpi, nullptr, nullptr));
    RawPicture saved;
    std::string error;
    ASSERT_TRUE(decodeWithImageMagick(path, &saved, &error)) << error;
    ASSERT_EQ(300, saved.width);
    ASSERT_EQ(400, saved.height);
    RotationGeometry g = rotationGeometry(mode, angleRadians(180), 300, 400);
    expectQuadrants(g, 0xffffff, 3, 12, [&](int x, int y) { return saved.at(x, y); });
  }
}

// An unturned save copies the picture without resampling: the saved file,
// decoded by ImageMagick, must equal pixel for pixel what the window shows
// of the same picture (its still rendering).
TEST_F(RotationTest, EachBitmapKindCopiesAnUnturnedPictureExactly) {
  const struct {
    const char* source;
    int type;
    BitmapKind kind;
  } cases[] = {
      {"rotation/photo_progressive_100x75.jpg", FileTypePng, FromPictureSurface},
      {"rotation/photo_progressive_100x75.jpg", FileTypeBmp, FromPictureSurface},
      {"rotation/photo_indexed_8bit_palette_160x120.png", FileTypePng, Argb32},
      {"rotation/bilevel_32x32_gct2_bg1.gif", FileTypeBmp, Argb32},
      {"rotation/photo_indexed_8bit_palette_160x120.png", FileTypeTiff, Argb32},
  };
  app.rotation.mode = AboutVerticalAxis;  // angle 0: the picture's own size and place
  ScratchFolder folder;
  const char* extensions[] = {".jpg", ".gif", ".png", ".tif", ".bmp"};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.source << " as " << extensions[c.type]);
    ASSERT_NE(nullptr, load(c.source));
    float xdpi, ydpi;
    EXPECT_EQ(c.kind, chooseBitmapKind(c.type, picture, &xdpi, &ydpi));
    std::string path = folder.file(std::to_string(&c - cases) + extensions[c.type]);
    ASSERT_EQ(1, renderRotatedToFile(picture, c.type, wide(path).c_str(), 0, c.kind, xdpi, ydpi,
                                     nullptr, nullptr));
    ASSERT_EQ(1, renderPicture(picture));
    RawPicture saved;
    std::string error;
    ASSERT_TRUE(decodeWithImageMagick(path, &saved, &error)) << error;
    ASSERT_EQ(int(picture->surfaceWidth), saved.width);
    ASSERT_EQ(int(picture->surfaceHeight), saved.height);
    int wrong = 0;
    for (int y = 0; y < saved.height; ++y)
      for (int x = 0; x < saved.width; ++x)
        if (saved.at(x, y) != surfaceColour(x, y) && ++wrong <= 3)
          ADD_FAILURE() << x << "," << y << " " << colourText(saved.at(x, y)) << " vs "
                        << colourText(surfaceColour(x, y));
    EXPECT_EQ(0, wrong);
  }
}

TEST_F(RotationTest, GifRouteBitmapIs24BitWithThePicturesResolution) {
  ASSERT_NE(nullptr, load("rotation/photo_progressive_100x75.jpg"));
  float xdpi = 0, ydpi = 0;
  BitmapKind kind = chooseBitmapKind(FileTypeGif, picture, &xdpi, &ydpi);
  EXPECT_EQ(Rgb24WithResolution, kind);
  ASSERT_GT(xdpi, 0.0f);
  ScratchFolder folder;
  std::string path = folder.file("frame.bmp");
  ASSERT_EQ(1, renderRotatedToFile(picture, FileTypeBmp, wide(path).c_str(), 0, kind, xdpi, ydpi,
                                   nullptr, nullptr));
  std::string bytes = readFile(path);
  ASSERT_GT(bytes.size(), 54u);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
  EXPECT_EQ(24, b[28] | b[29] << 8);  // bits per pixel
  int pelsPerMetre = b[38] | b[39] << 8 | b[40] << 16 | b[41] << 24;
  EXPECT_NEAR(xdpi / 0.0254, pelsPerMetre, 1.0);
  // InPlane at 0: the picture centred on its 125 x 125 diagonal square.
  EXPECT_EQ(125, b[18] | b[19] << 8);
}

TEST_F(RotationTest, FailedSaveLeavesTheTargetAndNoTemporaryFile) {
  ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
  ScratchFolder folder;
  float xdpi, ydpi;
  BitmapKind kind = chooseBitmapKind(FileTypePng, picture, &xdpi, &ydpi);

  // A target held open without delete sharing (as a decoder may hold the
  // shown file) cannot be replaced: the save fails, the old bytes stay.
  std::string target = folder.file("kept.png");
  folder.write("kept.png", "original bytes");
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(0, renderRotatedToFile(picture, FileTypePng, wide(target).c_str(), 30, kind, xdpi,
                                   ydpi, nullptr, nullptr));
  CloseHandle(held);
  EXPECT_TRUE(readFile(target) == "original bytes");
  EXPECT_EQ(std::set<std::string>{"kept.png"}, filesIn(folder.path()));

  // A bitmap GDI+ cannot make (30000 x 30000 at 32 bits is 3.6 GB) fails
  // the save, as out of memory, instead of writing a file of fill colour
  // over the target.
  picture->surfaceWidth = picture->surfaceHeight = 30000;
  app.rotation.mode = AboutVerticalAxis;
  EXPECT_EQ(RenderNoMemory, renderRotatedToFile(picture, FileTypePng, wide(target).c_str(), 30, Argb32, xdpi,
                                   ydpi, nullptr, nullptr));
  picture->surfaceWidth = 300;
  picture->surfaceHeight = 400;
  EXPECT_TRUE(readFile(target) == "original bytes");
  EXPECT_EQ(std::set<std::string>{"kept.png"}, filesIn(folder.path()));

  // A folder that does not exist gets nothing.
  EXPECT_EQ(0, renderRotatedToFile(picture, FileTypePng,
                                   wide(folder.file("missing\\x.png")).c_str(), 30, kind, xdpi,
                                   ydpi, nullptr, nullptr));
  // A target that is a folder is not replaced.
  folder.makeFolder("taken.png");
  EXPECT_EQ(0, renderRotatedToFile(picture, FileTypePng, wide(folder.file("taken.png")).c_str(),
                                   30, kind, xdpi, ydpi, nullptr, nullptr));
  EXPECT_TRUE(folderExists(folder.file("taken.png")));
  EXPECT_EQ(std::set<std::string>{"kept.png"}, filesIn(folder.path()));
}

TEST_F(RotationTest, AnimatedOrEmptyPicturesWriteNothing) {
  ScratchFolder folder;
  std::string path = folder.file("out.png");
  ASSERT_NE(nullptr, load("rotation/anim_15_frames_30x20.gif"));
  ASSERT_EQ(15u, picture->frameCount);
  EXPECT_EQ(-1, renderRotatedToFile(picture, FileTypePng, wide(path).c_str(), 0, Argb32, 0, 0,
                                    nullptr, nullptr));
  // A file GDI+ could not decode gives a picture without image.
  folder.write("broken.png", "not a picture");
  if (picture) releasePicture(picture);
  picture = createPicture(wide(folder.file("broken.png")).c_str(), testWindow());
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(0, renderRotatedToFile(picture, FileTypePng, wide(path).c_str(), 0, Argb32, 0, 0,
                                   nullptr, nullptr));
  EXPECT_FALSE(fileExists(path));
  EXPECT_EQ(std::set<std::string>{"broken.png"}, filesIn(folder.path()));
}

// --- saveGifFile -------------------------------------------------------------

TEST_F(RotationTest, GifSaveGoesThroughItsOwnTemporaryFileAndLeavesNone) {
  ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
  ScratchFolder work, out;
  // The animated-GIF worker's file of the same folder is not touched.
  work.write("temp.bmp", "the worker's frame");
  lstrcpyW(app.workFolder, wide(work.path()).c_str());
  app.rotation.angleDegrees = 30;
  float xdpi, ydpi;
  BitmapKind kind = chooseBitmapKind(FileTypeGif, picture, &xdpi, &ydpi);
  ASSERT_EQ(1, saveGifFile(picture, wide(out.file("turned.gif")).c_str(), kind, xdpi, ydpi));
  EXPECT_EQ(std::set<std::string>{"temp.bmp"}, filesIn(work.path()));
  EXPECT_TRUE(readFile(work.file("temp.bmp")) == "the worker's frame");
  RawPicture saved;
  std::string error;
  ASSERT_TRUE(decodeWithImageMagick(out.file("turned.gif"), &saved, &error)) << error;
  EXPECT_EQ("GIF", saved.format);
  ASSERT_EQ(500, saved.width);
  expectQuadrants(rotationGeometry(InPlane, angleRadians(30), 300, 400), 0xffffff, 3, 12,
                  [&](int x, int y) { return saved.at(x, y); });

  // A conversion that cannot write its target still removes the BMP.
  EXPECT_LT(saveGifFile(picture, wide(out.file("missing\\x.gif")).c_str(), kind, xdpi, ydpi), 0);
  EXPECT_EQ(std::set<std::string>{"temp.bmp"}, filesIn(work.path()));
  app.workFolder[0] = L'\0';
}

TEST_F(RotationTest, GifSaveWithoutAWorkingFolderWritesNothing) {
  ASSERT_NE(nullptr, load("rotation/quadrants_300x400.png"));
  ScratchFolder out;
  app.workFolder[0] = L'\0';
  EXPECT_EQ(-6, saveGifFile(picture, wide(out.file("x.gif")).c_str(), Rgb24WithResolution, 96, 96));
  EXPECT_TRUE(filesIn(out.path()).empty());
  // The current folder is not used instead of the missing working folder.
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_FALSE(fileExists(utf8(current) + "\\savetemp.bmp"));
}

TEST_F(RotationTest, GifSaveOfAnAnimationIsRefused) {
  ASSERT_NE(nullptr, load("rotation/anim_15_frames_30x20.gif"));
  ScratchFolder work, out;
  lstrcpyW(app.workFolder, wide(work.path()).c_str());
  EXPECT_EQ(-7, saveGifFile(picture, wide(out.file("x.gif")).c_str(), Rgb24WithResolution, 96, 96));
  EXPECT_TRUE(filesIn(out.path()).empty());
  EXPECT_TRUE(filesIn(work.path()).empty());
  app.workFolder[0] = L'\0';
}

// --- findEncoderClsid --------------------------------------------------------

TEST(FindEncoderClsid, FindsEachTypeByItsExactMimeString) {
  CLSID clsid;
  std::memset(&clsid, 0, sizeof clsid);
  ASSERT_GE(findEncoderClsid(L"image/png", &clsid), 0);
  const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  EXPECT_TRUE(IsEqualGUID(png, clsid));
  std::set<int> indexes;
  for (const wchar_t* mime :
       {L"image/jpeg", L"image/gif", L"image/png", L"image/tiff", L"image/bmp"}) {
    int index = findEncoderClsid(mime, &clsid);
    EXPECT_GE(index, 0);
    indexes.insert(index);
  }
  EXPECT_EQ(5u, indexes.size());
  CLSID untouched = png;
  EXPECT_EQ(-1, findEncoderClsid(L"image/PNG", &untouched));
  EXPECT_EQ(-1, findEncoderClsid(L"image/png ", &untouched));
  EXPECT_EQ(-1, findEncoderClsid(L"", &untouched));
  EXPECT_TRUE(IsEqualGUID(png, untouched));
}

// --- sibling files -----------------------------------------------------------

TEST(SiblingTemp, LandsInTheTargetsOwnFolderAndReplacesIt) {
  ScratchFolder folder;
  // The second byte of 表 in the ANSI code page is 0x5C, the byte of '\':
  // the folder is found in the wide path, where no such confusion exists.
  folder.makeFolder("表示");
  std::string target = folder.file("表示\\a.png");
  folder.write("表示\\a.png", "old");
  std::wstring inside = wide(folder.file("表示\\"));
  std::filesystem::path temp;
  ASSERT_TRUE(makeSiblingTemp(wide(target), &temp));
  EXPECT_EQ(0, temp.native().compare(0, inside.size(), inside));
  EXPECT_EQ(std::wstring::npos, temp.native().find(L'\\', inside.size()));
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  WriteFile(file, "new", 3, &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(replaceWithTemp(temp, wide(target)));
  EXPECT_TRUE(readFile(target) == "new");
  EXPECT_EQ(std::set<std::string>{"a.png"}, filesIn(folder.file("表示")));

  // No folder, no temporary file.
  EXPECT_FALSE(makeSiblingTemp(wide(folder.file("nowhere\\a.png")), &temp));
  EXPECT_TRUE(temp.empty());

  // A read-only target is refused before anything is written, and is never
  // replaced (Wine's move would replace it, Windows' would not).
  std::string locked = folder.file("locked.png");
  folder.write("locked.png", "protected");
  SetFileAttributesW(wide(locked).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(makeSiblingTemp(wide(locked), &temp));
  EXPECT_FALSE(writeFileReplacing(wide(locked), "new", 3));
  EXPECT_TRUE(readFile(locked) == "protected");
  SetFileAttributesW(wide(locked).c_str(), FILE_ATTRIBUTE_NORMAL);

  // A target whose path is as long as a path may be still gets a temporary
  // file that fits, and is replaced.
  // A folder of 247 characters (the most one may have) leaves 11 for the
  // name; GetTempFileName would need 14.
  std::string deep = folder.path();
  while (deep.size() < 246) {
    deep += "\\" + std::string(std::min<size_t>(60, 246 - deep.size()), 'd');
    ASSERT_TRUE(CreateDirectoryW(wide(deep).c_str(), nullptr)) << deep.size();
  }
  std::string longTarget = deep + "\\" + std::string(MAX_PATH - 2 - deep.size(), 'n');
  ASSERT_EQ(MAX_PATH - 1, longTarget.size());
  EXPECT_TRUE(writeFileReplacing(wide(longTarget), "long", 4));
  EXPECT_TRUE(readFile(longTarget) == "long");
  EXPECT_EQ(std::set<std::string>{longTarget.substr(deep.size() + 1)}, filesIn(deep));
}

}  // namespace
