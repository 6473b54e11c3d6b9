// Rotation and saving end to end, on the real program under Wine: the
// rotation dialog and its three modes on a picture of four flat-coloured
// quadrants, the colour chooser, ending the rotation, zoom and scroll bars,
// and saving in every format, each saved file decoded by ImageMagick and
// compared with what the window shows.
//
// Wine's GDI+ resamples turned pictures bilinearly with its own edge
// shift, so turned pixels are compared a few pixels away from every edge,
// with a small tolerance; unturned pixels are compared exactly.
//
// With QB_ROTATION_SHOTS set to a folder, the captures of the turned views
// are also written there as BMP files, to be looked at.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "rotation/geometry.h"
#include "tests/e2e/driver.h"
#include "tests/rotation/checks.h"
#include "tests/support/bmp_file.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"
#include "tests/support/wait.h"

using namespace qbtest;

namespace {

const int fileNameCombo = 0x47C, fileNameEdit = 0x480, fileTypeCombo = 0x470;
const int colourRed = 706, colourGreen = 707, colourBlue = 708;
const uint32_t white = 0xffffff;

// The files in the program's working folder, as it sets it up for this
// user; a folder that is not there fails the test (an empty listing of no
// folder would prove nothing).
std::set<std::string> workFolderFiles() {
  std::string folder = programWorkFolder();
  DWORD attributes = GetFileAttributesA(folder.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      << folder;
  return filesIn(folder);
}

void click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

bool isChecked(HWND dialog, int id) {
  return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Waits for an enabled dialog other than `other` (a box over a dialog).
HWND waitOtherDialog(App& app, HWND other) {
  HWND dialog = nullptr;
  waitUntil([&] {
    dialog = findDialog(app);
    return dialog && dialog != other && IsWindowEnabled(dialog);
  }, kDialogTimeoutMs, 20);
  return dialog && dialog != other && IsWindowEnabled(dialog) ? dialog : nullptr;
}

HWND openRotationDialog(App& app) {
  PostMessageA(app.window, WM_COMMAND, IDM_ROTATE, 0);
  HWND dialog = waitDialog(app);
  if (dialog && windowText(dialog) != "回転角度を入力") return nullptr;
  return dialog;
}

// Chooses a mode radio the way a click does (the auto radio unchecks the
// others of its group).
void chooseMode(HWND dialog, int radio) {
  SendMessageA(GetDlgItem(dialog, radio), BM_CLICK, 0, 0);
}

// The whole rotation command: angle text, mode radio, OK.
void rotate(App& app, const std::string& angle, int radio) {
  HWND dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_ANGLE_EDIT, angle)) << app.error;
  chooseMode(dialog, radio);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
}

// Reads and closes the message box that is shown now, or that follows the
// closing dialog `after`.
void expectMessage(App& app, const std::string& text, const std::string& caption,
                   HWND after = nullptr) {
  HWND box = after ? waitOtherDialog(app, after) : waitDialog(app);
  ASSERT_NE(nullptr, box) << app.error;
  EXPECT_EQ(caption, windowText(box));
  EXPECT_EQ(text, messageBoxText(box));
  ASSERT_TRUE(pressDialogButton(app, box, IDOK)) << app.error;
}

// The save command up to the press of Save: the file name typed, and the
// file type filter (1 to 4) chosen when filter is not 0. The caller
// answers what follows (an overwrite question or a message).
HWND startSave(App& app, const std::string& name, int filter = 0) {
  PostMessageA(app.window, WM_COMMAND, IDM_SAVE, 0);
  HWND dialog = waitDialog(app);
  if (!dialog) return nullptr;
  EXPECT_EQ("保存ファイルを指定", windowText(dialog));
  if (filter) {
    HWND types = GetDlgItem(dialog, fileTypeCombo);
    SendMessageA(types, CB_SETCURSEL, filter - 1, 0);
    // A user's choice ends with CBN_SELENDOK, which the dialog acts on.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(fileTypeCombo, CBN_SELCHANGE), (LPARAM)types);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(fileTypeCombo, CBN_SELENDOK), (LPARAM)types);
  }
  int nameId = GetDlgItem(dialog, fileNameCombo) ? fileNameCombo : fileNameEdit;
  if (!setDialogItemText(app, dialog, nameId, name)) return nullptr;
  return dialog;
}

// A save that asks nothing and shows no message afterwards.
void saveAs(App& app, const std::string& name, int filter = 0) {
  HWND dialog = startSave(app, name, filter);
  ASSERT_NE(nullptr, dialog) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app)) << windowText(findDialog(app)) << ": "
                                      << messageBoxText(findDialog(app));
}

void writeShot(const Capture& capture, const char* name) {
  keepScreenshot("QB_ROTATION_SHOTS", name, capture.width, capture.height, capture.pixels);
}

// Compares every 4th pixel whose colour is certain under the geometry with
// the quadrants model; scale maps a shown pixel back to the surface.
template <typename Picture>
void expectQuadrants(const Picture& shown, const RotationGeometry& g, uint32_t fill, int margin,
                     int tolerance, int scale = 1) {
  int compared = 0, wrong = 0;
  for (int y = 0; y < shown.height; y += 4) {
    for (int x = 0; x < shown.width; x += 4) {
      int64_t want = expectedQuadrantColour(g, 300, 400, x * scale, y * scale, margin, fill);
      if (want < 0) continue;
      ++compared;
      if (!closeColour(shown.at(x, y), uint32_t(want), tolerance) && ++wrong <= 5)
        ADD_FAILURE() << "at " << x << "," << y << " shown " << colourText(shown.at(x, y))
                      << " want " << colourText(uint32_t(want));
    }
  }
  EXPECT_EQ(0, wrong);
  EXPECT_GT(compared, shown.width * shown.height / 16 / 2);
}

// A saved file against the window, at every 3rd pixel certain in the model.
void expectSavedAsShown(const RawPicture& saved, const Capture& shown, const RotationGeometry& g,
                        uint32_t fill, int margin, int tolerance) {
  ASSERT_EQ(shown.width, saved.width);
  ASSERT_EQ(shown.height, saved.height);
  int compared = 0, wrong = 0;
  for (int y = 0; y < saved.height; y += 3) {
    for (int x = 0; x < saved.width; x += 3) {
      if (expectedQuadrantColour(g, 300, 400, x, y, margin, fill) < 0) continue;
      ++compared;
      if (!closeColour(saved.at(x, y), shown.at(x, y), tolerance) && ++wrong <= 5)
        ADD_FAILURE() << "at " << x << "," << y << " saved " << colourText(saved.at(x, y))
                      << " shown " << colourText(shown.at(x, y));
    }
  }
  EXPECT_EQ(0, wrong);
  EXPECT_GT(compared, saved.width * saved.height / 9 / 2);
}

class RotationE2e : public ::testing::Test {
 protected:
  void SetUp() override { picturePath = folder.copy("rotation/quadrants_300x400.png", "quad.png"); }

  void launch() { ASSERT_TRUE(launchViewer(app, picturePath)) << app.error; }

  void expectClient(int width, int height) {
    RECT window, client;
    ASSERT_TRUE(windowRect(app, &window)) << app.error;
    ASSERT_TRUE(clientRect(app, &client)) << app.error;
    EXPECT_EQ(10, window.left);
    EXPECT_EQ(10, window.top);
    EXPECT_EQ(width, client.right - client.left);
    EXPECT_EQ(height, client.bottom - client.top);
  }

  void expectNoScrollBars() {
    ScrollReading bar;
    ASSERT_TRUE(readScroll(app, SB_VERT, &bar)) << app.error;
    EXPECT_FALSE(bar.shown);
    ASSERT_TRUE(readScroll(app, SB_HORZ, &bar)) << app.error;
    EXPECT_FALSE(bar.shown);
  }

  Capture capture() {
    Capture shot;
    EXPECT_TRUE(captureClient(app, &shot)) << app.error;
    return shot;
  }

  ScratchFolder folder;
  std::string picturePath;
  App app;
  AppGuard guard{app};
};

// --- the rotated view --------------------------------------------------------

TEST_F(RotationE2e, InPlaneThirtyShowsTheTurnedPictureOnItsDiagonalSquare) {
  launch();
  HWND dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  EXPECT_EQ("0", dialogItemText(dialog, IDC_ANGLE_EDIT));
  EXPECT_TRUE(isChecked(dialog, IDC_MODE_IN_PLANE));
  EXPECT_FALSE(isChecked(dialog, IDC_MAKE_ANIMATION));
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_ANGLE_EDIT, "30")) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  expectClient(500, 500);
  expectNoScrollBars();
  Capture shot = capture();
  writeShot(shot, "inplane30");
  expectQuadrants(shot, rotationGeometry(InPlane, angleRadians(30), 300, 400), white, 3, 12);
  // The corners are fill colour, not the gray of a fresh surface.
  EXPECT_EQ(white, shot.at(0, 0));
  EXPECT_EQ(white, shot.at(499, 0));
  EXPECT_EQ(white, shot.at(0, 499));
  EXPECT_EQ(white, shot.at(499, 499));
}

TEST_F(RotationE2e, AxisModesMirrorAtOneEightyAndSqueezeAtFortyFive) {
  launch();
  const struct {
    int radio;
    int mode;
    int degrees;
    const char* shot;
  } cases[] = {{IDC_MODE_HORIZONTAL_AXIS, AboutHorizontalAxis, 180, "horizontal180"},
               {IDC_MODE_VERTICAL_AXIS, AboutVerticalAxis, 180, "vertical180"},
               {IDC_MODE_HORIZONTAL_AXIS, AboutHorizontalAxis, 45, "horizontal45"},
               {IDC_MODE_VERTICAL_AXIS, AboutVerticalAxis, 45, "vertical45"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shot);
    rotate(app, std::to_string(c.degrees), c.radio);
    expectClient(300, 400);
    expectNoScrollBars();
    Capture shot = capture();
    writeShot(shot, c.shot);
    RotationGeometry g = rotationGeometry(c.mode, angleRadians(c.degrees), 300, 400);
    expectQuadrants(shot, g, white, 3, 12);
    if (c.degrees == 180) {
      // A mirror is no resampling: the far corner's quadrant, pixel exact.
      int mirrored = c.mode == AboutHorizontalAxis ? 2 : 1;
      EXPECT_EQ(quadrantColours[mirrored], shot.at(20, 20));
    } else if (c.mode == AboutHorizontalAxis) {
      // Rows outside the squeezed band (58 to 341) are fill only.
      for (int y : {0, 40, 56, 343, 380, 399})
        for (int x = 0; x < 300; x += 2) ASSERT_EQ(white, shot.at(x, y)) << x << "," << y;
    } else {
      for (int x : {0, 30, 41, 258, 280, 299})
        for (int y = 0; y < 400; y += 2) ASSERT_EQ(white, shot.at(x, y)) << x << "," << y;
    }
  }
}

TEST_F(RotationE2e, RedFillFromTheColourChooserShowsRedAndSavesRed) {
  launch();
  HWND dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  click(dialog, IDC_FILL_COLOUR);
  HWND chooser = waitOtherDialog(app, dialog);
  ASSERT_NE(nullptr, chooser);
  ASSERT_NE(nullptr, GetDlgItem(chooser, colourRed));
  ASSERT_TRUE(setDialogItemText(app, chooser, colourRed, "255")) << app.error;
  ASSERT_TRUE(setDialogItemText(app, chooser, colourGreen, "0")) << app.error;
  ASSERT_TRUE(setDialogItemText(app, chooser, colourBlue, "0")) << app.error;
  click(chooser, IDOK);
  ASSERT_EQ(dialog, waitOtherDialog(app, chooser));  // back in the rotation dialog
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_ANGLE_EDIT, "30")) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  Capture shot = capture();
  const uint32_t red = 0xff0000;
  EXPECT_EQ(red, shot.at(0, 0));  // a swapped channel order shows blue here
  EXPECT_EQ(red, shot.at(499, 499));
  RotationGeometry g = rotationGeometry(InPlane, angleRadians(30), 300, 400);
  expectQuadrants(shot, g, red, 3, 12);

  saveAs(app, folder.file("red.png"));
  RawPicture saved;
  std::string error;
  ASSERT_TRUE(decodeWithImageMagick(folder.file("red.png"), &saved, &error)) << error;
  EXPECT_EQ(red, saved.at(0, 0));
  EXPECT_EQ(red, saved.at(499, 0));
  expectSavedAsShown(saved, shot, g, red, 3, 12);
  // The saved file is the shown one now.
  EXPECT_EQ("red.png", windowTitle(app));
}

TEST_F(RotationE2e, DialogEntriesAndTheModeAfterCancel) {
  launch();
  Capture unrotated = capture();
  // An empty angle closes like Cancel, but the mode chosen takes effect.
  HWND dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_ANGLE_EDIT, "")) << app.error;
  chooseMode(dialog, IDC_MODE_HORIZONTAL_AXIS);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));
  expectClient(300, 400);
  EXPECT_EQ(unrotated.pixels, capture().pixels);
  dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  EXPECT_EQ("0", dialogItemText(dialog, IDC_ANGLE_EDIT));
  EXPECT_TRUE(isChecked(dialog, IDC_MODE_HORIZONTAL_AXIS));
  EXPECT_FALSE(isChecked(dialog, IDC_MODE_IN_PLANE));

  // Letters only read as 0: InPlane at 0 centres the picture on its square.
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_ANGLE_EDIT, "abc")) << app.error;
  chooseMode(dialog, IDC_MODE_IN_PLANE);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  expectClient(500, 500);
  Capture centred = capture();
  EXPECT_EQ(white, centred.at(99, 200));
  EXPECT_EQ(quadrantColours[0], centred.at(100, 50));
  EXPECT_EQ(quadrantColours[3], centred.at(399, 449));
  EXPECT_EQ(white, centred.at(400, 200));

  // A sign, digits, then letters: the leading number. With the box ticked
  // the view is not turned: the animated GIF's parameter dialog opens
  // instead (cancelled here, which shows nothing), and the angle is kept.
  // The box never starts ticked, even after it was ticked.
  dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  EXPECT_EQ("0", dialogItemText(dialog, IDC_ANGLE_EDIT));
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_ANGLE_EDIT, "-30xyz")) << app.error;
  SendMessageA(GetDlgItem(dialog, IDC_MAKE_ANIMATION), BM_CLICK, 0, 0);
  EXPECT_TRUE(isChecked(dialog, IDC_MAKE_ANIMATION));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  HWND params = waitDialog(app);
  ASSERT_NE(nullptr, params) << app.error;
  EXPECT_EQ("アニメGIFパラメータ指定", windowText(params));
  ASSERT_TRUE(pressDialogButton(app, params, IDCANCEL)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));
  Capture unturned = capture();
  EXPECT_EQ(white, unturned.at(99, 200));
  EXPECT_EQ(quadrantColours[0], unturned.at(100, 50));
  EXPECT_EQ(quadrantColours[3], unturned.at(399, 449));
  dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  EXPECT_EQ("-30", dialogItemText(dialog, IDC_ANGLE_EDIT));
  EXPECT_FALSE(isChecked(dialog, IDC_MAKE_ANIMATION));

  // Cancel after a new radio keeps the angle but takes the mode, which the
  // next save applies: a vertical-axis save at -30 keeps 300 x 400.
  ASSERT_TRUE(setDialogItemText(app, dialog, IDC_ANGLE_EDIT, "77")) << app.error;
  chooseMode(dialog, IDC_MODE_VERTICAL_AXIS);
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
  expectClient(500, 500);  // the view stays as it was
  saveAs(app, folder.file("cancelled.bmp"));
  RawPicture saved;
  std::string error;
  ASSERT_TRUE(decodeWithImageMagick(folder.file("cancelled.bmp"), &saved, &error)) << error;
  ASSERT_EQ(300, saved.width);
  ASSERT_EQ(400, saved.height);
  expectQuadrants(saved, rotationGeometry(AboutVerticalAxis, angleRadians(-30), 300, 400), white,
                  3, 12);
  dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  EXPECT_EQ("-30", dialogItemText(dialog, IDC_ANGLE_EDIT));
  EXPECT_TRUE(isChecked(dialog, IDC_MODE_VERTICAL_AXIS));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
}

TEST_F(RotationE2e, EndRotationRestoresThePicturePixelForPixel) {
  launch();
  Capture before = capture();
  rotate(app, "30", IDC_MODE_IN_PLANE);
  expectClient(500, 500);
  ASSERT_TRUE(postCommand(app, IDM_END_ROTATION)) << app.error;
  expectClient(300, 400);
  expectNoScrollBars();
  Capture after = capture();
  ASSERT_EQ(before.width, after.width);
  EXPECT_TRUE(before.pixels == after.pixels);
  // The angle is back to 0 for the next opening; the mode stays.
  rotate(app, "45", IDC_MODE_VERTICAL_AXIS);
  ASSERT_TRUE(postCommand(app, IDM_END_ROTATION)) << app.error;
  EXPECT_TRUE(before.pixels == capture().pixels);
  HWND dialog = openRotationDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  EXPECT_EQ("0", dialogItemText(dialog, IDC_ANGLE_EDIT));
  EXPECT_TRUE(isChecked(dialog, IDC_MODE_VERTICAL_AXIS));
  ASSERT_TRUE(pressDialogButton(app, dialog, IDCANCEL)) << app.error;
}

TEST_F(RotationE2e, ZoomFiftyThenRotateShowsTheTurnedSurfaceAtHalfSize) {
  launch();
  PostMessageA(app.window, WM_COMMAND, IDM_ZOOM, 0);
  HWND zoom = waitDialog(app);
  ASSERT_NE(nullptr, zoom) << app.error;
  ASSERT_TRUE(setDialogItemText(app, zoom, IDC_ZOOM_EDIT, "50")) << app.error;
  ASSERT_TRUE(pressDialogButton(app, zoom, IDOK)) << app.error;
  expectClient(150, 200);
  rotate(app, "30", IDC_MODE_IN_PLANE);
  expectClient(250, 250);
  expectNoScrollBars();
  // Every other row and column of the 500 x 500 surface.
  expectQuadrants(capture(), rotationGeometry(InPlane, angleRadians(30), 300, 400), white, 4, 12,
                  2);
}

TEST_F(RotationE2e, PictureLargerThanTheScreenOnceTurnedGetsScrollBars) {
  picturePath = folder.copy("rotation/quadrants_800x700.png", "large.png");
  launch();
  expectNoScrollBars();
  rotate(app, "30", IDC_MODE_IN_PLANE);  // diagonal 1063, the client at most 972 high
  RECT client;
  ASSERT_TRUE(clientRect(app, &client)) << app.error;
  ScrollReading vertical, horizontal;
  ASSERT_TRUE(readScroll(app, SB_VERT, &vertical)) << app.error;
  ASSERT_TRUE(readScroll(app, SB_HORZ, &horizontal)) << app.error;
  // The vertical bar narrows the client below the square's width, so the
  // horizontal bar follows.
  EXPECT_TRUE(vertical.shown);
  EXPECT_EQ(1063 - (client.bottom - client.top), vertical.maximum);
  EXPECT_TRUE(horizontal.shown);
  EXPECT_EQ(1063 - (client.right - client.left), horizontal.maximum);
  // Scrolling reaches the bottom of the square.
  ASSERT_TRUE(postKey(app, VK_NEXT)) << app.error;
  ASSERT_TRUE(readScroll(app, SB_VERT, &vertical)) << app.error;
  EXPECT_GT(vertical.position, 0);
}

TEST_F(RotationE2e, WithoutAPictureRotationIsRefusedAndSaveDoesNothing) {
  ASSERT_TRUE(launchViewer(app, "")) << app.error;
  PostMessageA(app.window, WM_COMMAND, IDM_ROTATE, 0);
  expectMessage(app, "回転させる画像がありません", "No Picture");
  ASSERT_TRUE(postCommand(app, IDM_END_ROTATION)) << app.error;
  ASSERT_TRUE(postCommand(app, IDM_SAVE)) << app.error;  // nothing to save: no dialog
  EXPECT_EQ(nullptr, findDialog(app));
}

TEST_F(RotationE2e, AnimatedPicturesAreRefusedBeforeAnythingIsWritten) {
  std::string animation = folder.copy("rotation/anim_15_frames_30x20.gif", "anim.gif");
  ASSERT_TRUE(launchViewer(app, animation)) << app.error;
  PostMessageA(app.window, WM_COMMAND, IDM_ROTATE, 0);
  expectMessage(app, "回転操作は出来ません", "Operation Forbidden");
  ASSERT_TRUE(postCommand(app, IDM_END_ROTATION)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));
  HWND dialog = startSave(app, folder.file("anim.jpg"));
  ASSERT_NE(nullptr, dialog) << app.error;
  click(dialog, IDOK);
  expectMessage(app, "保存に失敗しました", "Save failed", dialog);
  dialog = startSave(app, folder.file("anim2.gif"));
  ASSERT_NE(nullptr, dialog) << app.error;
  click(dialog, IDOK);
  expectMessage(app, "ビットマップへの画像出力に失敗", "Bitmapp failed", dialog);
  EXPECT_EQ(std::set<std::string>({"anim.gif", "quad.png"}), filesIn(folder.path()));
  // The animation still plays and the program still answers.
  EXPECT_EQ("anim.gif", windowTitle(app));
}

// --- saving ------------------------------------------------------------------

TEST_F(RotationE2e, EveryExtensionSavesItsFormatAsShown) {
  launch();
  rotate(app, "30", IDC_MODE_IN_PLANE);
  Capture shot = capture();
  RotationGeometry g = rotationGeometry(InPlane, angleRadians(30), 300, 400);
  const struct {
    const char* name;
    const char* format;
    int margin;
    int tolerance;
  } targets[] = {{"a.jpg", "JPEG", 8, 40},  {"b.JPG", "JPEG", 8, 40},  {"c.jpeg", "JPEG", 8, 40},
                 {"d.jfif", "JPEG", 8, 40}, {"e.png", "PNG", 3, 12},   {"f.bmp", "BMP3", 3, 12},
                 {"g.tif", "TIFF", 3, 12},  {"h.tiff", "TIFF", 3, 12}, {"i.gif", "GIF", 3, 12},
                 {"j.GIF", "GIF", 3, 12},
                 // Names no ANSI code page of a Japanese Windows holds.
                 {"café ✓ 한국어.png", "PNG", 3, 12}, {"Ελλάδα 😀.gif", "GIF", 3, 12}};
  for (const auto& t : targets) {
    SCOPED_TRACE(t.name);
    saveAs(app, folder.file(t.name));
    RawPicture saved;
    std::string error;
    ASSERT_TRUE(decodeWithImageMagick(folder.file(t.name), &saved, &error)) << error;
    EXPECT_EQ(t.format, saved.format.substr(0, std::string(t.format).size()));
    expectSavedAsShown(saved, shot, g, white, t.margin, t.tolerance);
    EXPECT_EQ(t.name, windowTitle(app));
  }
  // Each save replaced the shown name; the view itself stays rotated.
  expectClient(500, 500);

  // Not a picture type: refused, nothing written.
  HWND dialog = startSave(app, folder.file("k.xyz"));
  ASSERT_NE(nullptr, dialog) << app.error;
  click(dialog, IDOK);
  expectMessage(app, "無効なファイルタイプです", "Invalid file type", dialog);
  EXPECT_EQ(0u, filesIn(folder.path()).count("k.xyz"));
  // No temporary file is left anywhere.
  EXPECT_EQ(13u, filesIn(folder.path()).size());
  EXPECT_TRUE(workFolderFiles().empty());
}

TEST_F(RotationE2e, BareNameTakesTheChosenFiltersExtension) {
  launch();
  const struct {
    int filter;
    const char* file;
    const char* format;
  } cases[] = {{1, "bare1.jpg", "JPEG"}, {2, "bare2.gif", "GIF"}, {3, "bare3.png", "PNG"},
               {4, "bare4.bmp", "BMP"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::string bare = folder.file(std::string(c.file).substr(0, 5));
    saveAs(app, bare, c.filter);
    RawPicture saved;
    std::string error;
    ASSERT_TRUE(decodeWithImageMagick(folder.file(c.file), &saved, &error)) << error;
    EXPECT_EQ(c.format, saved.format.substr(0, std::string(c.format).size()));
  }
}

TEST_F(RotationE2e, NeverRotatedSaveIsThePictureCentredOnItsWhiteSquare) {
  launch();
  saveAs(app, folder.file("plain.png"));
  saveAs(app, folder.file("plain.gif"));
  for (const char* name : {"plain.png", "plain.gif"}) {
    SCOPED_TRACE(name);
    RawPicture saved;
    std::string error;
    ASSERT_TRUE(decodeWithImageMagick(folder.file(name), &saved, &error)) << error;
    ASSERT_EQ(500, saved.width);
    ASSERT_EQ(500, saved.height);
    // Unturned: exact at every pixel, edges included.
    int wrong = 0;
    for (int y = 0; y < 500; ++y) {
      for (int x = 0; x < 500; ++x) {
        uint32_t want = white;
        if (x >= 100 && x < 400 && y >= 50 && y < 450)
          want = quadrantColours[(x < 250 ? 0 : 1) + (y < 250 ? 0 : 2)];
        if (saved.at(x, y) != want && ++wrong <= 3)
          ADD_FAILURE() << x << "," << y << " " << colourText(saved.at(x, y));
      }
    }
    EXPECT_EQ(0, wrong);
  }
  EXPECT_TRUE(workFolderFiles().empty());
}

// The most natural save: turn the picture, then save it under the name the
// dialog proposes, the shown file's own. Nothing holds that file open, so
// it is replaced; the view stays as it was until the file is opened again.
TEST_F(RotationE2e, SavingOntoTheShownFileReplacesItAndKeepsTheView) {
  launch();
  rotate(app, "30", IDC_MODE_IN_PLANE);
  Capture before;
  ASSERT_TRUE(captureClient(app, &before)) << app.error;
  // The dialog proposes the shown file; Save, then Yes to replacing it.
  PostMessageA(app.window, WM_COMMAND, IDM_SAVE, 0);
  HWND dialog = waitDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  click(dialog, IDOK);
  HWND question = waitOtherDialog(app, dialog);
  ASSERT_NE(nullptr, question);
  ASSERT_TRUE(pressDialogButton(app, question, IDYES)) << app.error;
  ASSERT_TRUE(waitUntil([&] { return findDialog(app) != dialog; }, kDialogTimeoutMs));
  ASSERT_TRUE(waitIdle(app)) << app.error;
  EXPECT_EQ(nullptr, findDialog(app));  // no failure box
  RawPicture saved;
  std::string error;
  ASSERT_TRUE(decodeWithImageMagick(picturePath, &saved, &error)) << error;
  EXPECT_EQ(500, saved.width);
  EXPECT_EQ(white, saved.at(2, 2));  // the turned picture on its square
  Capture after;
  ASSERT_TRUE(captureClient(app, &after)) << app.error;
  EXPECT_TRUE(before.pixels == after.pixels);
  EXPECT_EQ("quad.png", windowTitle(app));
  EXPECT_EQ(std::set<std::string>{"quad.png"}, filesIn(folder.path()));
  EXPECT_TRUE(workFolderFiles().empty());
}

TEST_F(RotationE2e, FailingSaveLeavesTheExistingTargetUntouched) {
  launch();
  rotate(app, "30", IDC_MODE_IN_PLANE);
  for (const char* name : {"held.png", "held.gif", "held.jpg"}) {
    SCOPED_TRACE(name);
    std::string target = folder.copy("rotation/bilevel_32x32_gct2_bg1.gif", name);
    std::string original = readFile(target);
    // Held open without delete sharing, as another program may hold it.
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    HWND dialog = startSave(app, target);
    ASSERT_NE(nullptr, dialog) << app.error;
    click(dialog, IDOK);
    HWND question = waitOtherDialog(app, dialog);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(pressDialogButton(app, question, IDYES)) << app.error;
    expectMessage(app, "保存に失敗しました", "Save failed");
    CloseHandle(held);
    EXPECT_TRUE(readFile(target) == original);
    EXPECT_EQ("quad.png", windowTitle(app));  // the shown name stays
  }
  // A read-only file is the user's protection: refused alike on Windows
  // and under Wine (whose move would replace it), through GDI+ and through
  // the conversion library.
  for (const char* name : {"locked.png", "locked.gif"}) {
    SCOPED_TRACE(name);
    std::string target = folder.copy("rotation/bilevel_32x32_gct2_bg1.gif", name);
    std::string original = readFile(target);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    HWND dialog = startSave(app, target);
    ASSERT_NE(nullptr, dialog) << app.error;
    click(dialog, IDOK);
    HWND question = waitOtherDialog(app, dialog);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(pressDialogButton(app, question, IDYES)) << app.error;
    expectMessage(app, "保存に失敗しました", "Save failed");
    EXPECT_TRUE(readFile(target) == original);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_EQ(std::set<std::string>({"held.gif", "held.jpg", "held.png", "locked.gif", "locked.png",
                                   "quad.png"}),
            filesIn(folder.path()));
  EXPECT_TRUE(workFolderFiles().empty());
}

}  // namespace
