// Animated GIF writer: splices single-frame GIF files into one GIF89a file
// without decoding or re-encoding a pixel.
//
// Layout of the output:
//   "GIF89a", logical screen descriptor (width, height, packed, background
//   index, aspect), the global colour table, the NETSCAPE2.0 looping block
//   21 FF 0B "NETSCAPE2.0" 03 01 <loop count> 00; then per frame a graphic
//   control extension 21 F9 04 <packed> <delay> <transparent index> 00, the
//   image descriptor, a local table only when the frame's palette differs
//   from the global one, the LZW minimum code size and the frame's data
//   sub-blocks copied byte for byte; then the trailer 3B. The screen size and
//   packed byte are patched at the end, once every frame's edges are known.
//
// The header, the global table and the screen's start values come from the
// first frame file. When that file holds 2 or more images and its image
// carries a local table, that local table becomes the global one (it is the
// table the frames are drawn with); a file with only a local table gives it
// to the output the same way.
//
// The output is written to a new file beside the target and moved over the
// target only once a whole, valid file with at least one frame exists, so a
// failure never leaves a broken animation and never destroys the file the
// user chose to overwrite.
//
// Every block goes to the output in one write from a buffer built first, so
// a frame that fails half way writes nothing. Frame files are trusted as far
// as the reader has checked them, no further: a frame without a colour table
// of its own simply uses the global one, and a first frame without any table
// gives an output without a global table, rather than claiming bytes that do
// not exist.
#include "gifmake/gifmake.h"

#include <cstring>
#include <fstream>

#include "core/replace.h"

namespace {

void putByte(std::vector<uint8_t>& to, unsigned value) { to.push_back(static_cast<uint8_t>(value)); }

void putU16(std::vector<uint8_t>& to, unsigned value) {
  to.push_back(static_cast<uint8_t>(value & 0xFF));
  to.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void putBytes(std::vector<uint8_t>& to, const void* from, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(from);
  to.insert(to.end(), p, p + n);
}

void writeBuffer(std::ostream& out, const std::vector<uint8_t>& bytes) {
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A frame placed far right or low would wrap a 16-bit sum into a screen
// smaller than the frame; the largest screen GIF can describe is the answer.
uint16_t edge(uint16_t start, uint16_t size) {
  unsigned sum = unsigned(start) + size;
  return static_cast<uint16_t>(sum > 0xFFFF ? 0xFFFF : sum);
}

// Logical screen packed byte: global table flag, colour resolution − 1,
// sort flag, table bits − 1; with no global table only the resolution.
uint8_t screenPacked(const GifHeader& header, uint16_t colourResolution) {
  unsigned packed = ((colourResolution - 1u) & 7) << 4;
  if (header.hasGlobalTable)
    packed |= 0x80 | ((header.sortFlag & 1u) << 3) | ((header.globalTableBits - 1u) & 7);
  return static_cast<uint8_t>(packed);
}

// Opens a frame file for reading with a buffer of 64 KiB: walking a frame
// reads every sub-block's size byte, and the default buffer made that walk
// most of the system calls of a splice.
bool openFrame(std::ifstream& in, std::vector<char>& buffer, const std::filesystem::path& path) {
  buffer.resize(1 << 16);
  in.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  in.open(path, std::ios::binary);
  return in.is_open();
}

// Opens a new file beside the target for the output (see core/replace.h).
bool openBesideTarget(const std::filesystem::path& target, std::filesystem::path& tempPath, std::ofstream& out) {
  if (!makeSiblingTemp(target, &tempPath)) return false;  // folder missing or not writable
  out.open(tempPath, std::ios::binary | std::ios::trunc);
  if (out.is_open()) return true;
  removeTemp(tempPath);
  return false;
}

bool mayProceed(const AssemblyControl* control, size_t done, size_t total) {
  return !control || !control->proceed ||
         control->proceed(control->context, static_cast<int>(done), static_cast<int>(total));
}

// Writes head, frames, trailer and the patched screen descriptor to out.
int writeFrames(std::ostream& out, const std::vector<GifImageInfo>& records,
                const std::vector<int>& imageIndices, const FramePaths& framePaths,
                uint16_t backgroundIndex, uint16_t loopCount, int& written,
                const AssemblyControl* control) {
  written = 0;
  if (framePaths.empty() || records.size() < framePaths.size() || imageIndices.size() < framePaths.size())
    return GifNoFrameWritten;

  GifHeader header{};
  std::vector<GifImageInfo> firstImages;
  std::vector<uint8_t> globalTable;
  {
    std::vector<char> buffer;  // outlives the stream that reads through it
    std::ifstream first;
    if (!openFrame(first, buffer, framePaths[0])) return GifFirstFrameUnreadable;
    if (writeGifHead(out, first, header, firstImages, backgroundIndex, globalTable, imageIndices[0],
                     loopCount) != GifOk)
      return GifFirstFrameUnreadable;
  }
  uint16_t globalTableBits = header.hasGlobalTable ? header.globalTableBits : 0;

  uint16_t colourResolution = header.colourResolution, maxRight = 0, maxBottom = 0;
  for (size_t i = 0; i < framePaths.size(); i++) {
    if (!mayProceed(control, i, framePaths.size())) return GifAssemblyStopped;
    // readFrameInfo sets hasControl on every record it fills; a frame it
    // could not read has no delay or disposal to give and stays out.
    if (!records[i].hasControl) continue;
    uint16_t right, bottom, frameResolution;
    if (copyFrame(out, framePaths[i], records[i], imageIndices[i], globalTable, globalTableBits, right,
                  bottom, frameResolution) <= 0)
      continue;
    if (right > maxRight) maxRight = right;
    if (bottom > maxBottom) maxBottom = bottom;
    if (frameResolution > colourResolution) colourResolution = frameResolution;
    written++;
  }
  if (written == 0) return GifNoFrameWritten;

  out.put(0x3B);
  out.seekp(6, std::ios::beg);
  std::vector<uint8_t> screen;
  putU16(screen, maxRight);
  putU16(screen, maxBottom);
  putByte(screen, screenPacked(header, colourResolution));
  writeBuffer(out, screen);
  return out ? GifWritten : GifOutputWriteFailed;
}

} // namespace

int writeImage(std::ostream& out, std::istream& frame, const GifImageInfo& image,
               const std::vector<uint8_t>* localTable) {
  if (image.dataOffset <= 0 || image.dataLength < 1) return GifNoImage;
  std::vector<uint8_t> block;
  if (image.hasControl) {
    putByte(block, 0x21);
    putByte(block, 0xF9);
    putByte(block, 0x04);
    putByte(block, image.controlPacked);
    putU16(block, image.delay);
    putByte(block, image.transparentIndex);
    putByte(block, 0x00);
  }
  putByte(block, 0x2C);
  putU16(block, image.left);
  putU16(block, image.top);
  putU16(block, image.width);
  putU16(block, image.height);
  unsigned packed = (image.interlaced & 1u) << 6;
  size_t tableSize = 0;
  if (localTable) {
    if (image.localTableBits < 1 || image.localTableBits > 8) return GifNoImage;
    tableSize = static_cast<size_t>(colourTableSize(image.localTableBits));
    if (localTable->size() < tableSize) return GifTruncated;
    packed |= 0x80 | ((image.sortFlag & 1u) << 5) | ((image.localTableBits - 1u) & 7);
  }
  putByte(block, packed);
  if (localTable) putBytes(block, localTable->data(), tableSize);
  putByte(block, image.lzwMinCodeSize);

  size_t dataStart = block.size();
  block.resize(dataStart + static_cast<size_t>(image.dataLength));
  frame.clear();
  frame.seekg(image.dataOffset, std::ios::beg);
  frame.read(reinterpret_cast<char*>(block.data() + dataStart), image.dataLength);
  // The last byte must be the terminator the reader saw; anything else means
  // the file is not the one that was parsed.
  if (frame.gcount() != image.dataLength || block.back() != 0) return GifTruncated;
  writeBuffer(out, block);
  return GifOk;
}

int writeGifHead(std::ostream& out, std::istream& firstFrame, GifHeader& header,
                 std::vector<GifImageInfo>& firstImages, uint16_t backgroundIndex,
                 std::vector<uint8_t>& globalTable, int imageIndex, uint16_t loopCount) {
  GifHeader h{};
  std::vector<uint8_t> table;
  int r = readGifHeader(firstFrame, h, table);
  if (r != GifOk) return r;
  std::vector<GifImageInfo> images;
  std::vector<GifAppExtension> appExtensions;
  int count = 0;
  if ((r = readGifBlocks(firstFrame, count, images, appExtensions)) != GifOk) return r;
  if (imageIndex < 0 || imageIndex >= count) return GifNoImage;
  const GifImageInfo& image = images[static_cast<size_t>(imageIndex)];

  if (image.hasLocalTable && (count >= 2 || !h.hasGlobalTable)) {
    std::vector<uint8_t> local;
    if ((r = readLocalTable(image, firstFrame, local)) != GifOk) return r;
    table.swap(local);
    h.hasGlobalTable = 1;
    h.sortFlag = image.sortFlag;
    h.globalTableBits = image.localTableBits;
  }
  unsigned entries = h.hasGlobalTable ? 1u << h.globalTableBits : 0;
  h.backgroundIndex = backgroundIndex < entries ? backgroundIndex : 0;

  std::vector<uint8_t> head;
  putBytes(head, "GIF89a", 6);
  putU16(head, image.width);
  putU16(head, image.height);
  putByte(head, screenPacked(h, h.colourResolution));
  putByte(head, h.backgroundIndex);
  putByte(head, h.aspectRatio);
  if (h.hasGlobalTable) putBytes(head, table.data(), table.size());
  putBytes(head, "\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
  putU16(head, loopCount);
  putByte(head, 0x00);
  writeBuffer(out, head);

  header = h;
  globalTable.swap(table);
  firstImages.swap(images);
  return GifOk;
}

int copyFrame(std::ostream& out, const std::filesystem::path& path, const GifImageInfo& record, int imageIndex,
              const std::vector<uint8_t>& globalTable, uint16_t globalTableBits, uint16_t& right,
              uint16_t& bottom, uint16_t& colourResolution) {
  std::vector<char> buffer;  // outlives the stream that reads through it
  std::ifstream in;
  if (!openFrame(in, buffer, path)) return GifCannotOpen;
  GifHeader header;
  std::vector<uint8_t> own; // the frame's own table: its global one, or its image's local one
  int r = readGifHeader(in, header, own);
  if (r != GifOk) return r;
  unsigned ownBits = header.hasGlobalTable ? header.globalTableBits : 0;
  std::vector<GifImageInfo> images;
  std::vector<GifAppExtension> appExtensions;
  int count = 0;
  if ((r = readGifBlocks(in, count, images, appExtensions)) != GifOk) return r;
  if (imageIndex < 0 || imageIndex >= count) return GifNoImage;

  GifImageInfo image = images[static_cast<size_t>(imageIndex)];
  uint16_t frameRight = edge(record.left, image.width), frameBottom = edge(record.top, image.height);
  image.left = record.left;
  image.top = record.top;
  if (image.hasLocalTable) {
    if ((r = readLocalTable(image, in, own)) != GifOk) return r;
    ownBits = image.localTableBits;
  }

  bool sameAsGlobal = ownBits != 0 && ownBits == globalTableBits &&
                      globalTable.size() == own.size() &&
                      std::memcmp(own.data(), globalTable.data(), own.size()) == 0;
  const std::vector<uint8_t>* localTable = &own;
  if (sameAsGlobal || ownBits == 0) {
    // No table of its own, or the global one again: the frame is drawn with
    // the global table.
    localTable = nullptr;
    image.hasLocalTable = 0;
    image.sortFlag = 0;
    image.localTableBits = 1;
  } else if (!image.hasLocalTable) {
    image.hasLocalTable = 1;
    image.sortFlag = static_cast<uint8_t>(header.sortFlag);
    image.localTableBits = static_cast<uint8_t>(header.globalTableBits);
  }
  // The interlace flag stays the image's own: it says how the data copied
  // below is laid out.
  image.delay = record.delay;
  image.hasControl = 1;
  image.transparentIndex = record.transparentIndex;
  image.controlPacked = record.controlPacked;
  if ((r = writeImage(out, in, image, localTable)) != GifOk) return r;
  right = frameRight;
  bottom = frameBottom;
  colourResolution = header.colourResolution;
  return GifOk;
}

int readFrameInfo(const std::filesystem::path& path, int imageIndex, uint8_t disposalMethod,
                  uint16_t transparentIndex, uint8_t transparencyOn, uint16_t delay,
                  GifImageInfo& record) {
  std::vector<char> buffer;  // outlives the stream that reads through it
  std::ifstream in;
  if (!openFrame(in, buffer, path)) return GifCannotOpen;
  GifFile file{};
  int r = readGifFile(in, file);
  if (r != GifOk) return r;
  if (imageIndex < 0 || imageIndex >= file.imageCount) return GifNoImage;
  record = imageAt(file.images, imageIndex);
  record.transparentIndex = static_cast<uint8_t>(transparentIndex & 0xFF);
  record.delay = delay;
  record.hasControl = 1;
  // Bits 4-2 disposal, bit 0 transparency; bits 7-5 are reserved and bit 1
  // (user input) is never asked for, so out-of-range values cannot set them.
  record.controlPacked = static_cast<uint8_t>(((disposalMethod & 7u) << 2) | (transparencyOn & 1u));
  return GifOk;
}

int writeAnimatedGif(const std::vector<GifImageInfo>& records, const std::vector<int>& imageIndices,
                     const std::filesystem::path& outputPath, const FramePaths& framePaths,
                     uint16_t backgroundIndex, uint16_t loopCount, int* framesWritten,
                     const AssemblyControl* control) {
  int written = 0;
  std::filesystem::path tempPath;
  std::ofstream out;
  int result = GifOutputNotCreated;
  if (openBesideTarget(outputPath, tempPath, out)) {
    result = writeFrames(out, records, imageIndices, framePaths, backgroundIndex, loopCount, written,
                         control);
    out.close();
    if (result == GifWritten && out.fail()) result = GifOutputWriteFailed;
    // The last word before the target changes: a caller that is asking its
    // user whether to stop holds the assembly here.
    if (result == GifWritten && !mayProceed(control, framePaths.size(), framePaths.size()))
      result = GifAssemblyStopped;
    if (result == GifWritten && !replaceWithTemp(tempPath, outputPath)) result = GifOutputNotCreated;
    if (result != GifWritten) removeTemp(tempPath);
  }
  if (framesWritten) *framesWritten = result == GifWritten ? written : 0;
  return result;
}

int assembleAnimatedGif(const FramePaths& framePaths, const std::filesystem::path& outputPath,
                        const GifParams& params, int* framesWritten,
                        const AssemblyControl* control) {
  std::vector<GifImageInfo> records(framePaths.size(), GifImageInfo{});
  std::vector<int> imageIndices(framePaths.size(), 0);
  for (size_t i = 0; i < framePaths.size(); i++)
    readFrameInfo(framePaths[i], 0, params.disposalMethod, params.transparentIndex,
                  params.transparencyOn, params.delay, records[i]);
  return writeAnimatedGif(records, imageIndices, outputPath, framePaths, params.backgroundIndex,
                          params.loopCount, framesWritten, control);
}

int assembleAnimatedGif(const FramePaths& framePaths, const std::filesystem::path& outputPath) {
  GifParams snapshot = gifParams;
  return assembleAnimatedGif(framePaths, outputPath, snapshot);
}
