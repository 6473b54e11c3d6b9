// libFuzzer target: the animated GIF writer given an arbitrary frame file,
// as the first frame and among good ones. The output must be a GIF the
// reader walks to its trailer with one image per frame written, or must not
// exist; no temporary file may stay behind.
#include "gifmake/gifmake.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

void writeFile(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// A good 4 x 4 frame: 4-entry global table, one image.
const unsigned char goodFrame[] = {
    'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0xF1, 0, 0,
    0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 255,
    0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0, 2, 4, 0x84, 0x8F, 0x09, 0x05, 0, 0x3B};

struct Folder {
  std::string path, frame, good, out;
  Folder() {
    path = (std::filesystem::temp_directory_path() / ("qb-gif-writer-fuzz-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(path);
    frame = path + "/frame.gif";
    good = path + "/good.gif";
    out = path + "/out.gif";
    writeFile(good, goodFrame, sizeof goodFrame);
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

void splice(const Folder& folder, const FramePaths& frames, const GifParams& params) {
  int written = -1;
  int r = assembleAnimatedGif(frames, folder.out, params, &written);
  size_t entries = 0;
  for (auto& e : std::filesystem::directory_iterator(folder.path)) {
    (void)e;
    entries++;
  }
  if (r == GifWritten) {
    check(written >= 1 && written <= static_cast<int>(frames.size()));
    std::ifstream in(folder.out, std::ios::binary);
    GifFile f{};
    check(readGifFile(in, f) == GifOk && f.imageCount == written);
    check(entries == 3);
    std::remove(folder.out.c_str());
  } else {
    check(r < 0 && written == 0 && entries == 2);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Folder folder;
  writeFile(folder.frame, data, size);
  GifParams params{};
  params.loopCount = static_cast<uint16_t>(size);
  params.delay = 10;
  params.disposalMethod = static_cast<uint8_t>(size % 5);
  params.transparencyOn = static_cast<uint8_t>(size & 1);
  params.backgroundIndex = static_cast<uint16_t>(size * 7);
  params.transparentIndex = static_cast<uint16_t>(size * 3);
  splice(folder, {folder.frame, folder.good}, params);
  splice(folder, {folder.good, folder.frame, folder.frame}, params);
  return 0;
}
