// The working folder under Wine: created on the first start, emptied at
// every start with its subfolders kept, and never anything but itself.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/appstate.h"
#include "shell/shell.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/text.h"

using namespace qbtest;

namespace {

std::string appDataFolder() {
  wchar_t path[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return utf8(path);
}


class WorkFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetAppState();
    base = appDataFolder() + "\\quobixpics";
    removeTree(base);
  }
  void TearDown() override { removeTree(base); }
  std::string base;
};

TEST_F(WorkFolderTest, FirstStartCreatesBothFolders) {
  ASSERT_FALSE(folderExists(base));
  EXPECT_EQ(1, makeAppDataFolder(L"tempf"));
  EXPECT_TRUE(folderExists(base + "\\tempf"));
  EXPECT_EQ(base + "\\tempf", utf8(app.workFolder));
}

TEST_F(WorkFolderTest, LaterStartFindsThemAndCreatesNothing) {
  ASSERT_EQ(1, makeAppDataFolder(L"tempf"));
  resetAppState();
  EXPECT_EQ(1, makeAppDataFolder(L"tempf"));
  EXPECT_EQ(base + "\\tempf", utf8(app.workFolder));
}

TEST_F(WorkFolderTest, BaseFolderThatIsAFileFailsAndLeavesTheFolderEmpty) {
  ASSERT_TRUE(writeFile(base, ""));
  EXPECT_EQ(0, makeAppDataFolder(L"tempf"));
  EXPECT_STREQ(L"", app.workFolder);
}

TEST_F(WorkFolderTest, SubfolderThatIsAFileInAnExistingBaseGivesMinusTwo) {
  ASSERT_TRUE(CreateDirectoryW(wide(base).c_str(), nullptr));
  ASSERT_TRUE(writeFile(base + "\\tempf", ""));
  EXPECT_EQ(-2, makeAppDataFolder(L"tempf"));
  EXPECT_STREQ(L"", app.workFolder);
}

TEST_F(WorkFolderTest, ClearingDeletesFilesAndKeepsSubfolders) {
  ASSERT_EQ(1, makeAppDataFolder(L"tempf"));
  std::string work = utf8(app.workFolder);
  for (const char* name : {"temp.bmp", "temp0.gif", "temp1.gif"}) ASSERT_TRUE(writeFile(work + "\\" + name, ""));
  ASSERT_TRUE(CreateDirectoryW(wide(work + "\\keep").c_str(), nullptr));
  ASSERT_TRUE(writeFile(work + "\\keep\\inner.gif", ""));
  EXPECT_EQ(3, clearWorkFolder());
  EXPECT_FALSE(fileExists(work + "\\temp.bmp"));
  EXPECT_FALSE(fileExists(work + "\\temp1.gif"));
  EXPECT_TRUE(folderExists(work + "\\keep"));
  EXPECT_TRUE(fileExists(work + "\\keep\\inner.gif"));
  EXPECT_EQ(0, clearWorkFolder());
}

// Run by tests/shell/spare_drive_test.sh, which maps the spare drive letter
// named by QB_SPARE_DRIVE to a scratch folder with a sentinel in its root.
TEST_F(WorkFolderTest, SpareDriveEmptyWorkFolderDeletesNothingInTheDriveRoot) {
  // With no working folder the pattern would be "\\*.*", the root of the
  // current drive: nothing may be listed or deleted there.
  const char* drive = getenv("QB_SPARE_DRIVE");
  ASSERT_NE(nullptr, drive) << "run through spare_drive_test.sh";
  std::string root = std::string(drive) + "\\";
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(wide(root).c_str()));
  bool visible = fileExists("\\sentinel.gif");
  app.workFolder[0] = L'\0';
  int result = clearWorkFolder();
  SetCurrentDirectoryW(previous);
  ASSERT_TRUE(visible);  // the sentinel really lies in the current drive's root
  EXPECT_EQ(-1, result);
  EXPECT_TRUE(fileExists(root + "sentinel.gif"));
}

TEST_F(WorkFolderTest, MissingFolderCannotBeListed) {
  lstrcpyW(app.workFolder, wide(base + "\\nowhere").c_str());
  EXPECT_EQ(-1, clearWorkFolder());
}

TEST(UseProgramFolder, IsTempfBesideTheProgram) {
  resetAppState();
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::string expected = utf8(module);
  expected = expected.substr(0, expected.rfind('\\') + 1) + "tempf";
  EXPECT_EQ(1, useProgramFolder(L"tempf"));
  EXPECT_EQ(expected, utf8(app.workFolder));
}

}  // namespace
