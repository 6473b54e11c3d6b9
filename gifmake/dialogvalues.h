// The pure half of the animated-GIF dialogs: the numbers typed into the
// parameter dialog, and the colour table dialog's grid of colour cells with
// its hit test and its two texts. No windows.h: built and tested in both
// trees; the dialogs themselves are paramdialog_win.cpp and
// colourtable_win.cpp.
//
// The grid: cells of 17 x 17 pixels from (5, 5) of the dialog's client
// area, 2^min(bits, 4) columns and 2^max(bits - 4, 0) rows, entry k in
// column k mod columns and row k div columns. White lines 3 pixels wide lie
// on every cell border, x = 5 + 17c and y = 5 + 17r.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A number typed into the loop count or delay edit: the C library's decimal
// reading (leading blanks, one sign, digits up to the first other
// character, 0 when there are none), kept to its low 16 bits. The digits
// are summed modulo 65536, so no text overflows: 70000 gives 4464, and a
// hundred digits give the low bits of their value.
uint16_t gifParamFromText(const char* text);

const int kGridOrigin = 5; // client pixel of the first cell's corner
const int kGridCell = 17;  // side of a cell, pixels

struct ColourGrid {
  int columns; // 0 for an empty palette
  int rows;    // 0 for an empty palette
};

struct GridCell {
  int column;
  int row;
};

// The grid of a palette of `bits` bits held in `paletteBytes` bytes. A
// palette of 0 bits, of more than 8, or shorter than its 3 * 2^bits bytes
// has no cells (0 x 0), so nothing outside the table is ever read.
ColourGrid colourGridFor(int bits, size_t paletteBytes);

// The x (or y) of grid line k, which is also the left (top) of cell k.
inline int gridLine(int k) { return kGridOrigin + kGridCell * k; }

// The cell under a click at client pixel (x, y), both taken as unsigned
// 16-bit values as the click message carries them. (x - 5) / 17 truncates
// toward zero, so the 5 pixels left of and above the grid still count as
// column 0 and row 0. False when the point lies outside the cells.
bool gridHit(const ColourGrid& grid, unsigned x, unsigned y, GridCell* cell);

// Where the dialog starts for index `index`: its cell when the index lies
// inside the grid (inRange true), else the last cell (inRange false). An
// empty grid has no cell at all (hasCell false).
struct GridStart {
  GridCell cell;
  bool inRange;
  bool hasCell;
};
GridStart gridStart(const ColourGrid& grid, unsigned index);

// The palette index of a cell: row * columns + column.
inline unsigned cellIndex(const ColourGrid& grid, const GridCell& cell) {
  return static_cast<unsigned>(cell.row * grid.columns + cell.column);
}

// "インデックス " and the index right-aligned in three characters
// ("インデックス   7", "インデックス 255").
std::wstring indexText(unsigned index);

// "RGB値 " and the entry's red, green and blue bytes as two lower-case hex
// digits each ("RGB値 ff8000"); "RGB値 000000" for an index outside the
// palette's bytes.
std::wstring rgbText(const uint8_t* palette, size_t paletteBytes, unsigned index);

// The entry's colour as a COLORREF (red + 256 green + 65536 blue); 0 for an
// index outside the palette's bytes.
uint32_t entryColour(const uint8_t* palette, size_t paletteBytes, unsigned index);
