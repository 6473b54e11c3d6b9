// gifsplice -o OUT [options] FRAME...: splices single-frame GIF files into
// one animated GIF, exactly as the program does after a rotation, with the
// parameters given on the command line instead of the dialog.
// Exits 0 when OUT was written, 1 when it was not, 2 on a usage error.
#include "gifmake/gifmake.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: gifsplice -o OUT [--loop N] [--delay D] [--disposal M]\n"
               "                 [--transparency on|off] [--background I] [--transparent I] FRAME...\n"
               "  N, D, I: 0-65535 (loop 0 = endless, delay in 1/100 s); M: 0-7\n");
}

// A whole decimal number from 0 to max, or false.
bool parseNumber(const char* text, unsigned long max, unsigned long& value) {
  if (!text || !*text || *text == '-' || *text == '+') return false;
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(text, &end, 10);
  if (errno != 0 || *end != '\0' || v > max) return false;
  value = v;
  return true;
}

} // namespace

int main(int argc, char** argv) {
  GifParams params = {};
  std::string output;
  FramePaths frames;
  for (int i = 1; i < argc; i++) {
    std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    unsigned long n = 0;
    bool ok = true;
    if (arg == "-o") {
      ok = value != nullptr;
      if (ok) output = value;
    } else if (arg == "--loop") {
      ok = parseNumber(value, 65535, n);
      params.loopCount = static_cast<uint16_t>(n);
    } else if (arg == "--delay") {
      ok = parseNumber(value, 65535, n);
      params.delay = static_cast<uint16_t>(n);
    } else if (arg == "--disposal") {
      ok = parseNumber(value, 7, n);
      params.disposalMethod = static_cast<uint8_t>(n);
    } else if (arg == "--background") {
      ok = parseNumber(value, 65535, n);
      params.backgroundIndex = static_cast<uint16_t>(n);
    } else if (arg == "--transparent") {
      ok = parseNumber(value, 65535, n);
      params.transparentIndex = static_cast<uint16_t>(n);
    } else if (arg == "--transparency") {
      ok = value && (std::strcmp(value, "on") == 0 || std::strcmp(value, "off") == 0);
      params.transparencyOn = ok && std::strcmp(value, "on") == 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "gifsplice: unknown option %s\n", arg.c_str());
      usage();
      return 2;
    } else {
      frames.push_back(arg);
      continue;
    }
    if (!ok) {
      std::fprintf(stderr, "gifsplice: bad or missing value for %s\n", arg.c_str());
      usage();
      return 2;
    }
    i++;
  }
  if (output.empty() || frames.empty()) {
    usage();
    return 2;
  }

  int written = 0;
  int r = assembleAnimatedGif(frames, output, params, &written);
  if (r != GifWritten) {
    std::fprintf(stderr, "gifsplice: %s: %s\n", output.c_str(), assembleResultText(r));
    return 1;
  }
  if (written < static_cast<int>(frames.size()))
    std::fprintf(stderr, "gifsplice: %s: %d of %d frames written; unreadable frames left out\n",
                 output.c_str(), written, static_cast<int>(frames.size()));
  return 0;
}
