// imgconv: the conversion library's core as a command-line tool, for tests
// and benchmarks.
//
//   imgconv [options] IN.bmp OUT.gif
//   imgconv [options] --turn SOURCE.bmp RRGGBB OUTDIR FRAME1.bmp FRAME2.bmp ...
//
// The turn form makes the palette for turning SOURCE on the fill colour
// RRGGBB (hex) and converts each frame with it, falling back to a frame's
// own palette as the DLL's frame entry does, into OUTDIR/N.gif; it prints
// how many frames used which palette and the time.
// Options:
//   --repeat N      convert N times in the process and print the median time
//                   per conversion (BMP decoding included, file I/O not)
//   --report        print palette size, exactness and PSNR
//   --one-thread    no helper thread (the bytes are the same)
//   --passes N      k-means passes (default 2)
// Exit status: 0 done, 1 usage, 2 input unreadable or refused, 3 output
// not written.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/replace.h"
#include "imgctl/bmp_reader.h"
#include "imgctl/convert.h"
#include "imgctl/turn_palette.h"

namespace {

bool readFile(const char* path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

struct Options {
  int repeat = 0;
  bool report = false;
  imgctl::ConvertOptions convert;
};

bool readPicture(const char* in, imgctl::Pixmap& picture, std::vector<uint8_t>* bytes = nullptr) {
  std::vector<uint8_t> own;
  std::vector<uint8_t>& b = bytes ? *bytes : own;
  if (!readFile(in, b)) {
    std::fprintf(stderr, "imgconv: cannot read %s\n", in);
    return false;
  }
  const int r = imgctl::readBmp(b.data(), b.size(), picture);
  if (r != imgctl::kBmpOk) {
    std::fprintf(stderr, "imgconv: %s: %s\n", in, imgctl::bmpResultName(r));
    return false;
  }
  return true;
}

// Converts one file; returns the exit status.
int convertOne(const char* in, const std::string& out, const Options& opt) {
  std::vector<uint8_t> bytes;
  imgctl::Pixmap picture;
  if (!readPicture(in, picture, &bytes)) return 2;
  std::vector<uint8_t> gif;
  imgctl::ConvertReport report;
  if (imgctl::pictureToGif(picture, opt.convert, gif, report) != imgctl::kConvertOk) {
    std::fprintf(stderr, "imgconv: %s: conversion failed\n", in);
    return 3;
  }
  if (opt.repeat > 0) {
    std::vector<double> times;
    for (int i = 0; i < opt.repeat; ++i) {
      const auto start = std::chrono::steady_clock::now();
      imgctl::Pixmap again;
      imgctl::readBmp(bytes.data(), bytes.size(), again);
      std::vector<uint8_t> g;
      imgctl::ConvertReport rep;
      imgctl::pictureToGif(again, opt.convert, g, rep);
      times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("time_ms %.2f\n", times[times.size() / 2]);
  }
  if (!writeFileReplacing(out, gif.data(), gif.size())) {
    std::fprintf(stderr, "imgconv: cannot write %s\n", out.c_str());
    return 3;
  }
  if (opt.report) {
    std::printf("colours %u exact %d psnr %.3f bytes %zu\n", report.palette.count, report.exact ? 1 : 0,
                imgctl::psnrOf(report.squaredError, picture.pixels.size()), gif.size());
  }
  return 0;
}

// The turn form; returns the exit status.
int convertTurn(int argc, char** argv, int i, const Options& opt) {
  if (argc - i < 4) return 1;
  imgctl::Pixmap source;
  if (!readPicture(argv[i], source)) return 2;
  const uint32_t fill = uint32_t(std::strtoul(argv[i + 1], nullptr, 16)) & 0xFFFFFF;
  const std::string folder = argv[i + 2];
  const auto start = std::chrono::steady_clock::now();
  imgctl::Palette palette;
  if (imgctl::turnPalette(source, fill, palette) != imgctl::kConvertOk) return 3;
  int shared = 0, own = 0;
  for (int k = i + 3; k < argc; ++k) {
    imgctl::Pixmap frame;
    if (!readPicture(argv[k], frame)) return 2;
    std::vector<uint8_t> gif;
    imgctl::ConvertReport report;
    if (imgctl::frameToGif(frame, palette, true, opt.convert, gif, report) != imgctl::kConvertOk) return 3;
    ++(report.ownPalette ? own : shared);
    if (!writeFileReplacing(folder + "/" + std::to_string(k - i - 3) + ".gif", gif.data(), gif.size()))
      return 3;
    if (opt.report)
      std::printf("frame %d own %d psnr %.3f bytes %zu\n", k - i - 3, report.ownPalette ? 1 : 0,
                  imgctl::psnrOf(report.squaredError, frame.pixels.size()), gif.size());
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("palette %u entries, %d frames shared it, %d fell back to their own, %.0f ms\n", palette.count,
              shared, own, ms);
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: imgconv [--repeat N] [--report] [--one-thread] [--passes N] IN.bmp OUT.gif\n"
               "       imgconv [options] --turn SOURCE.bmp RRGGBB OUTDIR FRAME1.bmp ...\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  bool turn = false;
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
    const std::string a = argv[i];
    if (a == "--repeat" && i + 1 < argc) {
      opt.repeat = std::atoi(argv[++i]);
    } else if (a == "--report") {
      opt.report = true;
    } else if (a == "--one-thread") {
      opt.convert.twoThreads = false;
    } else if (a == "--passes" && i + 1 < argc) {
      opt.convert.refinePasses = std::atoi(argv[++i]);
    } else if (a == "--turn") {
      turn = true;
      ++i;
      break;
    } else {
      return usage();
    }
  }
  if (turn) {
    const int r = convertTurn(argc, argv, i, opt);
    return r == 1 ? usage() : r;
  }
  if (argc - i != 2) return usage();
  return convertOne(argv[i], argv[i + 1], opt);
}
