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
  EXPECT_EQ(1, convertImageFile(source_.c_str(), path("temp0.gif").c_str(), 1));
  EXPECT_EQ(picture_.pixels, gifPixels(path("temp0.gif")).pixels);
  // An existing target is replaced.
  EXPECT_EQ(1, convertImageFile(source_.c_str(), path("temp0.gif").c_str(), 1));
  EXPECT_EQ((std::set<std::string>{"temp.bmp", "temp0.gif"}), filesIn(folder_.path()));
}

TEST_F(ConvertImageFile, TiffReturnsAtOnceEvenWithoutASource) {
  EXPECT_EQ(3, convertImageFile(path("missing.bmp").c_str(), path("out.tif").c_str(), 3));
  EXPECT_EQ(3, convertImageFile(source_.c_str(), path("out.tif").c_str(), 3));
  EXPECT_EQ((std::set<std::string>{"temp.bmp"}), filesIn(folder_.path()));
}

TEST_F(ConvertImageFile, MissingOrUnreadableSourceWritesNothing) {
  EXPECT_EQ(-2, convertImageFile(path("missing.bmp").c_str(), path("out.gif").c_str(), 1));
  ASSERT_TRUE(writeFile(path("text.bmp"), std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(-2, convertImageFile(path("text.bmp").c_str(), path("out.gif").c_str(), 1));
  const std::string truncated = testDataPath("bmp/malformed/truncated_273_of_1086_bytes.bmp");
  EXPECT_EQ(-2, convertImageFile(truncated.c_str(), path("out.gif").c_str(), 1));
  EXPECT_EQ(-2, convertImageFile(truncated.c_str(), path("out.bmp").c_str(), 4));
  EXPECT_EQ((std::set<std::string>{"temp.bmp", "text.bmp"}), filesIn(folder_.path()));
}

TEST_F(ConvertImageFile, BmpIsCopiedByteForByte) {
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  ASSERT_TRUE(writeFile(path("copy.bmp"), old));
  EXPECT_EQ(4, convertImageFile(source_.c_str(), path("copy.bmp").c_str(), 4));
  EXPECT_EQ(readFileBytes(source_), readFileBytes(path("copy.bmp")));
  EXPECT_EQ((std::set<std::string>{"copy.bmp", "temp.bmp"}), filesIn(folder_.path()));
}

TEST_F(ConvertImageFile, JpegAndPngThroughTheLibrary) {
  EXPECT_EQ(0, convertImageFile(source_.c_str(), path("out.jpg").c_str(), 0));
  EXPECT_EQ(2, convertImageFile(source_.c_str(), path("out.png").c_str(), 2));
  const std::vector<uint8_t> jpeg = readFileBytes(path("out.jpg")), png = readFileBytes(path("out.png"));
  ASSERT_GT(jpeg.size(), 2u);
  ASSERT_GT(png.size(), 4u);
  EXPECT_EQ(0xD8, jpeg[1]);
  EXPECT_EQ('N', png[2]);
}

TEST_F(ConvertImageFile, UnknownTypeAndFailedWritesGiveMinusFive) {
  EXPECT_EQ(-5, convertImageFile(source_.c_str(), path("out.xyz").c_str(), 7));
  EXPECT_EQ(-5, convertImageFile(source_.c_str(), path("out.xyz").c_str(), -1));
  EXPECT_EQ(-5, convertImageFile(source_.c_str(), path("no folder\\out.gif").c_str(), 1));
  EXPECT_EQ(-5, convertImageFile(source_.c_str(), path("no folder\\out.bmp").c_str(), 4));
  EXPECT_EQ((std::set<std::string>{"temp.bmp"}), filesIn(folder_.path()));
}

// The working folder of a Japanese user: the second byte of a code page 932
// character can be 0x5C, the backslash, and must not split the path.
TEST_F(ConvertImageFile, JapaneseFolderNames) {
  const std::string sub = path("表示画像");
  folder_.makeFolder("表示画像");
  const std::string target = sub + "\\ソース.gif";
  EXPECT_EQ(1, convertImageFile(source_.c_str(), toProgramText(target).c_str(), 1));
  EXPECT_EQ(picture_.pixels, gifPixels(target).pixels);
  EXPECT_EQ((std::set<std::string>{"ソース.gif"}), filesIn(sub));
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
    if (convertImageFile(job->source.c_str(), job->target.c_str(), 1) == 1 &&
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
  ASSERT_EQ(1, convertImageFile(jobs[1].source.c_str(), jobs[1].target.c_str(), 1));
  jobs[1].expected = gifPixels(jobs[1].target);
  HANDLE threads[2];
  for (int t = 0; t < 2; ++t) threads[t] = CreateThread(nullptr, 0, convertTwenty, &jobs[t], 0, nullptr);
  WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  for (HANDLE h : threads) CloseHandle(h);
  EXPECT_EQ(20, jobs[0].good);
  EXPECT_EQ(20, jobs[1].good);
  EXPECT_EQ((std::set<std::string>{"a.gif", "b.gif", "photo.bmp", "temp.bmp"}), filesIn(folder_.path()));
}
