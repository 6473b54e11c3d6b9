// "CLTBLDLG": the first frame's colour table as a grid of colour cells, the
// colour the dialog started from (blue mark) and the new choice (red mark),
// with the index and RGB texts of both. The grid's arithmetic is
// gifmake/dialogvalues.cpp.
//
// The grid, the blue mark and the frames around the texts are drawn once,
// at opening, into an off-screen surface the size of the client area; every
// paint copies it and draws the red mark of the current choice on the
// dialog itself, so the choice can move without redrawing the grid. The
// surface is freed when the dialog is destroyed, on every way out.
//
// An empty palette (a frame file without any colour table) has no cells:
// nothing is drawn or chosen, and OK leaves the index as it was.
#include "core/appstate.h"
#include "gifmake/dialogvalues.h"
#include "gifmake/gifdialogs.h"
#include "resources/resource.h"

namespace {

const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0), white = RGB(255, 255, 255);

ColourTableView& view() { return app.colourTable; }

ColourGrid viewGrid() { return ColourGrid{view().columns, view().rows}; }

bool hasChoice() { return view().selectedColumn >= 0 && view().selectedRow >= 0; }

// The palette's bytes that belong to its table: never more than 3 * 2^bits,
// and none when the grid has no cells.
size_t tableBytes() {
  if (view().columns == 0) return 0;
  size_t size = static_cast<size_t>(3) << app.dialogPaletteBits;
  return size < app.dialogPalette.size() ? size : app.dialogPalette.size();
}

RECT cellRect(int column, int row) {
  return RECT{gridLine(column), gridLine(row), gridLine(column) + kGridCell,
              gridLine(row) + kGridCell};
}

// A hollow rectangle with a solid 1-pixel pen.
void outline(HDC dc, const RECT& r, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

// A frame 3 pixels outside two controls, from the first's top left to the
// second's bottom right, on the surface.
void frameControls(HWND dialog, int first, int second, COLORREF colour) {
  if (!view().surfaceDC) return;
  RECT a, b;
  GetWindowRect(GetDlgItem(dialog, first), &a);
  GetWindowRect(GetDlgItem(dialog, second), &b);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&a), 2);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&b), 2);
  outline(view().surfaceDC, RECT{a.left - 3, a.top - 3, b.right + 3, b.bottom + 3}, colour);
}

bool createSurface(HWND dialog) {
  RECT& client = view().client;
  GetClientRect(dialog, &client);
  HDC dialogDC = GetDC(dialog);
  HDC dc = CreateCompatibleDC(dialogDC);
  HBITMAP bitmap = dc ? CreateCompatibleBitmap(dialogDC, client.right, client.bottom) : nullptr;
  ReleaseDC(dialog, dialogDC);
  if (!bitmap) {
    if (dc) DeleteDC(dc);
    return false;
  }
  view().surfaceDC = dc;
  view().surfaceBitmap = bitmap;
  view().previousBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  PatBlt(dc, 0, 0, client.right, client.bottom, PATCOPY);
  SelectObject(dc, oldBrush);
  return true;
}

void freeSurface() {
  if (view().surfaceDC) {
    SelectObject(view().surfaceDC, view().previousBitmap);
    DeleteDC(view().surfaceDC);
  }
  if (view().surfaceBitmap) DeleteObject(view().surfaceBitmap);
  view().surfaceDC = nullptr;
  view().surfaceBitmap = nullptr;
  view().previousBitmap = nullptr;
}

void drawGrid() {
  HDC dc = view().surfaceDC;
  if (!dc || view().columns == 0) return;
  const uint8_t* palette = app.dialogPalette.data();
  for (int row = 0; row < view().rows; ++row) {
    for (int column = 0; column < view().columns; ++column) {
      unsigned index = cellIndex(viewGrid(), GridCell{column, row});
      HBRUSH brush = CreateSolidBrush(entryColour(palette, tableBytes(), index));
      RECT cell = cellRect(column, row);
      FillRect(dc, &cell, brush);
      DeleteObject(brush);
    }
  }
  HPEN pen = CreatePen(PS_SOLID, 3, white);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  int right = gridLine(view().columns), bottom = gridLine(view().rows);
  for (int column = 0; column <= view().columns; ++column) {
    MoveToEx(dc, gridLine(column), kGridOrigin, nullptr);
    LineTo(dc, gridLine(column), bottom);
  }
  for (int row = 0; row <= view().rows; ++row) {
    MoveToEx(dc, kGridOrigin, gridLine(row), nullptr);
    LineTo(dc, right, gridLine(row));
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

// The new-choice texts for the selected cell, framed in red the first time.
void showNewChoice(HWND dialog) {
  if (view().newShown == 0) {
    frameControls(dialog, IDC_TABLE_NEW_INDEX, IDC_TABLE_NEW_RGB, red);
    ShowWindow(GetDlgItem(dialog, IDC_TABLE_NEW_INDEX), SW_SHOW);
    ShowWindow(GetDlgItem(dialog, IDC_TABLE_NEW_RGB), SW_SHOW);
    view().newShown = 1;
  }
  unsigned index = cellIndex(viewGrid(), GridCell{view().selectedColumn, view().selectedRow});
  SetDlgItemTextW(dialog, IDC_TABLE_NEW_INDEX, indexText(index).c_str());
  SetDlgItemTextW(dialog, IDC_TABLE_NEW_RGB,
                  rgbText(app.dialogPalette.data(), tableBytes(), index).c_str());
}

void onInitDialog(HWND dialog, uint16_t* slot, bool background) {
  if (background) SetWindowTextW(dialog, L"背景色変更");
  ColourGrid grid = colourGridFor(app.dialogPaletteBits, app.dialogPalette.size());
  view() = ColourTableView{nullptr, nullptr, nullptr, {0, 0, 0, 0},
                           static_cast<short>(grid.columns), static_cast<short>(grid.rows),
                           -1, -1, 0, slot};
  unsigned index = *slot;
  GridStart start = gridStart(grid, index);
  if (start.hasCell) {
    view().selectedColumn = start.cell.column;
    view().selectedRow = start.cell.row;
  }
  createSurface(dialog);
  drawGrid();
  if (start.inRange && view().surfaceDC)
    outline(view().surfaceDC, cellRect(start.cell.column, start.cell.row), blue);
  frameControls(dialog, IDC_TABLE_START_INDEX, IDC_TABLE_START_RGB, blue);
  SetDlgItemTextW(dialog, IDC_TABLE_START_INDEX, indexText(index).c_str());
  SetDlgItemTextW(dialog, IDC_TABLE_START_RGB,
                  rgbText(app.dialogPalette.data(), start.inRange ? tableBytes() : 0, index).c_str());
  if (start.hasCell && !start.inRange) {
    showNewChoice(dialog);
  } else {
    ShowWindow(GetDlgItem(dialog, IDC_TABLE_NEW_INDEX), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_TABLE_NEW_RGB), SW_HIDE);
  }
}

void onPaint(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  if (view().surfaceDC)
    BitBlt(dc, 0, 0, view().client.right, view().client.bottom, view().surfaceDC, 0, 0, SRCCOPY);
  if (hasChoice()) outline(dc, cellRect(view().selectedColumn, view().selectedRow), red);
  EndPaint(dialog, &paint);
}

void onClick(HWND dialog, LPARAM position) {
  GridCell cell;
  if (gridHit(viewGrid(), LOWORD(position), HIWORD(position), &cell)) {
    view().selectedColumn = cell.column;
    view().selectedRow = cell.row;
    showNewChoice(dialog);
  }
  InvalidateRect(dialog, nullptr, TRUE);
}

void onOk(HWND dialog) {
  if (hasChoice() && view().slot)
    *view().slot = static_cast<uint16_t>(
        cellIndex(viewGrid(), GridCell{view().selectedColumn, view().selectedRow}));
  EndDialog(dialog, 1);
}

INT_PTR colourTableDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                          bool background) {
  switch (message) {
    case WM_INITDIALOG:
      onInitDialog(dialog, reinterpret_cast<uint16_t*>(lParam), background);
      return TRUE;
    case WM_PAINT: onPaint(dialog); return TRUE;
    case WM_LBUTTONDOWN: onClick(dialog, lParam); return TRUE;
    case WM_DESTROY:
      freeSurface();
      view().slot = nullptr;
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) onOk(dialog);
      else if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
      else return FALSE;
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK backgroundColourDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  return colourTableDialog(dialog, message, wParam, lParam, true);
}

INT_PTR CALLBACK transparentColourDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  return colourTableDialog(dialog, message, wParam, lParam, false);
}
