// File types by extension, for opening, scanning, dropping and saving.
#include "picture/filetype.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* path;
  int type;
};

TEST(ClassifyExtension, KnownExtensionsInAnyCase) {
  const Case cases[] = {
      {"photo.JPEG", FileTypeJpeg}, {"a.b.jfif", FileTypeJpeg}, {"x.jpg", FileTypeJpeg},
      {"x.Jpe", FileTypeJpeg},      {"anim.GIF", FileTypeGif},  {"c:\\p\\y.png", FileTypePng},
      {"scan.TIFF", FileTypeTiff},  {"scan.tif", FileTypeTiff}, {"old.BmP", FileTypeBmp},
  };
  for (const Case& c : cases) EXPECT_EQ(c.type, classifyExtension(c.path)) << c.path;
}

TEST(ClassifyExtension, AnythingElseIsNotAPicture) {
  const char* const paths[] = {"jpg",          "archive.jpg.zip", "ends.in.dot.", "",
                               "x.jpgx",       "x.jp",            "x.bmp ",       "c:\\a.jpg\\b",
                               "photo.jpeg2", ".hidden"};
  for (const char* path : paths) EXPECT_EQ(FileTypeNone, classifyExtension(path)) << path;
  EXPECT_EQ(FileTypeNone, classifyExtension(nullptr));
}

TEST(MatchExtension, GivesThePositionInTheList) {
  EXPECT_EQ(0, matchExtension("a.JPG", dropExtensions, 7));
  EXPECT_EQ(1, matchExtension("a.jpeg", dropExtensions, 7));
  EXPECT_EQ(4, matchExtension("a.gif", dropExtensions, 7));
  EXPECT_EQ(6, matchExtension("a.Bmp", dropExtensions, 7));
}

TEST(MatchExtension, DropListHasNoTiff) {
  EXPECT_EQ(-1, matchExtension("scan.tif", dropExtensions, 7));
  EXPECT_EQ(-1, matchExtension("scan.tiff", dropExtensions, 7));
  EXPECT_EQ(FileTypeTiff, classifyExtension("scan.tif"));
}

TEST(MatchExtension, OnlyTheLastDotCounts) {
  const char* const list[] = {"zip", "jpg"};
  EXPECT_EQ(0, matchExtension("archive.jpg.zip", list, 2));
  EXPECT_EQ(1, matchExtension("archive.zip.jpg", list, 2));
  EXPECT_EQ(-1, matchExtension("name.", list, 2));
}

}  // namespace
