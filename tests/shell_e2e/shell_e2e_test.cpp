// The shell end to end: opening through the dialog, stepping through a
// folder with the keys and the menu, the wrap-around questions, the about
// box and help, on the real program under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quobixlens_version.h"
#include "resources/resource.h"
#include "tests/e2e/driver.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"

using qbtest::ScratchFolder;
using qbtest::waitUntil;

namespace {

// Five pictures whose natural order differs from their byte order and case.
void fillFolder(ScratchFolder& folder) {
  folder.copy("pictures/painting_tiny_21x32.png", "Pic1.png");
  folder.copy("pictures/photo_progressive_100x75.jpg", "pic2.JPG");
  folder.copy("pictures/gif87a_4x4_no_extensions.gif", "pic9.gif");
  folder.copy("pictures/bmpsuite_24bit_127x64.bmp", "PIC10.bmp");
  folder.copy("pictures/painting_tiny_21x32.png", "pic20.png");
}

// Answers the wrap-around question, checking its text.
void answerQuestion(App& app, const std::string& text, int answer) {
  HWND box = waitDialog(app);
  ASSERT_NE(nullptr, box) << app.error;
  EXPECT_EQ("Caution!", windowText(box));
  EXPECT_EQ(text, messageBoxText(box));
  ASSERT_TRUE(pressDialogButton(app, box, answer)) << app.error;
}

const char lastQuestion[] = "フォルダ内の最後の画像です。\n最初の画像に戻りますか";
const char firstQuestion[] = "フォルダ内の最初の画像です。\n最後の画像に戻りますか";

TEST(Stepping, SpaceAndBackSpaceFollowTheNaturalOrderAndAskAtTheEnds) {
  ScratchFolder folder;
  fillFolder(folder);
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, folder.file("pic2.JPG"))) << app.error;
  EXPECT_EQ("pic2.JPG", windowTitle(app));
  const char* const order[] = {"pic9.gif", "PIC10.bmp", "pic20.png"};
  for (const char* name : order) {
    ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
    EXPECT_EQ(name, windowTitle(app));
  }
  ASSERT_TRUE(PostMessageA(app.window, WM_KEYDOWN, VK_SPACE, 0x00390001));
  answerQuestion(app, lastQuestion, IDNO);
  EXPECT_EQ("pic20.png", windowTitle(app));
  ASSERT_TRUE(PostMessageA(app.window, WM_KEYDOWN, VK_SPACE, 0x00390001));
  answerQuestion(app, lastQuestion, IDYES);
  EXPECT_EQ("Pic1.png", windowTitle(app));
  // The window follows the picture shown (a window cannot be narrower than
  // its caption, so only the height is the picture's here).
  RECT client;
  ASSERT_TRUE(clientRect(app, &client)) << app.error;
  EXPECT_EQ(32, client.bottom - client.top);
  ScrollReading vertical;
  ASSERT_TRUE(readScroll(app, SB_VERT, &vertical)) << app.error;
  EXPECT_FALSE(vertical.shown);
  ASSERT_TRUE(PostMessageA(app.window, WM_KEYDOWN, VK_BACK, 0x000E0001));
  answerQuestion(app, firstQuestion, IDYES);
  EXPECT_EQ("pic20.png", windowTitle(app));
  ASSERT_TRUE(postKey(app, VK_BACK)) << app.error;
  EXPECT_EQ("PIC10.bmp", windowTitle(app));
}

// Names with characters outside code page 932 (and an emoji, outside the
// basic plane), numbered so that natural order differs from their order as
// text; height is the picture's, 0 where the window's minimum decides.
struct NamedPicture {
  const char* name;
  const char* data;
  int height;
};
const NamedPicture unicodeNamed[] = {
    {"1 한국어.bmp", "pictures/bmpsuite_24bit_127x64.bmp", 64},
    {"2 café.png", "pictures/painting_tiny_21x32.png", 32},
    {"10 Ελλάδα.jpg", "pictures/photo_progressive_100x75.jpg", 75},
    {"20 ✓ check.gif", "pictures/gif87a_4x4_no_extensions.gif", 0},
    {"100 😀.png", "pictures/painting_tiny_21x32.png", 32},
};

TEST(Stepping, NamesOutsideTheCodePageOpenFromTheCommandLineAndStepInNaturalOrder) {
  ScratchFolder folder;
  for (const NamedPicture& picture : unicodeNamed) folder.copy(picture.data, picture.name);
  for (const NamedPicture& picture : unicodeNamed) {
    App app;
    AppGuard guard(app);
    ASSERT_TRUE(launchViewer(app, folder.file(picture.name))) << app.error << " " << picture.name;
    EXPECT_EQ(picture.name, windowTitle(app));
    RECT client;
    ASSERT_TRUE(clientRect(app, &client)) << app.error;
    if (picture.height) EXPECT_EQ(picture.height, client.bottom - client.top) << picture.name;
  }
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, folder.file(unicodeNamed[0].name))) << app.error;
  for (size_t i = 1; i < sizeof unicodeNamed / sizeof unicodeNamed[0]; ++i) {
    ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
    EXPECT_EQ(unicodeNamed[i].name, windowTitle(app));
  }
}

TEST(Stepping, MenuItemsActAsTheKeys) {
  ScratchFolder folder;
  fillFolder(folder);
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, folder.file("pic9.gif"))) << app.error;
  UINT state = 0;
  ASSERT_TRUE(readMenuState(app, IDM_NEXT_PICTURE, &state)) << app.error;
  EXPECT_EQ(0u, state & MF_GRAYED);
  ASSERT_TRUE(postCommand(app, IDM_NEXT_PICTURE)) << app.error;
  EXPECT_EQ("PIC10.bmp", windowTitle(app));
  ASSERT_TRUE(postCommand(app, IDM_PREVIOUS_PICTURE)) << app.error;
  ASSERT_TRUE(postCommand(app, IDM_PREVIOUS_PICTURE)) << app.error;
  EXPECT_EQ("pic2.JPG", windowTitle(app));
  ASSERT_TRUE(postCommand(app, IDM_PREVIOUS_PICTURE)) << app.error;
  ASSERT_TRUE(PostMessageA(app.window, WM_COMMAND, IDM_PREVIOUS_PICTURE, 0));
  answerQuestion(app, firstQuestion, IDNO);
  EXPECT_EQ("Pic1.png", windowTitle(app));
}

TEST(Stepping, OnePictureLeavesSteppingOffAndTheItemsGrayed) {
  ScratchFolder folder;
  folder.copy("pictures/painting_tiny_21x32.png", "alone.png");
  folder.write("notes.txt", "not a picture");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, folder.file("alone.png"))) << app.error;
  ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
  ASSERT_TRUE(postKey(app, VK_BACK)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));
  EXPECT_EQ("alone.png", windowTitle(app));
  for (int command : {IDM_NEXT_PICTURE, IDM_PREVIOUS_PICTURE}) {
    UINT state = 0;
    ASSERT_TRUE(readMenuState(app, command, &state)) << app.error;
    EXPECT_NE(0u, state & MF_GRAYED) << command;
  }
}

TEST(Stepping, UndecodableFileSaysSoInAWindowNamedAfterItAndSteppingGoesOn) {
  ScratchFolder folder;
  folder.copy("pictures/painting_tiny_21x32.png", "a1.png");
  folder.write("a2.jpg", "no JPEG in here");
  folder.copy("pictures/photo_progressive_100x75.jpg", "a3.jpg");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, folder.file("a1.png"))) << app.error;
  ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
  EXPECT_EQ("a2.jpg", windowTitle(app));
  // No box stops the stepping: the window, sized for it, says why in white
  // on the gray, and the rotation command does nothing at all.
  RECT client;
  ASSERT_TRUE(clientRect(app, &client)) << app.error;
  EXPECT_EQ(360, client.right - client.left);
  EXPECT_EQ(120, client.bottom - client.top);
  Capture shot;
  ASSERT_TRUE(captureClient(app, &shot)) << app.error;
  int white = 0;
  for (int y = 40; y < 80; ++y)
    for (int x = 100; x < 260; ++x) white += shot.at(x, y) == rgb(255, 255, 255);
  EXPECT_GT(white, 50);
  EXPECT_EQ(rgb(128, 128, 128), shot.at(5, 5));
  ASSERT_TRUE(postCommand(app, IDM_ROTATE)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));
  ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
  EXPECT_EQ("a3.jpg", windowTitle(app));
  ASSERT_TRUE(clientRect(app, &client)) << app.error;
  EXPECT_EQ(75, client.bottom - client.top);
}

TEST(OpenDialog, ChosenFileIsShownAndNamedInTheTitle) {
  ScratchFolder folder;
  fillFolder(folder);
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, "")) << app.error;
  EXPECT_EQ("クオビクス・画像回転", windowTitle(app));
  ASSERT_TRUE(PostMessageA(app.window, WM_COMMAND, IDM_OPEN, 0));
  HWND dialog = waitDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  EXPECT_EQ("開けるファイルを指定", windowText(dialog));
  // The file name box of the dialog (a combo box on current systems, an
  // edit on older ones) takes the full path.
  HWND nameBox = GetDlgItem(dialog, 0x47C);
  int nameId = nameBox ? 0x47C : 0x480;
  ASSERT_TRUE(setDialogItemText(app, dialog, nameId, folder.file("PIC10.bmp"))) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  EXPECT_EQ("PIC10.bmp", windowTitle(app));
  RECT client;
  ASSERT_TRUE(clientRect(app, &client)) << app.error;
  EXPECT_EQ(127, client.right - client.left);
  EXPECT_EQ(64, client.bottom - client.top);
  // The folder was scanned: stepping goes on in it.
  ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
  EXPECT_EQ("pic20.png", windowTitle(app));
}

TEST(OpenDialog, CancelChangesNothing) {
  ScratchFolder folder;
  fillFolder(folder);
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, folder.file("pic2.JPG"))) << app.error;
  ASSERT_TRUE(PostMessageA(app.window, WM_COMMAND, IDM_OPEN, 0));
  HWND dialog = waitDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
  EXPECT_EQ("pic2.JPG", windowTitle(app));
  RECT client;
  ASSERT_TRUE(clientRect(app, &client)) << app.error;
  EXPECT_EQ(75, client.bottom - client.top);
}

TEST(AboutBox, ShowsTheTextAndClosesWithOkAndWithEscape) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, "")) << app.error;
  for (int way = 0; way < 2; ++way) {
    ASSERT_TRUE(PostMessageA(app.window, WM_COMMAND, IDM_ABOUT, 0));
    HWND about = waitDialog(app);
    ASSERT_NE(nullptr, about) << app.error;
    EXPECT_EQ("About this program", windowText(about));
    std::string text = dialogItemText(about, IDC_ABOUT_TEXT);
    EXPECT_EQ(0u, text.find("クオビクス Version1.51\r\n")) << text;
    // The second line names the build and its version, the one of the
    // files' version resources.
    EXPECT_NE(std::string::npos, text.find("\r\nBuild: quobixlens " QB_VERSION " (")) << text;
    if (way == 0) {
      ASSERT_TRUE(pressDialogButton(app, about, IDOK)) << app.error;
    } else {
      // Escape, as the dialog manager turns the key into Cancel.
      HWND ok = GetDlgItem(about, IDOK);
      PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      PostMessageA(ok, WM_KEYUP, VK_ESCAPE, 0xC0010001);
      EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }, 5000));
      ASSERT_TRUE(waitIdle(app)) << app.error;
    }
  }
  EXPECT_TRUE(isRunning(app));
}

// Top-level visible windows of the program other than its main window.
struct WindowSearch {
  DWORD processId;
  HWND main;
  std::vector<HWND> found;
};

BOOL CALLBACK collectOtherWindow(HWND window, LPARAM data) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && window != search->main && IsWindowVisible(window))
    search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> otherWindows(const App& app) {
  WindowSearch search = {app.processId, app.window, {}};
  EnumWindows(collectOtherWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(Help, ContentsCommandOpensAHelpWindow) {
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, "")) << app.error;
  EXPECT_TRUE(otherWindows(app).empty());  // opened and closed at once at start-up
  ASSERT_TRUE(postCommand(app, IDM_HELP_CONTENTS)) << app.error;
  ASSERT_TRUE(waitUntil([&] { return !otherWindows(app).empty(); }, 5000, 50));
  // The program still answers and closes normally with help open.
  ASSERT_TRUE(PostMessageA(app.window, WM_CLOSE, 0, 0));
  HWND box = waitDialog(app);
  ASSERT_NE(nullptr, box) << app.error;
  ASSERT_TRUE(pressDialogButton(app, box, IDYES)) << app.error;
  ASSERT_TRUE(waitExit(app)) << app.error;
  EXPECT_EQ(0, app.exitCode);
}

}  // namespace

namespace {

// Run by tests/shell/spare_drive_test.sh, which maps the spare drive letter
// named by QB_SPARE_DRIVE to a scratch folder with a sentinel in its root.
// The program starts with that drive current and its base folder made a
// file, so the working folder cannot be set up: it must say so and delete
// nothing in the drive's root.
TEST(WorkFolderStart, SpareDriveUnusableBaseFolderLeavesTheDriveRootAlone) {
  const char* drive = getenv("QB_SPARE_DRIVE");
  ASSERT_NE(nullptr, drive) << "run through spare_drive_test.sh";
  std::string root = std::string(drive) + "\\";
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((root + "sentinel.gif").c_str()));

  char appData[MAX_PATH] = "";
  ASSERT_TRUE(GetEnvironmentVariableA("APPDATA", appData, MAX_PATH) > 0);
  std::string base = std::string(appData) + "\\quobixpics";
  std::string saved = base + ".saved-by-test";
  bool hadBase = MoveFileA(base.c_str(), saved.c_str()) != 0;
  HANDLE blocker = CreateFileA(base.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, blocker);
  CloseHandle(blocker);

  // The message box comes during window creation, before the main window
  // exists, so the program is started here rather than by launchApp.
  std::string exe = binFolder() + "quobixlens.exe";
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  App app;
  HWND box = nullptr;
  if (CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                     root.c_str(), &startup, &process)) {
    CloseHandle(process.hThread);
    app.process = process.hProcess;
    app.processId = process.dwProcessId;
    box = waitDialog(app);
  }
  if (box) {
    EXPECT_EQ("Error1", windowText(box));
    EXPECT_EQ("記録ファイル保管場所作成に失敗", messageBoxText(box));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // The start goes on after the box: the working folder is cleared, then
    // the main window shows. Once it is idle, nothing more will be deleted.
    waitUntil([&] {
      HWND window = FindWindowA("quobixlens", nullptr);
      DWORD owner = 0;
      if (window) GetWindowThreadProcessId(window, &owner);
      if (owner == app.processId) app.window = window;
      return app.window != nullptr || !isRunning(app);
    }, kLaunchTimeoutMs);
    if (app.window) {
      EXPECT_TRUE(attachProbe(app) && waitIdle(app)) << app.error;
    }
  }
  releaseApp(app);
  DeleteFileA(base.c_str());
  if (hadBase) MoveFileA(saved.c_str(), base.c_str());
  EXPECT_NE(nullptr, box);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((root + "sentinel.gif").c_str()));
}

}  // namespace
