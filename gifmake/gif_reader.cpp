// GIF block reader.
//
// A GIF file is "GIF", a 3-byte version, a 7-byte logical screen descriptor
// and an optional global colour table, then a sequence of blocks, each
// opened by one introducer byte: 0x2C an image (descriptor, optional local
// table, LZW minimum code size, data sub-blocks), 0x21 an extension (a label
// byte, then data), 0x3B the trailer. Data sub-blocks are a size byte
// followed by that many bytes, until a size byte of 0. Numbers are
// little-endian.
//
// The reader records positions and sizes only; it never decodes pixels. It
// is fed hostile files (whatever a user drops on the program ends up here
// through the palette read), so every field is read with an exact-count read
// and a short read stops the walk with GifTruncated; no field is taken from
// a failed read, and a record is appended only when its whole block was read.
// Every step consumes at least one byte, so the walk ends on any input.
#include "gifmake/gifmake.h"

#include <cstring>
#include <istream>
#include <limits>

namespace {

bool readBytes(std::istream& in, void* to, std::streamsize n) {
  in.read(static_cast<char*>(to), n);
  return in.gcount() == n;
}

bool readByte(std::istream& in, uint8_t& value) { return readBytes(in, &value, 1); }

bool readU16(std::istream& in, uint16_t& value) {
  uint8_t b[2];
  if (!readBytes(in, b, 2)) return false;
  value = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

// Skips by reading through the stream's buffer rather than seeking: a seek
// past the end of a file succeeds silently, and on a file stream every seek
// throws the buffer away, which made skipping 255-byte sub-blocks cost a
// system call each.
bool skipBytes(std::istream& in, std::streamsize n) {
  in.ignore(n);
  return in.gcount() == n;
}

// The current position as a 32-bit file offset, the width the records keep.
int position(std::istream& in, int32_t& offset) {
  std::streamoff pos = in.tellg();
  if (pos < 0) return GifTruncated;
  if (pos > std::numeric_limits<int32_t>::max()) return GifTooLarge;
  offset = static_cast<int32_t>(pos);
  return GifOk;
}

// Values of the last graphic control extension, waiting for an image.
struct PendingControl {
  uint8_t flag;
  uint8_t packed;
  uint16_t delay;
  uint8_t transparentIndex;
};

// Skips data sub-blocks including the 0 terminator; adds 1 + size for each
// and 1 for the terminator to *length when given. A frame of 1024 x 768 has
// some two thousand sub-blocks, so this loop talks to the stream buffer
// directly instead of paying for a stream sentry twice per sub-block.
int skipSubBlocks(std::istream& in, int64_t* length) {
  std::streambuf* buffer = in.rdbuf();
  if (!in || !buffer) return GifTruncated;
  char scratch[255];
  for (;;) {
    int size = buffer->sbumpc();
    if (size == std::char_traits<char>::eof()) break;
    if (length) *length += 1 + size;
    if (size == 0) return GifOk;
    if (buffer->sgetn(scratch, size) != size) break;
  }
  in.setstate(std::ios::eofbit | std::ios::failbit);
  return GifTruncated;
}

// After 0x21 0xF9: block size (not compared with 4: files in the wild carry
// other values and the four fields are where decoders read them anyway),
// packed byte, delay, transparent index, terminator.
int readGraphicControl(std::istream& in, PendingControl& pending) {
  uint8_t blockSize, packed, transparentIndex, terminator;
  uint16_t delay;
  if (!readByte(in, blockSize) || !readByte(in, packed) || !readU16(in, delay) ||
      !readByte(in, transparentIndex) || !readByte(in, terminator))
    return GifTruncated;
  if (terminator != 0) return GifBadExtension;
  pending.flag = 1;
  pending.packed = packed;
  pending.delay = delay;
  pending.transparentIndex = transparentIndex;
  return GifOk;
}

// After 0x21 0xFF: block size (not compared with 11), identifier (8 bytes),
// authentication code (3 bytes), then sub-blocks. In a looping extension a
// sub-block of size 3 is the loop sub-block: an id byte (not examined) and
// the 16-bit loop count. Everything else is skipped.
int readApplication(std::istream& in, std::vector<GifAppExtension>& appExtensions) {
  uint8_t blockSize;
  char identifier[8], code[3];
  if (!readByte(in, blockSize) || !readBytes(in, identifier, 8) || !readBytes(in, code, 3))
    return GifTruncated;
  GifAppExtension ext{};
  ext.isNetscapeLoop = std::memcmp(identifier, "NETSCAPE", 8) == 0 && std::memcmp(code, "2.0", 3) == 0;
  uint8_t size;
  for (;;) {
    if (!readByte(in, size)) return GifTruncated;
    if (size == 0) break;
    if (ext.isNetscapeLoop && size == 3) {
      uint8_t id;
      uint16_t loopCount;
      if (!readByte(in, id) || !readU16(in, loopCount)) return GifTruncated;
      ext.loopCount = loopCount;
    } else if (!skipBytes(in, size)) {
      return GifTruncated;
    }
  }
  appExtensions.push_back(ext);
  return GifOk;
}

// After 0x21: the label, then the extension. An image keeps only the
// graphic control extension right before it: any other extension in between
// (comment, application, plain text, unknown) clears it. Some decoders carry
// it over comment and application blocks; nothing here depends on that, as
// the writer replaces the control values of every frame.
int readExtension(std::istream& in, PendingControl& pending,
                  std::vector<GifAppExtension>& appExtensions) {
  uint8_t label;
  if (!readByte(in, label)) return GifTruncated;
  switch (label) {
  case 0xF9:
    return readGraphicControl(in, pending);
  case 0xFF:
    pending.flag = 0;
    return readApplication(in, appExtensions);
  case 0x01:
    // Plain text: the block size byte and the 12-byte text header, then the
    // text in sub-blocks. It is a rendering block of its own and uses up the
    // graphic control extension before it.
    pending.flag = 0;
    if (!skipBytes(in, 13)) return GifTruncated;
    return skipSubBlocks(in, nullptr);
  default:
    // Comment (0xFE), and labels this reader does not know: every extension
    // carries its data in sub-blocks, so an unknown one is skipped whole, as
    // common decoders do, rather than rejecting a readable file.
    pending.flag = 0;
    return skipSubBlocks(in, nullptr);
  }
}

// After 0x2C: the image descriptor, the local table (skipped, its position
// kept), the LZW minimum code size, and the data sub-blocks (skipped,
// position and length kept).
int readImage(std::istream& in, GifImageInfo& image) {
  GifImageInfo info{};
  uint8_t packed;
  if (!readU16(in, info.left) || !readU16(in, info.top) || !readU16(in, info.width) ||
      !readU16(in, info.height) || !readByte(in, packed))
    return GifTruncated;
  info.hasLocalTable = (packed >> 7) & 1;
  info.interlaced = (packed >> 6) & 1;
  info.sortFlag = (packed >> 5) & 1;
  info.localTableBits = static_cast<uint8_t>((packed & 7) + 1);
  int r;
  if (info.hasLocalTable) {
    if ((r = position(in, info.localTableOffset)) != GifOk) return r;
    if (!skipBytes(in, colourTableSize(info.localTableBits))) return GifTruncated;
  }
  if (!readByte(in, info.lzwMinCodeSize)) return GifTruncated;
  if ((r = position(in, info.dataOffset)) != GifOk) return r;
  int64_t length = 0;
  if ((r = skipSubBlocks(in, &length)) != GifOk) return r;
  if (info.dataOffset + length > std::numeric_limits<int32_t>::max()) return GifTooLarge;
  info.dataLength = static_cast<int32_t>(length);
  image = info;
  return GifOk;
}

} // namespace

int readGifHeader(std::istream& in, GifHeader& header, std::vector<uint8_t>& globalTable) {
  globalTable.clear();
  char signature[3];
  if (!readBytes(in, signature, 3) || std::memcmp(signature, "GIF", 3) != 0) return GifNotGif;

  GifHeader h{};
  uint8_t packed, background, aspect;
  if (!readBytes(in, h.version, 3) || !readU16(in, h.screenWidth) || !readU16(in, h.screenHeight) ||
      !readByte(in, packed) || !readByte(in, background) || !readByte(in, aspect))
    return GifTruncated;
  h.hasGlobalTable = (packed >> 7) & 1;
  h.colourResolution = static_cast<uint16_t>(((packed >> 4) & 7) + 1);
  h.sortFlag = (packed >> 3) & 1;
  h.globalTableBits = static_cast<uint16_t>((packed & 7) + 1);
  h.backgroundIndex = background;
  h.aspectRatio = aspect;

  std::vector<uint8_t> table;
  if (h.hasGlobalTable) {
    int r = position(in, h.globalTableOffset);
    if (r != GifOk) return r;
    table.resize(colourTableSize(h.globalTableBits));
    if (!readBytes(in, table.data(), static_cast<std::streamsize>(table.size()))) return GifTruncated;
  }
  header = h;
  globalTable.swap(table);
  return GifOk;
}

int readGifBlocks(std::istream& in, int& imageCount, std::vector<GifImageInfo>& images,
                  std::vector<GifAppExtension>& appExtensions) {
  imageCount = 0;
  PendingControl pending{};
  for (;;) {
    uint8_t introducer;
    if (!readByte(in, introducer)) return GifTruncated; // no trailer
    int r;
    switch (introducer) {
    case 0x2C: {
      GifImageInfo image;
      if ((r = readImage(in, image)) != GifOk) return r;
      if (pending.flag) {
        image.hasControl = 1;
        image.controlPacked = pending.packed;
        image.delay = pending.delay;
        image.transparentIndex = pending.transparentIndex;
      }
      images.push_back(image);
      imageCount++;
      pending.flag = 0;
      break;
    }
    case 0x21:
      if ((r = readExtension(in, pending, appExtensions)) != GifOk) return r;
      break;
    case 0x3B:
      return GifOk;
    default:
      return GifBadIntroducer;
    }
  }
}

int readGifFile(std::istream& in, GifFile& file) {
  file.images.clear();
  file.appExtensions.clear();
  file.imageCount = 0;
  file.header = GifHeader{};
  int r = readGifHeader(in, file.header, file.globalTable);
  if (r != GifOk) return r;
  return readGifBlocks(in, file.imageCount, file.images, file.appExtensions);
}

const GifImageInfo& imageAt(const std::vector<GifImageInfo>& images, int index) {
  static const GifImageInfo none{};
  if (index < 0 || static_cast<size_t>(index) >= images.size()) return none;
  return images[static_cast<size_t>(index)];
}

int readLocalTable(const GifImageInfo& image, std::istream& in, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (!image.hasLocalTable) return 0;
  // Records come from readImage (1..8 bits); a hand-made one out of that
  // range cannot describe a table that is in the file.
  if (image.localTableBits < 1 || image.localTableBits > 8) return GifTruncated;
  std::vector<uint8_t> table(colourTableSize(image.localTableBits));
  // A walk that ended at the trailer may have left eofbit behind on a file
  // that ends there; the positions recorded are still good.
  in.clear();
  in.seekg(image.localTableOffset, std::ios::beg);
  if (!in || !readBytes(in, table.data(), static_cast<std::streamsize>(table.size())))
    return GifTruncated;
  bytes.swap(table);
  return GifOk;
}
