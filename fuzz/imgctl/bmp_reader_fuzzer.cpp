// libFuzzer target: arbitrary bytes as a BMP file. The reader must refuse
// or decode without reading out of bounds or allocating past its cap; what
// it decodes (when small) goes on through the whole conversion, and a
// picture of at most 256 colours must come back from its GIF unchanged.
// Then the frame route: the palette for turning the picture on a fill taken
// from the file's first bytes, and the picture written with it: the GIF
// carries that table byte for byte and an exact frame decodes unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imgctl/bmp_reader.h"
#include "imgctl/convert.h"
#include "imgctl/gif_codec.h"
#include "imgctl/turn_palette.h"

namespace {

void checkGif(const imgctl::Pixmap& picture, const std::vector<uint8_t>& gif, const imgctl::ConvertReport& report) {
  imgctl::DecodedGif back;
  if (imgctl::decodeGif(gif.data(), gif.size(), back) != imgctl::kDecodeOk) std::abort();
  if (back.width != picture.width || back.height != picture.height) std::abort();
  if (report.exact) {
    for (size_t i = 0; i < picture.pixels.size(); ++i)
      if (back.palette.colours[back.indices[i]] != picture.pixels[i]) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  imgctl::Pixmap picture;
  imgctl::BmpInfo info;
  if (imgctl::readBmp(data, size, picture, &info) != imgctl::kBmpOk) return 0;
  if (picture.pixels.size() != size_t(picture.width) * size_t(picture.height)) std::abort();
  if (picture.pixels.size() > 4096) return 0;

  std::vector<uint8_t> gif;
  imgctl::ConvertReport report;
  if (imgctl::pictureToGif(picture, imgctl::ConvertOptions(), gif, report) != imgctl::kConvertOk) std::abort();
  checkGif(picture, gif, report);

  imgctl::Palette palette;
  const uint32_t fill = imgctl::packRgb(data[2], data[3], data[4]);
  if (imgctl::turnPalette(picture, fill, palette) != imgctl::kConvertOk) std::abort();
  if (palette.count < 1 || palette.count > 256 || palette.colours[imgctl::kFillIndex] != fill) std::abort();
  gif.clear();
  if (imgctl::frameToGif(picture, palette, (data[5] & 1) != 0, imgctl::ConvertOptions(), gif, report) !=
      imgctl::kConvertOk)
    std::abort();
  checkGif(picture, gif, report);
  if (!report.ownPalette) {
    imgctl::DecodedGif back;
    imgctl::decodeGif(gif.data(), gif.size(), back);
    for (uint32_t i = 0; i < back.palette.count; ++i)
      if (back.palette.colours[i] != (i < palette.count ? palette.colours[i] : 0)) std::abort();
  }
  return 0;
}
