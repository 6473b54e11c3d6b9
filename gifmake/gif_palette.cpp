// The palette read for the colour table dialogs: the colour table of the
// first frame file of the animated GIF being made.
//
// Which table: a frame file whose image carries a local table is drawn with
// that table, so the transparent colour is picked local-first. The
// background colour is picked from what becomes the output's global table:
// the writer promotes image 0's local table to the global one when the first
// file holds 2 or more images, so automatic mode resolves to local-first
// there and to global-first otherwise.
//
// The header's table bits are set even when the file has no global table, so
// the size reported comes from the table actually present, never from the
// bits alone: a file without any table gives an empty palette of 0 bits.
#include "gifmake/gifmake.h"

#include <fstream>

std::vector<uint8_t> readDialogPalette(const std::filesystem::path& firstFramePath, int& result,
                                       PaletteMode mode, uint16_t& paletteBits) {
  std::vector<uint8_t> table;
  paletteBits = 0;
  GifFile file{};
  std::ifstream in(firstFramePath, std::ios::binary);
  result = in ? readGifFile(in, file) : GifNotGif;
  if (result != GifOk) return table;

  if (mode == PaletteAutomatic) mode = file.imageCount >= 2 ? PaletteLocalFirst : PaletteGlobalFirst;
  const GifImageInfo& first = imageAt(file.images, 0);
  bool useLocal = first.hasLocalTable && (mode == PaletteLocalFirst || !file.header.hasGlobalTable);
  if (useLocal) {
    int r = readLocalTable(first, in, table);
    if (r != GifOk) {
      result = r;
      return std::vector<uint8_t>();
    }
    paletteBits = first.localTableBits;
  } else if (file.header.hasGlobalTable) {
    table.swap(file.globalTable);
    paletteBits = file.header.globalTableBits;
  }
  return table;
}
