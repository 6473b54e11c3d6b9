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

using namespace qbtest;

namespace {

std::string appDataFolder() {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
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
  EXPECT_EQ(1, makeAppDataFolder("tempf"));
  EXPECT_TRUE(folderExists(base + "\\tempf"));
  EXPECT_EQ(base + "\\tempf", std::string(app.workFolder));
}

TEST_F(WorkFolderTest, LaterStartFindsThemAndCreatesNothing) {
  ASSERT_EQ(1, makeAppDataFolder("tempf"));
  resetAppState();
  EXPECT_EQ(1, makeAppDataFolder("tempf"));
  EXPECT_EQ(base + "\\tempf", std::string(app.workFolder));
}

TEST_F(WorkFolderTest, BaseFolderThatIsAFileFailsAndLeavesTheFolderEmpty) {
  HANDLE file = CreateFileA(base.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  EXPECT_EQ(0, makeAppDataFolder("tempf"));
  EXPECT_STREQ("", app.workFolder);
}

TEST_F(WorkFolderTest, SubfolderThatIsAFileInAnExistingBaseGivesMinusTwo) {
  ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
  HANDLE file = CreateFileA((base + "\\tempf").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  EXPECT_EQ(-2, makeAppDataFolder("tempf"));
  EXPECT_STREQ("", app.workFolder);
}

TEST_F(WorkFolderTest, ClearingDeletesFilesAndKeepsSubfolders) {
  ASSERT_EQ(1, makeAppDataFolder("tempf"));
  std::string work = app.workFolder;
  for (const char* name : {"temp.bmp", "temp0.gif", "temp1.gif"}) {
    HANDLE file = CreateFileA((work + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
  }
  ASSERT_TRUE(CreateDirectoryA((work + "\\keep").c_str(), nullptr));
  HANDLE inner = CreateFileA((work + "\\keep\\inner.gif").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
  CloseHandle(inner);
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
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
  bool visible = fileExists("\\sentinel.gif");
  app.workFolder[0] = '\0';
  int result = clearWorkFolder();
  SetCurrentDirectoryA(previous);
  ASSERT_TRUE(visible);  // the sentinel really lies in the current drive's root
  EXPECT_EQ(-1, result);
  EXPECT_TRUE(fileExists(root + "sentinel.gif"));
}

TEST_F(WorkFolderTest, MissingFolderCannotBeListed) {
  lstrcpyA(app.workFolder, (base + "\\nowhere").c_str());
  EXPECT_EQ(-1, clearWorkFolder());
}

TEST(UseProgramFolder, IsTempfBesideTheProgram) {
  resetAppState();
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string expected = module;
  expected = expected.substr(0, expected.rfind('\\') + 1) + "tempf";
  EXPECT_EQ(1, useProgramFolder("tempf"));
  EXPECT_EQ(expected, std::string(app.workFolder));
}

}  // namespace
