// Scanning real folders under Wine: natural order, which files count as
// pictures, the index of the opened file, and the limits on names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browse/browse.h"
#include "core/appstate.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"

using namespace qbtest;

namespace {

std::vector<std::string> listed() {
  std::vector<std::string> names;
  for (int i = 0; i < app.folder.nameCount; ++i) names.push_back(utf8(nameAt(i)));
  return names;
}

class ScanFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { resetAppState(); }
  ScratchFolder folder;
};

TEST_F(ScanFolderTest, ListsPicturesInNaturalOrder) {
  for (const char* name : {"p10.jpg", "p2.JPG", "P1.png", "readme.txt", "scan.TIFF"})
    folder.write(name);
  folder.makeFolder("sub.gif");
  ASSERT_EQ(1, scanFolder(wide(folder.file("p2.JPG")).c_str()));
  EXPECT_EQ((std::vector<std::string>{"P1.png", "p2.JPG", "p10.jpg", "scan.TIFF"}), listed());
  EXPECT_EQ(4, app.folder.nameCount);
  EXPECT_EQ(4, app.folder.folderCount);
  EXPECT_EQ(1, app.folder.folderIndex);
  EXPECT_EQ(folder.path(), utf8(app.folder.folderPath));
}

TEST_F(ScanFolderTest, EveryPictureExtensionCountsAndNothingElse) {
  for (const char* name : {"photo.jpeg", "photo.jpe", "a.jfif", "b.gif", "c.bmp", "d.tif", "jpg",
                           "e.jpg.zip", "f."})
    folder.write(name);
  ASSERT_EQ(1, scanFolder(wide(folder.file("b.gif")).c_str()));
  EXPECT_EQ((std::vector<std::string>{"a.jfif", "b.gif", "c.bmp", "d.tif", "photo.jpe",
                                      "photo.jpeg"}),
            listed());
}

TEST_F(ScanFolderTest, HiddenAndSystemFilesAreListed) {
  folder.write("a.png");
  folder.write("b.png");
  SetFileAttributesW(wide(folder.file("b.png")).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ASSERT_EQ(1, scanFolder(wide(folder.file("a.png")).c_str()));
  EXPECT_EQ(2, app.folder.nameCount);
}

TEST_F(ScanFolderTest, OnlyPictureGivesCountOne) {
  folder.write("only.png");
  folder.write("notes.txt");
  ASSERT_EQ(1, scanFolder(wide(folder.file("only.png")).c_str()));
  EXPECT_EQ(1, app.folder.folderCount);
  EXPECT_EQ(0, app.folder.folderIndex);
}

TEST_F(ScanFolderTest, NamesTheComparisonRatesEqualAreListedOnce) {
  // Digit runs compare by value, so a01 and a1 are the same place.
  ASSERT_EQ(0, naturalCompare(L"a01.jpg", L"a1.jpg"));
  for (const char* name : {"a01.jpg", "a1.jpg", "b.jpg"}) folder.write(name);
  ASSERT_EQ(1, scanFolder(wide(folder.file("b.jpg")).c_str()));
  EXPECT_EQ(2, app.folder.nameCount);
  EXPECT_EQ(1, app.folder.folderIndex);
}

TEST_F(ScanFolderTest, CaseMismatchedNameFindsNoEntryAndGivesIndexZero) {
  folder.write("a.jpg");
  folder.write("x.jpg");
  ASSERT_EQ(1, scanFolder(wide(folder.file("X.JPG")).c_str()));
  EXPECT_EQ(2, app.folder.nameCount);
  EXPECT_EQ(0, app.folder.folderIndex);
}

TEST_F(ScanFolderTest, FileNamesOf79CharactersScanAnd80DoNot) {
  std::string name79 = std::string(75, 'n') + ".jpg";
  std::string name80 = std::string(76, 'n') + ".jpg";
  folder.write(name79);
  folder.write(name80);
  ASSERT_EQ(1, scanFolder(wide(folder.file(name79)).c_str()));
  EXPECT_EQ(2, app.folder.folderCount);
  EXPECT_EQ(-2, scanFolder(wide(folder.file(name80)).c_str()));
  EXPECT_EQ(0, app.folder.folderCount);
  // The list of the good scan stays, stepping is off.
  EXPECT_EQ(2, app.folder.nameCount);
}

TEST_F(ScanFolderTest, UnusableFoldersFail) {
  EXPECT_EQ(-1, scanFolder(wide(folder.path() + "\\missing\\a.jpg").c_str()));
  EXPECT_EQ(0, app.folder.folderCount);
  std::string longFolder = "C:\\" + std::string(260, 'd');
  EXPECT_EQ(0, scanFolder(wide(longFolder + "\\a.jpg").c_str()));
  EXPECT_EQ(0, app.folder.folderCount);
}

TEST_F(ScanFolderTest, BareFileNameScansTheCurrentDirectory) {
  folder.write("p2.png");
  folder.write("p10.png");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(wide(folder.path()).c_str()));
  int result = scanFolder(L"p10.png");
  SetCurrentDirectoryW(previous);
  ASSERT_EQ(1, result);
  EXPECT_EQ(folder.path(), utf8(app.folder.folderPath));
  EXPECT_EQ(1, app.folder.folderIndex);
}

TEST_F(ScanFolderTest, VeryLongNamesCompareWithoutOverrun) {
  // Names beyond the 255 characters of the comparison buffers compare on
  // their first 255 characters.
  std::string stem(300, 'q');
  EXPECT_EQ(0, naturalCompare(wide(stem + "1.jpg"), wide(stem + "2.jpg")));
  EXPECT_LT(naturalCompare(std::wstring(250, L'q') + L"1", std::wstring(250, L'q') + L"2"), 0);
}

TEST_F(ScanFolderTest, JapaneseNamesSortAndSplitAtTheRealBackslash) {
  // "表" ends in the byte 0x5C; the folder "表" must not be split inside it.
  folder.makeFolder("表");
  std::string inner = folder.file("表");
  for (const char* name : {"写真10.jpg", "写真9.jpg"}) {
    HANDLE file = CreateFileW(wide(inner + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
  }
  ASSERT_EQ(1, scanFolder(wide(inner + "\\写真10.jpg").c_str()));
  EXPECT_EQ(inner, utf8(app.folder.folderPath));
  EXPECT_EQ((std::vector<std::string>{"写真9.jpg", "写真10.jpg"}), listed());
  EXPECT_EQ(1, app.folder.folderIndex);
}

TEST(NameAt, OutsideTheListIsEmpty) {
  resetAppState();
  EXPECT_EQ(L"", nameAt(0));
  EXPECT_EQ(L"", nameAt(-1));
  app.folder.names = {L"a.jpg"};
  app.folder.nameCount = 1;
  EXPECT_EQ(L"a.jpg", nameAt(0));
  EXPECT_EQ(L"", nameAt(1));
}

}  // namespace
