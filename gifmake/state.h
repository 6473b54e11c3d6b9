// The colour table dialog's state, kept in the program-wide record while the
// dialog is open. Plain values only: core/appstate.h includes this header.
#pragma once

#include <windows.h>

#include <cstdint>

// The colour table dialog while it is open (one at a time).
struct ColourTableView {
  HDC surfaceDC;                      // off-screen grid, marks and text frames; none when closed
  HBITMAP surfaceBitmap;              // selected into surfaceDC; none when closed
  HGDIOBJ previousBitmap;             // surfaceDC's own bitmap, put back before deleting
  RECT client;                        // client rectangle at opening, pixels
  short columns;                      // of the grid; 0 for an empty palette
  short rows;
  int selectedColumn;                 // the current choice; -1 when the grid has no cell
  int selectedRow;
  int newShown;                       // 1 once the new-choice texts are shown
  uint16_t* slot;                     // the index it starts from and writes on OK
};
