// imgconv: the conversion library's core as a command-line tool, for tests
// and benchmarks.
//
//   imgconv [options] IN.bmp OUT.gif
//   imgconv [options] --sequence OUTDIR IN1.bmp IN2.bmp ...
//
// The sequence form converts its inputs in order with one palette memory,
// as the DLL does for the frames of a rotation, and writes OUTDIR/N.gif.
// Options:
//   --repeat N      convert N times in the process and print the mean time
//                   per conversion (BMP decoding included, file I/O not)
//   --report        print palette size, exactness, reuse and PSNR
//   --no-diffusion  plain nearest-colour mapping
//   --passes N      k-means passes (default 3)
// Exit status: 0 done, 1 usage, 2 input unreadable or refused, 3 output
// not written.
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

namespace {

bool readFile(const char* path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

double psnr(double squaredError, uint64_t pixels) {
  const double mse = squaredError / (3.0 * double(pixels));
  return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

struct Options {
  int repeat = 0;
  bool report = false;
  imgctl::ConvertOptions convert;
};

// Converts one file; returns the exit status.
int convertOne(const char* in, const std::string& out, imgctl::PaletteMemory* memory,
               const Options& opt, int frame) {
  std::vector<uint8_t> bytes;
  if (!readFile(in, bytes)) {
    std::fprintf(stderr, "imgconv: cannot read %s\n", in);
    return 2;
  }
  imgctl::Pixmap picture;
  const int r = imgctl::readBmp(bytes.data(), bytes.size(), picture);
  if (r != imgctl::kBmpOk) {
    std::fprintf(stderr, "imgconv: %s: %s\n", in, imgctl::bmpResultName(r));
    return 2;
  }
  std::vector<uint8_t> gif;
  imgctl::ConvertReport report;
  if (imgctl::pictureToGif(picture, memory, opt.convert, gif, report) != imgctl::kConvertOk) {
    std::fprintf(stderr, "imgconv: %s: conversion failed\n", in);
    return 3;
  }
  if (opt.repeat > 0) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < opt.repeat; ++i) {
      imgctl::Pixmap again;
      imgctl::readBmp(bytes.data(), bytes.size(), again);
      std::vector<uint8_t> g;
      imgctl::ConvertReport rep;
      imgctl::pictureToGif(again, nullptr, opt.convert, g, rep);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("time_ms %.2f\n", ms / opt.repeat);
  }
  if (memory) imgctl::rememberPalette(*memory, report.palette);
  if (!writeFileReplacing(out, gif.data(), gif.size())) {
    std::fprintf(stderr, "imgconv: cannot write %s\n", out.c_str());
    return 3;
  }
  if (opt.report) {
    std::printf("frame %d colours %u exact %d reused %d psnr %.3f bytes %zu\n", frame,
                report.palette.count, report.exact ? 1 : 0, report.reusedSlot,
                psnr(report.squaredError, picture.pixels.size()), gif.size());
  }
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: imgconv [--repeat N] [--report] [--no-diffusion] [--passes N] IN.bmp OUT.gif\n"
               "       imgconv [options] --sequence OUTDIR IN1.bmp IN2.bmp ...\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  const char* sequenceDir = nullptr;
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
    const std::string a = argv[i];
    if (a == "--repeat" && i + 1 < argc) {
      opt.repeat = std::atoi(argv[++i]);
    } else if (a == "--report") {
      opt.report = true;
    } else if (a == "--no-diffusion") {
      opt.convert.diffusion = 0;
    } else if (a == "--passes" && i + 1 < argc) {
      opt.convert.refinePasses = std::atoi(argv[++i]);
    } else if (a == "--sequence" && i + 1 < argc) {
      sequenceDir = argv[++i];
    } else {
      return usage();
    }
  }
  if (sequenceDir) {
    if (i >= argc) return usage();
    imgctl::PaletteMemory memory;
    const auto start = std::chrono::steady_clock::now();
    for (int k = i; k < argc; ++k) {
      const int r = convertOne(argv[k], std::string(sequenceDir) + "/" + std::to_string(k - i) + ".gif",
                               &memory, opt, k - i);
      if (r != 0) return r;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("total_ms %.1f\n", ms);
    return 0;
  }
  if (argc - i != 2) return usage();
  return convertOne(argv[i], argv[i + 1], nullptr, opt, 0);
}
