// libFuzzer target: arbitrary bytes as a BMP file. The reader must refuse
// or decode without reading out of bounds or allocating past its cap; what
// it decodes (when small) goes on through the whole conversion, and a
// picture of at most 256 colours must come back from its GIF unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imgctl/bmp_reader.h"
#include "imgctl/convert.h"
#include "imgctl/gif_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  imgctl::Pixmap picture;
  imgctl::BmpInfo info;
  if (imgctl::readBmp(data, size, picture, &info) != imgctl::kBmpOk) return 0;
  if (picture.pixels.size() != size_t(picture.width) * size_t(picture.height)) std::abort();
  if (picture.pixels.size() > 4096) return 0;

  std::vector<uint8_t> gif;
  imgctl::ConvertReport report;
  if (imgctl::pictureToGif(picture, nullptr, imgctl::ConvertOptions(), gif, report) != imgctl::kConvertOk)
    std::abort();
  imgctl::DecodedGif back;
  if (imgctl::decodeGif(gif.data(), gif.size(), back) != imgctl::kGifOk) std::abort();
  if (back.width != picture.width || back.height != picture.height) std::abort();
  if (report.exact) {
    for (size_t i = 0; i < picture.pixels.size(); ++i)
      if (back.palette.colours[back.indices[i]] != picture.pixels[i]) std::abort();
  }
  return 0;
}
