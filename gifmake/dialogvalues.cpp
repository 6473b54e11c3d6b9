#include "gifmake/dialogvalues.h"

#include <cstdio>
#include <cwchar>

uint16_t gifParamFromText(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Unsigned arithmetic wraps modulo 2^32, and 65536 divides 2^32, so the
  // low 16 bits of the sum are those of the exact value.
  uint32_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
  if (negative) value = 0u - value;
  return static_cast<uint16_t>(value & 0xFFFFu);
}

ColourGrid colourGridFor(int bits, size_t paletteBytes) {
  ColourGrid grid = {0, 0};
  if (bits < 1 || bits > 8) return grid;
  if (paletteBytes < (static_cast<size_t>(3) << bits)) return grid;
  grid.columns = 1 << (bits < 4 ? bits : 4);
  grid.rows = 1 << (bits > 4 ? bits - 4 : 0);
  return grid;
}

bool gridHit(const ColourGrid& grid, unsigned x, unsigned y, GridCell* cell) {
  // Signed differences, so that a point a few pixels left of the grid
  // divides to 0 like the cells' own first pixels.
  int column = (static_cast<int>(x & 0xFFFFu) - kGridOrigin) / kGridCell;
  int row = (static_cast<int>(y & 0xFFFFu) - kGridOrigin) / kGridCell;
  if (column < 0 || column >= grid.columns || row < 0 || row >= grid.rows) return false;
  cell->column = column;
  cell->row = row;
  return true;
}

GridStart gridStart(const ColourGrid& grid, unsigned index) {
  GridStart start = {{0, 0}, false, false};
  if (grid.columns <= 0 || grid.rows <= 0) return start;
  start.hasCell = true;
  unsigned columns = static_cast<unsigned>(grid.columns);
  unsigned row = index / columns;
  if (row < static_cast<unsigned>(grid.rows)) {
    start.cell = {static_cast<int>(index % columns), static_cast<int>(row)};
    start.inRange = true;
  } else {
    start.cell = {grid.columns - 1, grid.rows - 1};
  }
  return start;
}

std::wstring indexText(unsigned index) {
  wchar_t buffer[40];
  std::swprintf(buffer, 40, L"インデックス %3u", index);
  return buffer;
}

namespace {

bool entryBytes(const uint8_t* palette, size_t paletteBytes, unsigned index, uint8_t rgb[3]) {
  rgb[0] = rgb[1] = rgb[2] = 0;
  if (!palette || index >= paletteBytes / 3) return false;
  const uint8_t* entry = palette + static_cast<size_t>(index) * 3;
  rgb[0] = entry[0];
  rgb[1] = entry[1];
  rgb[2] = entry[2];
  return true;
}

}  // namespace

std::wstring rgbText(const uint8_t* palette, size_t paletteBytes, unsigned index) {
  uint8_t rgb[3];
  entryBytes(palette, paletteBytes, index, rgb);
  wchar_t buffer[40];
  std::swprintf(buffer, 40, L"RGB値 %02x%02x%02x", rgb[0], rgb[1], rgb[2]);
  return buffer;
}

uint32_t entryColour(const uint8_t* palette, size_t paletteBytes, unsigned index) {
  uint8_t rgb[3];
  entryBytes(palette, paletteBytes, index, rgb);
  return rgb[0] + 256u * rgb[1] + 65536u * rgb[2];
}
