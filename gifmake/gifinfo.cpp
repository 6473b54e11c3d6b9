// gifinfo FILE...: prints what the GIF reader records for each file, for
// people who debug GIF files and for the tests that hold the reader against
// other decoders. One "key value" line per field, in a fixed order, so the
// output can be compared as text. Exits 1 when any file is not read to its
// trailer, 2 on a usage error.
#include "gifmake/gifmake.h"

#include <cstdio>
#include <fstream>

namespace {

void printHeader(const GifHeader& h) {
  std::printf("version %.3s\n", h.version);
  std::printf("screen %u %u\n", h.screenWidth, h.screenHeight);
  std::printf("globalTable %u bits %u offset %d\n", h.hasGlobalTable, h.globalTableBits,
              static_cast<int>(h.globalTableOffset));
  std::printf("colourResolution %u sortFlag %u\n", h.colourResolution, h.sortFlag);
  std::printf("background %u aspect %u\n", h.backgroundIndex, h.aspectRatio);
}

void printImage(int i, const GifImageInfo& m) {
  std::printf("image %d position %u %u size %u %u\n", i, m.left, m.top, m.width, m.height);
  std::printf("image %d localTable %u bits %u offset %d sortFlag %u interlaced %u\n", i,
              m.hasLocalTable, m.localTableBits, static_cast<int>(m.localTableOffset), m.sortFlag,
              m.interlaced);
  std::printf("image %d lzwMinCodeSize %u dataOffset %d dataLength %d\n", i, m.lzwMinCodeSize,
              static_cast<int>(m.dataOffset), static_cast<int>(m.dataLength));
  std::printf("image %d control %u packed %u disposal %u transparentFlag %u delay %u transparent %u\n",
              i, m.hasControl, m.controlPacked, (m.controlPacked >> 2) & 7u, m.controlPacked & 1u,
              m.delay, m.transparentIndex);
}

// Returns the last result of the reader on this file.
int describe(const char* path) {
  std::printf("file %s\n", path);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::printf("header %d %s\n", GifCannotOpen, gifResultText(GifCannotOpen));
    return GifCannotOpen;
  }
  GifHeader header{};
  std::vector<uint8_t> globalTable;
  int r = readGifHeader(in, header, globalTable);
  std::printf("header %d %s\n", r, gifResultText(r));
  if (r != GifOk) return r;
  printHeader(header);
  int count = 0;
  std::vector<GifImageInfo> images;
  std::vector<GifAppExtension> apps;
  r = readGifBlocks(in, count, images, apps);
  std::printf("blocks %d %s\n", r, gifResultText(r));
  std::printf("images %d\n", count);
  for (size_t i = 0; i < images.size(); i++) printImage(static_cast<int>(i), images[i]);
  std::printf("appExtensions %d\n", static_cast<int>(apps.size()));
  for (size_t i = 0; i < apps.size(); i++)
    std::printf("app %d netscapeLoop %u loopCount %u\n", static_cast<int>(i), apps[i].isNetscapeLoop,
                apps[i].loopCount);
  return r;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gifinfo FILE...\n");
    return 2;
  }
  int status = 0;
  for (int i = 1; i < argc; i++) {
    int r = describe(argv[i]);
    if (r != GifOk) {
      std::fprintf(stderr, "gifinfo: %s: %s\n", argv[i], gifResultText(r));
      status = 1;
    }
  }
  return status;
}
