// BMP files built byte by byte: the lies a file can tell, for the reader's
// tests, and the screenshots the end-to-end tests keep to be looked at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qbtest {

// Every header field of the file, open to change.
struct BmpLayout {
  int32_t width = 1;
  int32_t height = 1;            // stored as given; negative = top-down
  uint16_t bitCount = 24;
  uint32_t headerSize = 40;
  uint32_t compression = 0;
  uint16_t planes = 1;
  uint32_t coloursUsed = 0;      // written as given
  std::vector<uint32_t> table;   // colour table entries, 0x00RRGGBB
  bool masks = false;            // BI_BITFIELDS masks after a 40-byte header
  int32_t pixelOffsetDelta = 0;  // added to the true pixel offset
};

// Little-endian fields written into a file's bytes.
void put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value);
void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value);

// values: for 24/32-bit 0x00RRGGBB per pixel, for 1/4/8-bit the index; rows
// from the top, width * |height| of them.
std::vector<uint8_t> buildBmp(const BmpLayout& layout, const std::vector<uint32_t>& values);

// A run-length BMP (RLE8 for 8 bits, RLE4 for 4): headers and colour table
// as buildBmp writes them, then the stream as given.
std::vector<uint8_t> buildRleBmp(uint16_t bits, int32_t width, int32_t height,
                                 const std::vector<uint32_t>& table, const std::vector<uint8_t>& stream);

// With the environment variable `folderVariable` naming a folder, writes a
// 24-bit BMP of the pixels (0x00RRGGBB, top row first) there as name.bmp;
// otherwise does nothing.
void keepScreenshot(const char* folderVariable, const std::string& name, int width, int height,
                    const std::vector<uint32_t>& pixels);

}  // namespace qbtest
