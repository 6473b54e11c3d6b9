// Opening by drop under Wine, with real HDROP handles built as the shell
// builds them: which files are accepted, that a refused file leaves the path
// and the picture as they were, and that only the first file counts.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "picture/picture.h"
#include "shell/shell.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"

using namespace qbtest;

namespace {

// A drop of the given paths, as Explorer hands it over: UTF-16 names.
HDROP makeDrop(const std::vector<std::string>& paths) {
  size_t size = sizeof(DROPFILES) + 2 * sizeof(wchar_t);  // the list ends with an empty name
  for (const std::string& path : paths) size += (wide(path).size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  wchar_t* list = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
  for (const std::string& path : paths) {
    std::wstring name = wide(path);
    std::memcpy(list, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    list += name.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class DropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetAppState();
    std::string picture = readFile(testDataPath("pictures/photo_progressive_100x75.jpg"));
    folder.write("PHOTO.JPG", picture);
    folder.write("second.png", readFile(testDataPath("pictures/painting_tiny_21x32.png")));
    folder.write("scan.tif", readFile(testDataPath("pictures/photo_lzw_128x128.tif")));
    folder.write("notes.txt", "text");
    // Names no ANSI code page of a Japanese Windows holds.
    folder.write("café 한국어 😀.png", readFile(testDataPath("pictures/painting_tiny_21x32.png")));
    lstrcpyW(app.currentPath, L"C:\\before\\shown.png");
  }
  void TearDown() override { releaseCurrentPicture(); }
  int drop(const std::vector<std::string>& paths) {
    HDROP handle = makeDrop(paths);
    int result = loadDroppedFile(handle, testWindow());
    DragFinish(handle);
    return result;
  }
  ScratchFolder folder;
};

TEST_F(DropTest, UpperCaseJpgIsAccepted) {
  EXPECT_EQ(0, drop({folder.file("PHOTO.JPG")}));
  EXPECT_EQ(folder.file("PHOTO.JPG"), utf8(app.currentPath));
  ASSERT_NE(nullptr, app.currentPicture);
  EXPECT_EQ(100u, app.currentPicture->imageWidth);
  EXPECT_EQ(-1, app.animationState);
}

TEST_F(DropTest, PositionInTheDropListIsTheResult) {
  EXPECT_EQ(5, drop({folder.file("second.png")}));
  EXPECT_EQ(21u, app.currentPicture->imageWidth);
}

TEST_F(DropTest, AnyNameTheFileSystemHoldsOpens) {
  EXPECT_EQ(5, drop({folder.file("café 한국어 😀.png")}));
  EXPECT_EQ(folder.file("café 한국어 😀.png"), utf8(app.currentPath));
  ASSERT_NE(nullptr, app.currentPicture);
  EXPECT_EQ(21u, app.currentPicture->imageWidth);
}

TEST_F(DropTest, TiffAndOtherFilesAreRefusedWithPathAndPictureKept) {
  ASSERT_EQ(5, drop({folder.file("second.png")}));
  Picture* shown = app.currentPicture;
  std::string shownPath = utf8(app.currentPath);
  EXPECT_EQ(-1, drop({folder.file("scan.tif")}));
  EXPECT_EQ(shownPath, utf8(app.currentPath));
  EXPECT_EQ(shown, app.currentPicture);
  EXPECT_EQ(-1, drop({folder.file("notes.txt")}));
  EXPECT_EQ(shownPath, utf8(app.currentPath));
  EXPECT_EQ(shown, app.currentPicture);
}

TEST_F(DropTest, OnlyTheFirstOfSeveralFilesOpens) {
  EXPECT_EQ(5, drop({folder.file("second.png"), folder.file("PHOTO.JPG"), folder.file("scan.tif")}));
  EXPECT_EQ(folder.file("second.png"), utf8(app.currentPath));
  // The first file decides, also when it is refused.
  EXPECT_EQ(-1, drop({folder.file("scan.tif"), folder.file("PHOTO.JPG")}));
  EXPECT_EQ(folder.file("second.png"), utf8(app.currentPath));
}

TEST_F(DropTest, EmptyDropChangesNothing) {
  // Wine's shell counts an empty list as one empty name, which is refused
  // like a file of the wrong kind; either way nothing changes.
  EXPECT_GT(0, drop({}));
  EXPECT_STREQ(L"C:\\before\\shown.png", app.currentPath);
  EXPECT_EQ(nullptr, app.currentPicture);
}

TEST_F(DropTest, PathLongerThanTheBufferIsRefusedNotCut) {
  // Cut to 259 characters this would name "...PHOTO.JPG" one level up.
  std::string longPath = "C:\\" + std::string(250, 'd') + "\\PHOTO.JPG";
  EXPECT_EQ(-1, drop({longPath}));
  EXPECT_STREQ(L"C:\\before\\shown.png", app.currentPath);
  EXPECT_EQ(nullptr, app.currentPicture);
}

TEST_F(DropTest, AcceptedFileThatDoesNotDecodeStillShowsAnEmptyPicture) {
  folder.write("broken.gif", "GIF89a but nothing else");
  EXPECT_EQ(4, drop({folder.file("broken.gif")}));
  ASSERT_NE(nullptr, app.currentPicture);
  EXPECT_EQ(0u, app.currentPicture->imageWidth);
}

TEST(LoadByPath, RefusesNamesWithoutAPictureExtensionAndKeepsTheShownPicture) {
  resetAppState();
  ASSERT_EQ(1, loadByPath(wide(testDataPath("pictures/painting_tiny_21x32.png")).c_str(), testWindow()));
  Picture* shown = app.currentPicture;
  EXPECT_EQ(-1, loadByPath(L"C:\\pics\\jpg", testWindow()));
  EXPECT_EQ(-1, loadByPath(L"C:\\pics\\notes.txt", testWindow()));
  EXPECT_EQ(shown, app.currentPicture);
  EXPECT_EQ(0, loadByPath(nullptr, testWindow()));
  // A TIFF opens this way, unlike a drop.
  EXPECT_EQ(1, loadByPath(wide(testDataPath("pictures/photo_lzw_128x128.tif")).c_str(), testWindow()));
  EXPECT_EQ(128u, app.currentPicture->imageWidth);
  releaseCurrentPicture();
}

}  // namespace
