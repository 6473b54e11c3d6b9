// The pure half of the animated-GIF dialogs: numbers typed into the
// parameter dialog, and the colour grid's geometry, hit test and texts.
#include <gtest/gtest.h>

#include <vector>

#include "gifmake/dialogvalues.h"

namespace {

std::vector<uint8_t> paletteOf(int bits) {
  std::vector<uint8_t> bytes(static_cast<size_t>(3) << bits);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
  return bytes;
}

}  // namespace

TEST(GifParamFromText, DecimalReadingKeptToSixteenBits) {
  struct Case {
    const char* text;
    uint16_t value;
  } cases[] = {
      {"0", 0},          {"3", 3},           {"10", 10},   {"65535", 65535}, {"65536", 0},
      {"70000", 4464},   {"  42", 42},       {"+7", 7},    {"-1", 65535},    {"12abc", 12},
      {"abc", 0},        {"", 0},            {"-", 0},     {"4294967296", 0},
      // Far beyond 64 bits: 10^30 mod 65536 = 0 (2^16 divides 10^30);
      // 10^30 + 4464 keeps 4464.
      {"1000000000000000000000000000000", 0},
      {"1000000000000000000000000004464", 4464},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value, gifParamFromText(c.text)) << '"' << c.text << '"';
  EXPECT_EQ(0, gifParamFromText(nullptr));
}

TEST(ColourGridFor, ColumnsAndRowsForOneToEightBits) {
  const int columns[] = {2, 4, 8, 16, 16, 16, 16, 16};
  const int rows[] = {1, 1, 1, 1, 2, 4, 8, 16};
  for (int bits = 1; bits <= 8; ++bits) {
    ColourGrid grid = colourGridFor(bits, paletteOf(bits).size());
    EXPECT_EQ(columns[bits - 1], grid.columns) << bits;
    EXPECT_EQ(rows[bits - 1], grid.rows) << bits;
  }
}

TEST(ColourGridFor, NoCellsWithoutAWholeTable) {
  EXPECT_EQ(0, colourGridFor(0, 0).columns);  // a file without any colour table
  EXPECT_EQ(0, colourGridFor(0, 0).rows);
  EXPECT_EQ(0, colourGridFor(9, 3 << 9).columns);
  EXPECT_EQ(0, colourGridFor(-1, 768).columns);
  // Bits that claim more entries than the bytes hold.
  EXPECT_EQ(0, colourGridFor(8, 767).columns);
  EXPECT_EQ(0, colourGridFor(2, 11).rows);
  EXPECT_EQ(4, colourGridFor(2, 12).columns);
}

TEST(GridLine, CellsOfSeventeenPixelsFromFive) {
  EXPECT_EQ(5, gridLine(0));
  EXPECT_EQ(22, gridLine(1));
  EXPECT_EQ(277, gridLine(16));  // right edge of a 16-column grid
}

TEST(GridHit, EdgesOfASixteenColumnGrid) {
  ColourGrid grid = colourGridFor(8, 768);
  GridCell cell = {-1, -1};
  // Left of the grid: (x - 5) / 17 truncates toward zero.
  ASSERT_TRUE(gridHit(grid, 2, 2, &cell));
  EXPECT_EQ(0, cell.column);
  EXPECT_EQ(0, cell.row);
  ASSERT_TRUE(gridHit(grid, 0, 40, &cell));
  EXPECT_EQ(0, cell.column);
  EXPECT_EQ(2, cell.row);
  // The border pixel x = 22 starts the second column; 21 ends the first.
  ASSERT_TRUE(gridHit(grid, 21, 5, &cell));
  EXPECT_EQ(0, cell.column);
  ASSERT_TRUE(gridHit(grid, 22, 5, &cell));
  EXPECT_EQ(1, cell.column);
  // The last pixel of the last cell, and the first past it.
  ASSERT_TRUE(gridHit(grid, 276, 276, &cell));
  EXPECT_EQ(15, cell.column);
  EXPECT_EQ(15, cell.row);
  cell = {-1, -1};
  EXPECT_FALSE(gridHit(grid, 277, 100, &cell));
  EXPECT_FALSE(gridHit(grid, 100, 277, &cell));
  // A click left of the client area arrives as a large unsigned value.
  EXPECT_FALSE(gridHit(grid, 0xFFFD, 10, &cell));
  EXPECT_EQ(-1, cell.column);  // untouched on a miss
}

TEST(GridHit, OneRowGridsAndTheEmptyGrid) {
  ColourGrid four = colourGridFor(2, 12);
  GridCell cell;
  ASSERT_TRUE(gridHit(four, 5 + 17 * 3, 21, &cell));
  EXPECT_EQ(3, cell.column);
  EXPECT_FALSE(gridHit(four, 5 + 17 * 4, 10, &cell));  // past the fourth cell
  EXPECT_FALSE(gridHit(four, 10, 22, &cell));          // below the one row
  EXPECT_FALSE(gridHit(colourGridFor(0, 0), 10, 10, &cell));
}

TEST(GridStart, IndexInsideAndOutsideTheTable) {
  ColourGrid grid = colourGridFor(8, 768);
  GridStart start = gridStart(grid, 17);  // second cell of the second row
  EXPECT_TRUE(start.hasCell);
  EXPECT_TRUE(start.inRange);
  EXPECT_EQ(1, start.cell.column);
  EXPECT_EQ(1, start.cell.row);
  EXPECT_EQ(17u, cellIndex(grid, start.cell));

  ColourGrid four = colourGridFor(2, 12);
  start = gridStart(four, 5);
  EXPECT_TRUE(start.hasCell);
  EXPECT_FALSE(start.inRange);
  EXPECT_EQ(3, start.cell.column);  // the last cell
  EXPECT_EQ(0, start.cell.row);
  EXPECT_EQ(3u, cellIndex(four, start.cell));
  EXPECT_TRUE(gridStart(four, 3).inRange);
  EXPECT_FALSE(gridStart(four, 4).inRange);
  EXPECT_FALSE(gridStart(grid, 65535).inRange);

  start = gridStart(colourGridFor(0, 0), 0);
  EXPECT_FALSE(start.hasCell);
  EXPECT_FALSE(start.inRange);
}

TEST(IndexText, RightAlignedInThreeCharacters) {
  EXPECT_EQ(L"インデックス   7", indexText(7));
  EXPECT_EQ(L"インデックス  42", indexText(42));
  EXPECT_EQ(L"インデックス 255", indexText(255));
  EXPECT_EQ(L"インデックス   0", indexText(0));
  EXPECT_EQ(L"インデックス 65535", indexText(65535));  // wider numbers are not cut
}

TEST(RgbText, LowerCaseHexOfTheEntry) {
  std::vector<uint8_t> palette = {0, 0, 0, 0xFF, 0x80, 0x00, 0x0A, 0xB0, 0x0C};
  EXPECT_EQ(L"RGB値 ff8000", rgbText(palette.data(), palette.size(), 1));
  EXPECT_EQ(L"RGB値 0ab00c", rgbText(palette.data(), palette.size(), 2));
  EXPECT_EQ(L"RGB値 000000", rgbText(palette.data(), palette.size(), 3));  // past the bytes
  EXPECT_EQ(L"RGB値 000000", rgbText(nullptr, 0, 0));
  // An entry cut short by the byte count is outside the palette.
  EXPECT_EQ(L"RGB値 000000", rgbText(palette.data(), 8, 2));
}

TEST(EntryColour, RedLowestBlueHighest) {
  std::vector<uint8_t> palette = {0x12, 0x34, 0x56};
  EXPECT_EQ(0x563412u, entryColour(palette.data(), palette.size(), 0));
  EXPECT_EQ(0u, entryColour(palette.data(), palette.size(), 1));
}
