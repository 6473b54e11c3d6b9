// The colour table dialogs end to end: the grid as the screen shows it for
// a 256-colour and a 4-colour palette, clicks and their texts, the marks,
// OK and Cancel, an index beyond the table, and the transparent colour
// picked from the fill colour making every frame's corners transparent.
// The palettes expected are read by the test itself from the first frame
// file while the parameter dialog shows it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/gifjob/jobdriver.h"

using namespace qbtest;

namespace {

const uint32_t white = 0xffffff, red = 0xff0000, blue = 0x0000ff;

struct Entry {
  int r, g, b;
  uint32_t rgb() const { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
};

std::vector<Entry> firstFramePalette() {
  std::vector<unsigned char> bytes = gifPalette(programWorkFolder() + "\\temp0.gif");
  std::vector<Entry> entries;
  for (size_t i = 0; i + 2 < bytes.size(); i += 3) entries.push_back({bytes[i], bytes[i + 1], bytes[i + 2]});
  return entries;
}

int indexOf(const std::vector<Entry>& palette, uint32_t rgb) {
  for (size_t i = 0; i < palette.size(); ++i)
    if (palette[i].rgb() == rgb) return int(i);
  return -1;
}

std::string indexLabel(int index) {
  char text[40];
  std::snprintf(text, sizeof text, "インデックス %3d", index);
  return text;
}

std::string rgbLabel(uint32_t rgb) {
  char text[40];
  std::snprintf(text, sizeof text, "RGB値 %06x", rgb);
  return text;
}

// Centre of the cell of entry k in a grid of `columns` columns.
POINT cellCentre(int k, int columns) {
  return POINT{5 + 17 * (k % columns) + 8, 5 + 17 * (k / columns) + 8};
}

void clickAt(App& app, HWND dialog, int x, int y) {
  PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  ASSERT_TRUE(waitIdle(app)) << app.error;
}

// The dialog as shown once its pending paint is done.
Capture shot(App& app, HWND dialog) {
  Capture capture;
  EXPECT_TRUE(captureDialog(app, dialog, &capture)) << app.error;
  return capture;
}

// A control's rectangle in the dialog's client coordinates.
RECT controlRect(HWND dialog, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The 1-pixel outline of a cell (its own rectangle) in one colour.
void expectCellOutline(const Capture& c, int k, int columns, uint32_t colour) {
  int left = 5 + 17 * (k % columns), top = 5 + 17 * (k / columns);
  SCOPED_TRACE("cell " + std::to_string(k));
  EXPECT_EQ(colour, c.at(left, top + 8));
  EXPECT_EQ(colour, c.at(left + 16, top + 8));
  EXPECT_EQ(colour, c.at(left + 8, top));
  EXPECT_EQ(colour, c.at(left + 8, top + 16));
}

// The frame 3 pixels around two text controls.
void expectTextFrame(const Capture& c, HWND dialog, int first, int second, uint32_t colour) {
  RECT a = controlRect(dialog, first), b = controlRect(dialog, second);
  EXPECT_EQ(colour, c.at(a.left - 3, (a.top + b.bottom) / 2));
  EXPECT_EQ(colour, c.at(b.right + 2, (a.top + b.bottom) / 2));
  EXPECT_EQ(colour, c.at((a.left + b.right) / 2, a.top - 3));
  EXPECT_EQ(colour, c.at((a.left + b.right) / 2, b.bottom + 2));
}

// Whether a rectangle of the client area meets a control or the frames
// around the texts: the template places the texts and buttons over the
// right part of a 16-column grid, so cells there are partly covered.
bool underControls(HWND dialog, int left, int top, int right, int bottom) {
  for (int id : {IDC_TABLE_START_INDEX, IDC_TABLE_START_RGB, IDC_TABLE_NEW_INDEX,
                 IDC_TABLE_NEW_RGB, IDOK, IDCANCEL}) {
    RECT r = controlRect(dialog, id);
    if (left < r.right + 4 && r.left - 4 < right && top < r.bottom + 4 && r.top - 4 < bottom)
      return true;
  }
  return false;
}

bool visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// The rotation command with the animated-GIF box and a mode radio, up to
// the parameter dialog.
HWND openParamsDialogInMode(App& app, int angle, int modeRadio) {
  PostMessageA(app.window, WM_COMMAND, IDM_ROTATE, 0);
  HWND rotation = waitDialogTitled(app, "回転角度を入力");
  if (!rotation) return nullptr;
  SendMessageA(GetDlgItem(rotation, modeRadio), BM_CLICK, 0, 0);
  if (!pressDialogButton(app, rotation, IDCANCEL)) return nullptr;  // Cancel keeps the mode
  return openParamsDialog(app, angle);
}

HWND openGrid(App& app, HWND params, int button, const char* title) {
  clickButton(params, button);
  return waitDialogTitled(app, title);
}

}  // namespace

TEST(ColourTable, GridOfA256ColourPaletteClicksAndMarks) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/photo_progressive_100x75.jpg", "peacock.jpg");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture)) << app.error;
  HWND params = openParamsDialog(app, 90);
  ASSERT_NE(nullptr, params) << app.error;
  std::vector<Entry> palette = firstFramePalette();
  ASSERT_EQ(256u, palette.size());

  HWND grid = openGrid(app, params, IDC_GIF_BACKGROUND_COLOUR, "背景色変更");
  ASSERT_NE(nullptr, grid) << app.error;
  EXPECT_FALSE(IsWindowEnabled(params));  // owned by the parameter dialog
  EXPECT_EQ(indexLabel(0), dialogItemText(grid, IDC_TABLE_START_INDEX));
  EXPECT_EQ(rgbLabel(palette[0].rgb()), dialogItemText(grid, IDC_TABLE_START_RGB));
  EXPECT_FALSE(visible(grid, IDC_TABLE_NEW_INDEX));
  EXPECT_FALSE(visible(grid, IDC_TABLE_NEW_RGB));

  Capture c = shot(app, grid);
  int checked = 0;
  for (int k = 0; k < 256; ++k) {
    POINT p = cellCentre(k, 16);
    if (underControls(grid, p.x - 8, p.y - 8, p.x + 9, p.y + 9)) continue;
    ASSERT_EQ(palette[k].rgb(), c.at(p.x, p.y)) << "cell " << k;
    ++checked;
  }
  EXPECT_GT(checked, 200);
  // White lines 3 pixels wide on every border, x and y = 5 + 17k, from 5
  // to 277 (the grid's far side), where no control covers them.
  int linesChecked = 0;
  for (int k = 0; k <= 16; ++k) {
    int line = 5 + 17 * k;
    for (int d = -1; d <= 1; ++d) {
      EXPECT_EQ(white, c.at(100, line + d)) << "horizontal line " << k;
      if (underControls(grid, line - 1, 46, line + 2, 48)) continue;
      EXPECT_EQ(white, c.at(line + d, 47)) << "vertical line " << k;  // in the third row
      ++linesChecked;
    }
  }
  EXPECT_GT(linesChecked, 30);
  expectCellOutline(c, 0, 16, red);              // the red choice over the blue start
  expectTextFrame(c, grid, IDC_TABLE_START_INDEX, IDC_TABLE_START_RGB, blue);

  // The entry at index 17 is the second cell of the second row.
  POINT p17 = cellCentre(17, 16);
  clickAt(app, grid, p17.x, p17.y);
  EXPECT_TRUE(visible(grid, IDC_TABLE_NEW_INDEX));
  EXPECT_TRUE(visible(grid, IDC_TABLE_NEW_RGB));
  EXPECT_EQ(indexLabel(17), dialogItemText(grid, IDC_TABLE_NEW_INDEX));
  EXPECT_EQ(rgbLabel(palette[17].rgb()), dialogItemText(grid, IDC_TABLE_NEW_RGB));
  c = shot(app, grid);
  keepShot(c, "grid256-after-click");
  expectCellOutline(c, 17, 16, red);
  expectCellOutline(c, 0, 16, blue);
  expectTextFrame(c, grid, IDC_TABLE_NEW_INDEX, IDC_TABLE_NEW_RGB, red);

  // Edges: x = 22 is the second column; 3 pixels left of the grid is the
  // first; a click beyond the grid changes nothing.
  clickAt(app, grid, 22, 10);
  EXPECT_EQ(indexLabel(1), dialogItemText(grid, IDC_TABLE_NEW_INDEX));
  clickAt(app, grid, 2, 2);
  EXPECT_EQ(indexLabel(0), dialogItemText(grid, IDC_TABLE_NEW_INDEX));
  clickAt(app, grid, 5 + 17 * 16, 40);
  EXPECT_EQ(indexLabel(0), dialogItemText(grid, IDC_TABLE_NEW_INDEX));

  // Cancel keeps the index; OK writes the choice.
  POINT p7 = cellCentre(7, 16);
  clickAt(app, grid, p7.x, p7.y);
  EXPECT_EQ(indexLabel(7), dialogItemText(grid, IDC_TABLE_NEW_INDEX));
  ASSERT_TRUE(pressDialogButton(app, grid, IDCANCEL)) << app.error;
  EXPECT_TRUE(IsWindowEnabled(params));
  grid = openGrid(app, params, IDC_GIF_BACKGROUND_COLOUR, "背景色変更");
  ASSERT_NE(nullptr, grid) << app.error;
  EXPECT_EQ(indexLabel(0), dialogItemText(grid, IDC_TABLE_START_INDEX));
  clickAt(app, grid, p7.x, p7.y);
  ASSERT_TRUE(pressDialogButton(app, grid, IDOK)) << app.error;
  grid = openGrid(app, params, IDC_GIF_BACKGROUND_COLOUR, "背景色変更");
  ASSERT_NE(nullptr, grid) << app.error;
  EXPECT_EQ(indexLabel(7), dialogItemText(grid, IDC_TABLE_START_INDEX));
  EXPECT_EQ(rgbLabel(palette[7].rgb()), dialogItemText(grid, IDC_TABLE_START_RGB));
  c = shot(app, grid);
  expectCellOutline(c, 7, 16, red);
  ASSERT_TRUE(pressDialogButton(app, grid, IDCANCEL)) << app.error;

  // Cancel on the parameter dialog undoes the picked index.
  ASSERT_TRUE(pressDialogButton(app, params, IDCANCEL)) << app.error;
  params = openParamsDialog(app, 90);
  ASSERT_NE(nullptr, params) << app.error;
  grid = openGrid(app, params, IDC_GIF_BACKGROUND_COLOUR, "背景色変更");
  ASSERT_NE(nullptr, grid) << app.error;
  EXPECT_EQ(indexLabel(0), dialogItemText(grid, IDC_TABLE_START_INDEX));
  ASSERT_TRUE(pressDialogButton(app, grid, IDCANCEL)) << app.error;
  ASSERT_TRUE(pressDialogButton(app, params, IDCANCEL)) << app.error;
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
}

TEST(ColourTable, PaletteOfAFlatPictureAndAStartIndexBeyondIt) {
  ScratchFolder dir;
  std::string photo = dir.copy("gifjob/photo_progressive_100x75.jpg", "a.jpg");
  dir.copy("gifjob/three_colours_180x40.png", "b.png");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, photo)) << app.error;

  // Index 200 picked from a 256-colour table, with transparency off: the
  // index changes, transparency stays off. The frames are turned about the
  // horizontal axis, so frame 0 is the pictures alone, without the white
  // fill the two would share (the conversion library lines a palette up
  // with the last one when most of a picture's colours are in it).
  HWND params = openParamsDialogInMode(app, 90, IDC_MODE_HORIZONTAL_AXIS);
  ASSERT_NE(nullptr, params) << app.error;
  HWND grid = openGrid(app, params, IDC_GIF_TRANSPARENT_COLOUR, "透過色変更");
  ASSERT_NE(nullptr, grid) << app.error;
  POINT p200 = cellCentre(200, 16);
  clickAt(app, grid, p200.x, p200.y);
  ASSERT_TRUE(pressDialogButton(app, grid, IDOK)) << app.error;
  ASSERT_TRUE(pressDialogButton(app, params, IDOK)) << app.error;
  HWND save = waitDialogTitled(app, "保存ファイルを指定");
  ASSERT_NE(nullptr, save) << app.error;
  ASSERT_TRUE(pressDialogButton(app, save, IDCANCEL)) << app.error;

  ASSERT_TRUE(postKey(app, VK_SPACE)) << app.error;
  ASSERT_EQ("b.png", windowTitle(app));
  params = openParamsDialog(app, 90);
  ASSERT_NE(nullptr, params) << app.error;
  EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(params, IDC_GIF_TRANSPARENCY_OFF), BM_GETCHECK, 0, 0));
  // The turn's one palette: the three colours, the white fill and the
  // blends the turned edges show, fewer than 256 entries.
  std::vector<Entry> palette = firstFramePalette();
  const int size = static_cast<int>(palette.size());
  ASSERT_LT(size, 200);
  const int columns = size < 16 ? size : 16, last = size - 1;
  int orange = indexOf(palette, 0xff8000);
  ASSERT_GE(orange, 0);

  grid = openGrid(app, params, IDC_GIF_TRANSPARENT_COLOUR, "透過色変更");
  ASSERT_NE(nullptr, grid) << app.error;
  EXPECT_EQ(indexLabel(200), dialogItemText(grid, IDC_TABLE_START_INDEX));
  EXPECT_EQ("RGB値 000000", dialogItemText(grid, IDC_TABLE_START_RGB));
  EXPECT_TRUE(visible(grid, IDC_TABLE_NEW_INDEX));
  EXPECT_EQ(indexLabel(last), dialogItemText(grid, IDC_TABLE_NEW_INDEX));
  EXPECT_EQ(rgbLabel(palette[last].rgb()), dialogItemText(grid, IDC_TABLE_NEW_RGB));
  Capture c = shot(app, grid);
  keepShot(c, "grid-start-beyond");
  // Cells the text controls lie over are not compared.
  auto hidden = [&](int k) {
    POINT p = cellCentre(k, columns);
    return underControls(grid, p.x - 8, p.y - 8, p.x + 9, p.y + 9);
  };
  for (int k = 0; k < size; ++k) {
    POINT p = cellCentre(k, columns);
    if (!hidden(k)) EXPECT_EQ(palette[k].rgb(), c.at(p.x, p.y)) << "cell " << k;
  }
  POINT past = cellCentre(size, columns);
  if (!underControls(grid, past.x - 8, past.y - 8, past.x + 9, past.y + 9))
    EXPECT_EQ(white, c.at(past.x, past.y));  // no cell beyond the table
  if (!hidden(last)) expectCellOutline(c, last, columns, red);
  for (int k = 0; k < last; ++k) {
    POINT p = cellCentre(k, columns);
    if (!hidden(k)) EXPECT_NE(blue, c.at(p.x - 8, p.y)) << "no start mark at " << k;
  }
  expectTextFrame(c, grid, IDC_TABLE_NEW_INDEX, IDC_TABLE_NEW_RGB, red);

  POINT po = cellCentre(orange, columns);
  clickAt(app, grid, po.x, po.y);
  EXPECT_EQ(indexLabel(orange), dialogItemText(grid, IDC_TABLE_NEW_INDEX));
  EXPECT_EQ("RGB値 ff8000", dialogItemText(grid, IDC_TABLE_NEW_RGB));
  ASSERT_TRUE(pressDialogButton(app, grid, IDOK)) << app.error;

  // OK without a click on an index beyond the table stores the last entry.
  grid = openGrid(app, params, IDC_GIF_TRANSPARENT_COLOUR, "透過色変更");
  ASSERT_NE(nullptr, grid) << app.error;
  EXPECT_EQ(indexLabel(orange), dialogItemText(grid, IDC_TABLE_START_INDEX));
  EXPECT_EQ("RGB値 ff8000", dialogItemText(grid, IDC_TABLE_START_RGB));
  EXPECT_FALSE(visible(grid, IDC_TABLE_NEW_INDEX));
  ASSERT_TRUE(pressDialogButton(app, grid, IDCANCEL)) << app.error;
  ASSERT_TRUE(pressDialogButton(app, params, IDCANCEL)) << app.error;
  EXPECT_TRUE(filesIn(programWorkFolder()).empty());
}

TEST(ColourTable, TransparentFillColourMakesEveryFramesCornersTransparent) {
  ScratchFolder dir;
  std::string picture = dir.copy("gifjob/quadrants_300x400.png", "quadrants.png");
  std::string output = dir.file("turn.gif");
  App app;
  AppGuard guard(app);
  ASSERT_TRUE(launchViewer(app, picture)) << app.error;
  HWND params = openParamsDialog(app, 30);
  ASSERT_NE(nullptr, params) << app.error;
  std::vector<Entry> palette = firstFramePalette();
  int fill = indexOf(palette, white);
  ASSERT_GE(fill, 0);
  int columns = palette.size() < 16 ? int(palette.size()) : 16;

  HWND grid = openGrid(app, params, IDC_GIF_TRANSPARENT_COLOUR, "透過色変更");
  ASSERT_NE(nullptr, grid) << app.error;
  POINT p = cellCentre(fill, columns);
  clickAt(app, grid, p.x, p.y);
  EXPECT_EQ(indexLabel(fill), dialogItemText(grid, IDC_TABLE_NEW_INDEX));
  EXPECT_EQ("RGB値 ffffff", dialogItemText(grid, IDC_TABLE_NEW_RGB));
  ASSERT_TRUE(pressDialogButton(app, grid, IDOK)) << app.error;
  // Picking the colour does not switch transparency on; the radio does.
  EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(params, IDC_GIF_TRANSPARENCY_OFF), BM_GETCHECK, 0, 0));
  setParams(params, 0, 8, 1, 1);
  ASSERT_TRUE(confirmAndName(app, params, output)) << app.error;
  EXPECT_EQ("アニメGIF作成終了", waitOutcome(app)) << app.error;

  keepFile(output, "quadrants-transparent-fill.gif");
  WalkedGif gif;
  std::string error;
  ASSERT_TRUE(walkGif(output, &gif, &error)) << error;
  ASSERT_EQ(12u, gif.frames.size());
  ASSERT_EQ(12u, gif.decoded.size());
  for (size_t i = 0; i < gif.frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_EQ(0x05, gif.frames[i].gcePacked);  // disposal 1, transparency on
    EXPECT_EQ(fill, gif.frames[i].transparent);
    for (double alpha : gif.decoded[i].cornerAlpha) EXPECT_EQ(0.0, alpha);
  }
}
