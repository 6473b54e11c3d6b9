#include "imgctl/convert.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <cmath>
#include <new>
#include <thread>

#include "imgctl/gif_codec.h"
#include "imgctl/helper_thread.h"
#include "imgctl/lzw.h"
#include "imgctl/nearest.h"
#include "imgctl/quantize.h"
#include "imgctl/remap.h"

namespace imgctl {
namespace {

// Rows per band of the pipeline: about 16384 pixels, small enough that
// the encoder seldom waits, large enough that handing bands over costs
// nothing.
int bandRows(const Pixmap& picture) { return std::max(1, 16384 / picture.width); }

bool useTwoThreads(const Pixmap& picture, const ConvertOptions& options) {
  return options.twoThreads && picture.pixels.size() >= kTwoThreadPixels;
}

bool gatherOnTwoThreads(const Pixmap& picture, const ConvertOptions& options) {
  return options.twoThreads && picture.pixels.size() >= kTwoThreadStatsPixels;
}

// Maps the picture's rows to indices band by band with mapRows(first, end,
// worker) (which returns the rows' squared error) and LZW-encodes the
// indices into codes, in order. With a helper, it maps bands while
// this thread encodes each band as soon as it is mapped, mapping bands
// itself while the next one is not ready. The codes are one stream, the
// same as on one thread. Returns the total squared error; throws
// std::bad_alloc.
template <typename MapRows>
double mapAndEncode(const Pixmap& picture, uint8_t* indices, int codeSize, HelperThread* helper, MapRows mapRows,
                    std::vector<uint8_t>& codes) {
  const int rows = bandRows(picture), count = (picture.height + rows - 1) / rows;
  const size_t w = size_t(picture.width);
  std::vector<uint64_t> errors(size_t(count), 0);
  LzwEncoder encoder(codeSize, codes);
  auto map = [&](int band, int worker) {
    const int first = band * rows, end = std::min(picture.height, first + rows);
    errors[size_t(band)] = mapRows(first, end, worker);
  };
  auto encode = [&](int band) {
    const int first = band * rows, end = std::min(picture.height, first + rows);
    encoder.add(indices + size_t(first) * w, size_t(end - first) * w);
  };
  if (!helper || count < 2) {
    for (int band = 0; band < count; ++band) {
      map(band, 0);
      encode(band);
    }
  } else {
    // ready[band] under the lock; the helper signals each band it maps, and
    // this thread sleeps only when everything left is the helper's.
    std::vector<char> ready(size_t(count), 0);
    std::mutex lock;
    std::condition_variable mapped;
    int next = 0;
    bool failed = false;
    auto claim = [&]() {
      std::lock_guard<std::mutex> hold(lock);
      return failed || next >= count ? -1 : next++;
    };
    auto markMapped = [&](int band) {
      {
        std::lock_guard<std::mutex> hold(lock);
        ready[size_t(band)] = 1;
      }
      mapped.notify_one();
    };
    auto work = [&] {
      try {
        for (int band; (band = claim()) >= 0;) {
          map(band, 1);
          markMapped(band);
        }
      } catch (const std::bad_alloc&) {
        {
          std::lock_guard<std::mutex> hold(lock);
          failed = true;
        }
        mapped.notify_one();
      }
    };
    helper->start(work);
    try {
      for (int encoded = 0; encoded < count;) {
        bool isReady, stop;
        {
          std::lock_guard<std::mutex> hold(lock);
          isReady = ready[size_t(encoded)] != 0;
          stop = failed;
        }
        if (stop) break;
        if (isReady) {
          encode(encoded++);
          continue;
        }
        const int band = claim();
        if (band >= 0) {
          map(band, 0);
          markMapped(band);
          continue;
        }
        std::unique_lock<std::mutex> hold(lock);  // the helper is mapping the next band
        mapped.wait(hold, [&] { return failed || ready[size_t(encoded)] != 0; });
      }
    } catch (const std::bad_alloc&) {
      std::lock_guard<std::mutex> hold(lock);
      failed = true;
    }
    helper->finish();
    if (failed) throw std::bad_alloc();
  }
  encoder.finish();
  uint64_t total = 0;
  for (const uint64_t e : errors) total += e;
  return double(total);
}

// Nearest entries of palette for every pixel through finder (made from
// palette and prepared with the picture's cells; the workers share it),
// and the GIF file appended to gif. Returns the squared error.
double writeNearest(const Pixmap& picture, const Palette& palette, const NearestFinder& finder,
                    HelperThread* helper, std::vector<uint8_t>& gif) {
  std::vector<uint8_t> indices(picture.pixels.size()), codes;
  codes.reserve(picture.pixels.size() / 2 + 64);
  const double error = mapAndEncode(
      picture, indices.data(), lzwCodeSizeFor(palette), helper,
      [&](int first, int end, int) { return remapNearestRows(picture, palette, finder, first, end, indices.data()); },
      codes);
  writeGifBlocks(picture.width, picture.height, palette, codes, gif);
  return error;
}

// The same for a palette that was not chosen from the picture.
double writeNearest(const Pixmap& picture, const Palette& palette, bool two, std::vector<uint8_t>& gif) {
  std::unique_ptr<HelperThread> helper(two ? new HelperThread : nullptr);
  NearestFinder finder(palette);
  finder.prepare(nearestCellsOf(picture), helper.get());
  return writeNearest(picture, palette, finder, helper.get(), gif);
}

// The picture whose every colour is in palette. When to clear a full LZW
// table is a guess made from the codes so far; here, where encoding is
// most of the work, the stream is made both ways (on two threads when
// two) and the smaller kept, so an exact picture never comes out larger
// than clearing at every fill would make it. Throws std::bad_alloc.
void writeExact(const Pixmap& picture, const Palette& palette, const uint8_t* indices, bool two,
                std::vector<uint8_t>& gif) {
  const int codeSize = lzwCodeSizeFor(palette);
  std::vector<uint8_t> whenWorse, whenFull;
  auto encode = [&](std::vector<uint8_t>& codes, LzwClearPolicy policy) {
    LzwEncoder encoder(codeSize, codes, policy);
    encoder.add(indices, picture.pixels.size());
    encoder.finish();
  };
  if (two) {
    bool failed = false;
    std::thread helper([&] {
      try {
        encode(whenFull, kLzwClearWhenFull);
      } catch (const std::bad_alloc&) {
        failed = true;
      }
    });
    try {
      encode(whenWorse, kLzwClearWhenWorse);
    } catch (const std::bad_alloc&) {
      helper.join();
      throw;
    }
    helper.join();
    if (failed) throw std::bad_alloc();
  } else {
    encode(whenWorse, kLzwClearWhenWorse);
    encode(whenFull, kLzwClearWhenFull);
  }
  writeGifBlocks(picture.width, picture.height, palette, whenFull.size() < whenWorse.size() ? whenFull : whenWorse,
                 gif);
}

// The photo route: a palette of the picture's own and nearest entries.
// stats may already be gathered (pixelCount non-zero).
void convertWithOwnPalette(const Pixmap& picture, ColourStats& stats, const ConvertOptions& options,
                           std::vector<uint8_t>& gif, ConvertReport& report) {
  std::unique_ptr<HelperThread> helper(useTwoThreads(picture, options) ? new HelperThread : nullptr);
  if (stats.pixelCount == 0)
    gatherColourStats(picture.pixels.data(), picture.pixels.size(), nullptr, 0, stats,
                      gatherOnTwoThreads(picture, options) ? helper.get() : nullptr);
  Palette palette;
  wuPalette(stats, 256, palette);
  refinePalette(stats, options.refinePasses, palette, helper.get());
  // One finder serves the check for unserved entries and, when none is
  // dropped, every pixel.
  const std::vector<uint32_t> cells = nearestCellsOf(stats.colours);
  std::unique_ptr<NearestFinder> finder(new NearestFinder(palette));
  finder->prepare(cells, helper.get());
  if (dropUnservedEntries(stats, *finder, palette)) {
    finder.reset(new NearestFinder(palette));
    finder->prepare(cells, helper.get());
  }
  report.palette = palette;
  report.squaredError = writeNearest(picture, palette, *finder, helper.get(), gif);
}

void convert(const Pixmap& picture, const ConvertOptions& options, std::vector<uint8_t>& gif,
             ConvertReport& report) {
  Palette palette;
  if (exactPalette(picture, palette)) {
    std::vector<uint8_t> indices(picture.pixels.size());
    remapExact(picture, palette, indices.data());
    report.exact = true;
    report.palette = palette;
    writeExact(picture, palette, indices.data(), useTwoThreads(picture, options), gif);
    return;
  }
  ColourStats stats;
  convertWithOwnPalette(picture, stats, options, gif, report);
}

double cappedPsnr(double squaredError, uint64_t pixels) {
  return std::min(kPsnrCeiling, psnrOf(squaredError, pixels));
}

void convertFrame(const Pixmap& picture, const Palette& shared, bool allowOwn, const ConvertOptions& options,
                  std::vector<uint8_t>& gif, ConvertReport& report) {
  const bool two = useTwoThreads(picture, options);
  const uint64_t pixels = picture.pixels.size();
  Palette own;
  const bool fewColours = exactPalette(picture, own);
  // A picture whose every colour the palette holds stays exact: nothing
  // could do better.
  if (fewColours) {
    std::vector<uint8_t> indices(pixels);
    if (remapExact(picture, shared, indices.data())) {
      report.exact = true;
      report.palette = shared;
      writeExact(picture, shared, indices.data(), two, gif);
      return;
    }
  }
  if (allowOwn) {
    // Both palettes' errors measured on the colour groups plus the spread
    // inside them, before any pixel is mapped; alone, a picture of few
    // colours is exact.
    ColourStats stats;
    gatherColourStats(picture, stats, gatherOnTwoThreads(picture, options));
    const double withShared = measurePalette(stats.colours, shared, INFINITY, 0).error + stats.cellSpread;
    double alone = 0;
    if (!fewColours) {
      wuPalette(stats, 256, own);
      refinePalette(stats, options.refinePasses, own);
      alone = measurePalette(stats.colours, own, INFINITY, 0).error + stats.cellSpread;
    }
    if (cappedPsnr(alone, pixels) - cappedPsnr(withShared, pixels) > kFallbackDb) {
      report.ownPalette = true;
      if (fewColours) {
        std::vector<uint8_t> indices(pixels);
        remapExact(picture, own, indices.data());
        report.exact = true;
        report.palette = own;
        writeExact(picture, own, indices.data(), two, gif);
      } else {
        convertWithOwnPalette(picture, stats, options, gif, report);
      }
      return;
    }
  }
  report.palette = shared;
  report.squaredError = writeNearest(picture, shared, two, gif);
}

int checkPicture(const Pixmap& picture) {
  if (picture.width <= 0 || picture.height <= 0 || picture.pixels.empty()) return kConvertEmpty;
  if (uint32_t(picture.width) > kMaxSide || uint32_t(picture.height) > kMaxSide) return kConvertTooLarge;
  if (picture.pixels.size() != size_t(picture.width) * size_t(picture.height)) return kConvertEmpty;
  return kConvertOk;
}

}  // namespace

double psnrOf(double squaredError, uint64_t pixels) {
  const double mse = squaredError / (3.0 * double(pixels));
  return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

int pictureToGif(const Pixmap& picture, const ConvertOptions& options, std::vector<uint8_t>& gif,
                 ConvertReport& report) {
  report = ConvertReport();
  const int check = checkPicture(picture);
  if (check != kConvertOk) return check;
  try {
    convert(picture, options, gif, report);
    return kConvertOk;
  } catch (const std::bad_alloc&) {
    return kConvertNoMemory;
  }
}

int frameToGif(const Pixmap& picture, const Palette& shared, bool allowOwn, const ConvertOptions& options,
               std::vector<uint8_t>& gif, ConvertReport& report) {
  report = ConvertReport();
  const int check = checkPicture(picture);
  if (check != kConvertOk) return check;
  if (shared.count < 1 || shared.count > 256) return kConvertBadPalette;
  try {
    convertFrame(picture, shared, allowOwn, options, gif, report);
    return kConvertOk;
  } catch (const std::bad_alloc&) {
    return kConvertNoMemory;
  }
}

}  // namespace imgctl
