// File types by extension, for opening, scanning, dropping and saving.
#include "picture/filetype.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const wchar_t* path;
  int type;
};

TEST(ClassifyExtension, KnownExtensionsInAnyCase) {
  const Case cases[] = {
      {L"photo.JPEG", FileTypeJpeg}, {L"a.b.jfif", FileTypeJpeg}, {L"x.jpg", FileTypeJpeg},
      {L"x.Jpe", FileTypeJpeg},      {L"anim.GIF", FileTypeGif},  {L"c:\\p\\y.png", FileTypePng},
      {L"scan.TIFF", FileTypeTiff},  {L"scan.tif", FileTypeTiff}, {L"old.BmP", FileTypeBmp},
  };
  for (const Case& c : cases) EXPECT_EQ(c.type, classifyExtension(c.path)) << c.path;
}

TEST(ClassifyExtension, AnythingElseIsNotAPicture) {
  const wchar_t* const paths[] = {L"jpg",          L"archive.jpg.zip", L"ends.in.dot.", L"",
                               L"x.jpgx",       L"x.jp",            L"x.bmp ",       L"c:\\a.jpg\\b",
                               L"photo.jpeg2", L".hidden"};
  for (const wchar_t* path : paths) EXPECT_EQ(FileTypeNone, classifyExtension(path)) << path;
  EXPECT_EQ(FileTypeNone, classifyExtension(nullptr));
}

TEST(MatchExtension, GivesThePositionInTheList) {
  EXPECT_EQ(0, matchExtension(L"a.JPG", dropExtensions, 7));
  EXPECT_EQ(1, matchExtension(L"a.jpeg", dropExtensions, 7));
  EXPECT_EQ(4, matchExtension(L"a.gif", dropExtensions, 7));
  EXPECT_EQ(6, matchExtension(L"a.Bmp", dropExtensions, 7));
}

TEST(MatchExtension, DropListHasNoTiff) {
  EXPECT_EQ(-1, matchExtension(L"scan.tif", dropExtensions, 7));
  EXPECT_EQ(-1, matchExtension(L"scan.tiff", dropExtensions, 7));
  EXPECT_EQ(FileTypeTiff, classifyExtension(L"scan.tif"));
}

TEST(MatchExtension, OnlyTheLastDotCounts) {
  const char* const list[] = {"zip", "jpg"};
  EXPECT_EQ(0, matchExtension(L"archive.jpg.zip", list, 2));
  EXPECT_EQ(1, matchExtension(L"archive.zip.jpg", list, 2));
  EXPECT_EQ(-1, matchExtension(L"name.", list, 2));
}

}  // namespace
