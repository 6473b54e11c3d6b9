// libFuzzer target: the GIF block reader on arbitrary bytes. Beyond the
// sanitizers' checks, every record it keeps must describe bytes inside the
// input, and every local table it points at must read back.
#include "gifmake/gifmake.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream in(bytes);
  GifFile f{};
  int r = readGifFile(in, f);
  check(r <= GifOk && r >= GifNoImage);
  check(f.images.size() == static_cast<size_t>(f.imageCount) || r != GifOk);
  check(f.images.size() * 12 <= size);
  if (f.header.hasGlobalTable)
    check(f.globalTable.size() == static_cast<size_t>(colourTableSize(f.header.globalTableBits)) &&
          std::memcmp(f.globalTable.data(), data + f.header.globalTableOffset, f.globalTable.size()) == 0);
  for (int i = -1; i <= static_cast<int>(f.images.size()); i++) {
    const GifImageInfo& m = imageAt(f.images, i);
    if (i < 0 || i == static_cast<int>(f.images.size())) {
      check(m.dataLength == 0 && m.hasLocalTable == 0);
      continue;
    }
    check(m.dataOffset > 0 && m.dataLength >= 1 &&
          static_cast<size_t>(m.dataOffset) + static_cast<size_t>(m.dataLength) <= size);
    check(data[m.dataOffset + m.dataLength - 1] == 0);
    std::vector<uint8_t> table;
    int t = readLocalTable(m, in, table);
    if (m.hasLocalTable)
      check(t == GifOk && std::memcmp(table.data(), data + m.localTableOffset, table.size()) == 0);
    else
      check(t == 0 && table.empty());
  }
  return 0;
}
