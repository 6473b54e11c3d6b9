#include "tests/support/bmp_file.h"

#include "tests/support/files.h"
#include "tests/support/text.h"

namespace qbtest {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

std::vector<uint8_t> buildBmp(const BmpLayout& s, const std::vector<uint32_t>& values) {
  const int32_t h = s.height < 0 ? -s.height : s.height;
  const size_t stride = ((size_t(s.width) * s.bitCount + 31) / 32) * 4;
  const size_t masksSize = s.masks ? 12 : 0;
  const size_t tableOffset = 14 + s.headerSize + masksSize;
  const size_t pixelOffset = tableOffset + 4 * s.table.size();
  std::vector<uint8_t> b(pixelOffset + stride * size_t(h), 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 2, uint32_t(b.size()));
  put32(b, 10, uint32_t(int64_t(pixelOffset) + s.pixelOffsetDelta));
  put32(b, 14, s.headerSize);
  put32(b, 18, uint32_t(s.width));
  put32(b, 22, uint32_t(s.height));
  put16(b, 26, s.planes);
  put16(b, 28, s.bitCount);
  put32(b, 30, s.compression);
  put32(b, 34, uint32_t(stride * size_t(h)));
  put32(b, 38, 2835);
  put32(b, 42, 2835);
  put32(b, 46, s.coloursUsed);
  if (s.headerSize >= 52 || s.masks) {
    const size_t at = 54;  // inside a V2+ header, or right after a 40-byte one
    put32(b, at, 0x00FF0000u);
    put32(b, at + 4, 0x0000FF00u);
    put32(b, at + 8, 0x000000FFu);
  }
  for (size_t i = 0; i < s.table.size(); ++i) {
    const uint32_t c = s.table[i];
    b[tableOffset + 4 * i] = uint8_t(c);
    b[tableOffset + 4 * i + 1] = uint8_t(c >> 8);
    b[tableOffset + 4 * i + 2] = uint8_t(c >> 16);
  }
  for (int32_t y = 0; y < h; ++y) {
    const int32_t stored = s.height < 0 ? y : h - 1 - y;
    uint8_t* row = &b[pixelOffset + stride * size_t(stored)];
    for (int32_t x = 0; x < s.width; ++x) {
      const uint32_t v = values[size_t(y) * s.width + x];
      switch (s.bitCount) {
        case 1: row[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
        case 4: row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4)); break;
        case 8: row[x] = uint8_t(v); break;
        case 24:
          row[3 * x] = uint8_t(v);
          row[3 * x + 1] = uint8_t(v >> 8);
          row[3 * x + 2] = uint8_t(v >> 16);
          break;
        case 32:
          row[4 * x] = uint8_t(v);
          row[4 * x + 1] = uint8_t(v >> 8);
          row[4 * x + 2] = uint8_t(v >> 16);
          row[4 * x + 3] = 0xFF;
          break;
      }
    }
  }
  return b;
}

std::vector<uint8_t> buildRleBmp(uint16_t bits, int32_t width, int32_t height,
                                 const std::vector<uint32_t>& table, const std::vector<uint8_t>& stream) {
  BmpLayout layout;
  layout.width = width;
  layout.height = 1;
  layout.bitCount = bits;
  layout.table = table;
  layout.coloursUsed = uint32_t(table.size());
  std::vector<uint8_t> b = buildBmp(layout, std::vector<uint32_t>(size_t(width), 0));
  b.resize(14 + 40 + 4 * table.size());
  b.insert(b.end(), stream.begin(), stream.end());
  put32(b, 2, uint32_t(b.size()));
  put32(b, 22, uint32_t(height));
  put32(b, 30, bits == 8 ? 1 : 2);
  put32(b, 34, uint32_t(stream.size()));
  return b;
}

void keepScreenshot(const char* folderVariable, const std::string& name, int width, int height,
                    const std::vector<uint32_t>& pixels) {
  const std::string folder = environmentValue(folderVariable);
  if (folder.empty()) return;
  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  writeFile(folder + "/" + name + ".bmp", buildBmp(layout, pixels));
}

}  // namespace qbtest
