// convertImageFile under Wine, through the import library made from the
// .def: the program's own route to imgctl.dll, by ordinal.
#include "rotation/convert.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/imgctl/test_pictures.h"
#include "tests/support/files.h"
#include "tests/support/text.h"

using imgctl::Pixmap;
using namespace imgctl_test;
using namespace qbtest;

namespace {

// The program's call, on the tests' UTF-8 paths.
int convert(const std::string& source, const std::string& target, int type) {
  return convertImageFile(wide(source).c_str(), wide(target).c_str(), type);
}

class ConvertImageFile : public ::testing::Test {
 protected:
  void SetUp() override {
    picture_ = paletteTiles(45, 31, spreadColours(9));
    source_ = path("temp.bmp");
    ASSERT_TRUE(writeFile(source_, bmpOf(picture_)));
  }
  std::string path(const std::string& name) const { return folder_.file(name); }

  ScratchFolder folder_;
  std::string source_;
  Pixmap picture_;
};

}  // namespace

TEST_F(ConvertImageFile, GifOfAValidBmp) {
  EXPECT_EQ(1, convert(source_, path("temp0.gif"), 1));
  EXPECT_EQ(picture_.pixels, gifPixels(path("temp0.gif")).pixels);
  // An existing target is replaced.
  EXPECT_EQ(1, convert(source_, path("temp0.gif"), 1));
  EXPECT_EQ((std::set<std::string>{"temp.bmp", "temp0.gif"}), filesIn(folder_.path()));
}

TEST_F(ConvertImageFile, TiffReturnsAtOnceEvenWithoutASource) {
  EXPECT_EQ(3, convert(path("missing.bmp"), path("out.tif"), 3));
  EXPECT_EQ(3, convert(source_, path("out.tif"), 3));
  EXPECT_EQ((std::set<std::string>{"temp.bmp"}), filesIn(folder_.path()));
}

TEST_F(ConvertImageFile, MissingOrUnreadableSourceWritesNothing) {
  EXPECT_EQ(-2, convert(path("missing.bmp"), path("out.gif"), 1));
  ASSERT_TRUE(writeFile(path("text.bmp"), std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(-2, convert(path("text.bmp"), path("out.gif"), 1));
  const std::string truncated = testDataPath("bmp/malformed/truncated_273_of_1086_bytes.bmp");
  EXPECT_EQ(-2, convert(truncated, path("out.gif"), 1));
  EXPECT_EQ(-2, convert(truncated, path("out.bmp"), 4));
  EXPECT_EQ((std::set<std::string>{"temp.bmp", "text.bmp"}), filesIn(folder_.path()));
}

TEST_F(ConvertImageFile, BmpIsCopiedByteForByte) {
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  ASSERT_TRUE(writeFile(path("copy.bmp"), old));
  EXPECT_EQ(4, convert(source_, path("copy.bmp"), 4));
  EXPECT_EQ(readFileBytes(source_), readFileBytes(path("copy.bmp")));
  EXPECT_EQ((std::set<std::string>{"copy.bmp", "temp.bmp"}), filesIn(folder_.path()));
}

TEST_F(ConvertImageFile, JpegAndPngThroughTheLibrary) {
  EXPECT_EQ(0, convert(source_, path("out.jpg"), 0));
  EXPECT_EQ(2, convert(source_, path("out.png"), 2));
  const std::vector<uint8_t> jpeg = readFileBytes(path("out.jpg")), png = readFileBytes(path("out.png"));
  ASSERT_GT(jpeg.size(), 2u);
  ASSERT_GT(png.size(), 4u);
  EXPECT_EQ(0xD8, jpeg[1]);
  EXPECT_EQ('N', png[2]);
}

TEST_F(ConvertImageFile, UnknownTypeAndFailedWritesGiveMinusFive) {
  EXPECT_EQ(-5, convert(source_, path("out.xyz"), 7));
  EXPECT_EQ(-5, convert(source_, path("out.xyz"), -1));
  EXPECT_EQ(-5, convert(source_, path("no folder\\out.gif"), 1));
  EXPECT_EQ(-5, convert(source_, path("no folder\\out.bmp"), 4));
  EXPECT_EQ((std::set<std::string>{"temp.bmp"}), filesIn(folder_.path()));
}

// A folder whose name ends in the byte 0x5C in code page 932, and a name no
// ANSI code page of a Japanese Windows holds.
TEST_F(ConvertImageFile, JapaneseFolderNames) {
  const std::string sub = path("表示画像");
  folder_.makeFolder("表示画像");
  const std::string target = sub + "\\ソース ✓ café.gif";
  EXPECT_EQ(1, convert(source_, target, 1));
  EXPECT_EQ(picture_.pixels, gifPixels(target).pixels);
  EXPECT_EQ((std::set<std::string>{"ソース ✓ café.gif"}), filesIn(sub));
}

namespace {

struct Job {
  std::string source, target;
  Pixmap expected;
  int good = 0;
};

DWORD WINAPI convertTwenty(void* argument) {
  Job* job = static_cast<Job*>(argument);
  for (int i = 0; i < 20; ++i)
    if (convert(job->source, job->target, 1) == 1 &&
        gifPixels(job->target).pixels == job->expected.pixels)
      ++job->good;
  return 0;
}

}  // namespace

TEST_F(ConvertImageFile, TwoThreadsAtOnce) {
  Job jobs[2];
  jobs[0].expected = picture_;
  jobs[0].source = source_;
  jobs[0].target = path("a.gif");
  jobs[1].expected = syntheticPhoto(64, 48);
  jobs[1].source = path("photo.bmp");
  jobs[1].target = path("b.gif");
  ASSERT_TRUE(writeFile(jobs[1].source, bmpOf(jobs[1].expected)));
  // The photo cannot come back exactly; its expected pixels are what one
  // conversion gives, and every further one must give the same.
  ASSERT_EQ(1, convert(jobs[1].source, jobs[1].target, 1));
  jobs[1].expected = gifPixels(jobs[1].target);
  HANDLE threads[2];
  for (int t = 0; t < 2; ++t) threads[t] = CreateThread(nullptr, 0, convertTwenty, &jobs[t], 0, nullptr);
  WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  for (HANDLE h : threads) CloseHandle(h);
  EXPECT_EQ(20, jobs[0].good);
  EXPECT_EQ(20, jobs[1].good);
  EXPECT_EQ((std::set<std::string>{"a.gif", "b.gif", "photo.bmp", "temp.bmp"}), filesIn(folder_.path()));
}
