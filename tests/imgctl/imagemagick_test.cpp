// ImageMagick as the independent judge: it decodes every GIF the library
// writes and every BMP the reader accepts, so neither our encoder nor our
// decoder vouches for itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "imgctl/bmp_reader.h"
#include "imgctl/convert.h"
#include "tests/imgctl/test_pictures.h"
#include "tests/support/files.h"

using imgctl::Pixmap;
using namespace imgctl_test;
using namespace qbtest;

namespace {

const char kConvert[] = "/usr/bin/convert";

class ImageMagick : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kConvert, X_OK) != 0) GTEST_SKIP() << "ImageMagick is not installed";
  }
  std::string path(const std::string& name) const { return folder_.file(name); }

  qbtest::ScratchFolder folder_;
};

// The picture in a file as ImageMagick decodes it (first frame, 8 bits per
// channel); width 0 when it cannot.
Pixmap decodeWithImageMagick(const std::string& file, int width, int height) {
  Pixmap p;
  const std::string command = std::string(kConvert) + " '" + file + "[0]' -depth 8 rgb:- 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return p;
  std::vector<uint8_t> rgb(size_t(width) * height * 3 + 1);
  const size_t got = std::fread(rgb.data(), 1, rgb.size(), pipe);
  if (pclose(pipe) != 0 || got != rgb.size() - 1) return p;
  p.width = width;
  p.height = height;
  for (size_t i = 0; i + 2 < got; i += 3) p.pixels.push_back(imgctl::packRgb(rgb[i], rgb[i + 1], rgb[i + 2]));
  return p;
}

// Converts a BMP file with the library (as the DLL does) and writes the GIF.
bool convertFile(const std::string& bmp, const std::string& gif, Pixmap* source = nullptr) {
  const std::vector<uint8_t> bytes = readFileBytes(bmp);
  Pixmap picture;
  if (imgctl::readBmp(bytes.data(), bytes.size(), picture) != imgctl::kBmpOk) return false;
  std::vector<uint8_t> out;
  imgctl::ConvertReport report;
  if (imgctl::pictureToGif(picture, imgctl::ConvertOptions(), out, report) != imgctl::kConvertOk)
    return false;
  if (source) *source = picture;
  return writeFile(gif, out);
}

double psnrBetween(const Pixmap& a, const Pixmap& b) {
  return psnrOf(squaredErrorBetween(a, b), a.pixels.size());
}

}  // namespace

// Pictures of 2, 16 and 256 colours, and a 1 x 1 one, come back from
// ImageMagick pixel for pixel.
TEST_F(ImageMagick, ExactPicturesDecodeToTheSamePixels) {
  struct Case {
    int w, h, colours;
  };
  for (const Case c : {Case{1, 1, 1}, Case{17, 9, 2}, Case{64, 33, 16}, Case{131, 97, 256}}) {
    SCOPED_TRACE(c.colours);
    const Pixmap p = paletteTiles(c.w, c.h, spreadColours(c.colours));
    const std::string bmp = path("exact.bmp"), gif = path("exact.gif");
    ASSERT_TRUE(writeFile(bmp, bmpOf(p)));
    ASSERT_TRUE(convertFile(bmp, gif));
    EXPECT_EQ(p.pixels, decodeWithImageMagick(gif, c.w, c.h).pixels);
  }
}

// Many LZW table resets and every sub-block size: 256-colour noise.
TEST_F(ImageMagick, NoiseWithManyTableResetsDecodes) {
  Pixmap p;
  p.width = 300;
  p.height = 200;
  Lcg rng(17);
  const std::vector<uint32_t> colours = spreadColours(256);
  for (int i = 0; i < 300 * 200; ++i) p.pixels.push_back(colours[rng.next() % 256]);
  ASSERT_TRUE(writeFile(path("noise.bmp"), bmpOf(p)));
  ASSERT_TRUE(convertFile(path("noise.bmp"), path("noise.gif")));
  EXPECT_EQ(p.pixels, decodeWithImageMagick(path("noise.gif"), 300, 200).pixels);
}

// Our BMP reader and ImageMagick's agree on every corpus file both accept,
// and ImageMagick decodes the GIF made from each. The files that lie only
// in fields nothing depends on (file size, image size, resolution) are
// 1-bit BMP Suite pictures otherwise identical to pal1.bmp; ImageMagick
// refuses some of them, so they are held against its reading of pal1.bmp.
TEST_F(ImageMagick, CorpusBmpsReadAlikeAndConvert) {
  const std::string data = testDataPath("");
  struct Case {
    const char* name;
    const char* reference;
  };
  const char* pal1 = "bmp/unsupported/pal1.bmp";
  const Case cases[] = {
      {"bmp/valid/rgb24_with_256_entry_palette_before_pixels.bmp", nullptr},
      {"bmp/valid/rgb24_with_300_entry_palette.bmp", nullptr},
      {"bmp/valid/rgb24_v5_header_embedded_icc_profile.bmp", nullptr},
      {"bmp/valid/rgb24_v5_header_linked_profile.bmp", nullptr},
      {"bmp/unsupported/pal1.bmp", nullptr},
      {"bmp/unsupported/pal8.bmp", nullptr},
      {"bmp/unsupported/pal8_topdown_negative_height.bmp", nullptr},
      {"bmp/unsupported/rgb32_bi_rgb.bmp", nullptr},
      {"bmp/unsupported/pal8_rle8.bmp", nullptr},
      {"bmp/unsupported/pal4_rle4.bmp", nullptr},
      {"bmp/rle/rle8_every_escape_7x4.bmp", nullptr},
      {"bmp/malformed/bad_file_size_field.bmp", pal1},
      {"bmp/malformed/bad_image_size_field.bmp", pal1},
      {"bmp/malformed/bad_resolution_fields_1.bmp", pal1},
      {"bmp/malformed/bad_resolution_fields_2.bmp", pal1},
      {"imgctl/photo_24bit_v5_header_90x112.bmp", nullptr},
      {"imgctl/bmpsuite_24bit_127x64.bmp", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pixmap ours;
    ASSERT_TRUE(convertFile(data + c.name, path("corpus.gif"), &ours));
    const std::string reference = data + (c.reference ? c.reference : c.name);
    EXPECT_EQ(ours.pixels, decodeWithImageMagick(reference, ours.width, ours.height).pixels);
    const Pixmap gif = decodeWithImageMagick(path("corpus.gif"), ours.width, ours.height);
    ASSERT_EQ(ours.pixels.size(), gif.pixels.size());
    EXPECT_GT(psnrBetween(ours, gif), 30.0);
  }
}

// Real photos: the PSNR must clear a floor set a little under what the
// benchmark measured, and beat ImageMagick's own conversion without
// dithering (the better of its two) on the same picture.
TEST_F(ImageMagick, PhotosKeepTheirPsnr) {
  struct Case {
    const char* name;
    const char* resize;
    double floor;
  };
  const Case cases[] = {
      {"photo_24bit_v5_header_90x112.bmp", "", 36.3},
      {"photo_lzw_128x128.tif", "", 36.9},
      {"painting_tiny_21x32.png", "", 42.5},
      {"photo_1165x859_odd_width.jpg", "640x480!", 38.4},
      {"photo_exif_orientation_6_stored_1200x1800.jpg", "480x640!", 37.8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = testDataPath(std::string("imgctl/") + c.name);
    const std::string bmp = path("photo.bmp"), gif = path("photo.gif"), theirs = path("theirs.gif");
    std::string command = std::string(kConvert) + " '" + source + "'";
    if (*c.resize) command += std::string(" -resize ") + c.resize;
    ASSERT_EQ(0, std::system((command + " -type TrueColor 'BMP3:" + bmp + "'").c_str()));
    ASSERT_EQ(0, std::system((std::string(kConvert) + " '" + bmp + "' +dither '" + theirs + "'").c_str()));
    Pixmap picture;
    ASSERT_TRUE(convertFile(bmp, gif, &picture));
    const double ours = psnrBetween(picture, decodeWithImageMagick(gif, picture.width, picture.height));
    const double imageMagick = psnrBetween(picture, decodeWithImageMagick(theirs, picture.width, picture.height));
    std::printf("PSNR %s: ours %.2f dB, ImageMagick +dither %.2f dB\n", c.name, ours, imageMagick);
    EXPECT_GT(ours, c.floor);
    EXPECT_GT(ours, imageMagick);
  }
}
