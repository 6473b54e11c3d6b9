// The GIF core of animated-GIF making: a block reader that records where
// everything sits in a GIF file, and a writer that splices single-frame GIF
// files into one animated GIF89a without decoding a pixel.
//
// Pure C++ over byte-exact streams (no windows.h): it builds into the Windows
// program and natively, where it is tested, fuzzed and benchmarked. The
// output file goes through core/replace.h, so a failure never leaves a
// broken one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// gif_params.cpp: the values the user chose for the next animated GIF.

struct GifParams {
  uint16_t loopCount;        // NETSCAPE2.0 loop count; 0 means endless
  uint16_t delay;            // between frames, in 1/100 second
  uint8_t disposalMethod;    // GIF disposal method 0-3; 4 is the dialog's empty item
  uint8_t transparencyOn;    // 1 sets the transparent colour flag of every frame
  uint16_t backgroundIndex;  // into the output's global table; beyond it becomes 0
  uint16_t transparentIndex; // only its low byte is written
};

// Program-wide, zero at start; the parameter dialog writes it, the assembly
// takes a snapshot of it when it starts.
extern GifParams gifParams;

// ---------------------------------------------------------------------------
// gif_reader.cpp: walking a GIF file block by block.

// Result codes of the reader. Each failure site has its own code so that a
// debugging tool can say where a file broke; callers only test for GifOk.
enum GifResult {
  GifOk = 1,             // header read / trailer reached
  GifNotGif = 0,         // the first three bytes are not "GIF"
  GifCannotOpen = -1,    // the file could not be opened (file-level callers)
  GifBadExtension = -2,  // a graphic control extension not closed by 0
  GifBadIntroducer = -3, // a block introducer other than 0x2C, 0x21, 0x3B
  GifTruncated = -4,     // the file ends inside a block or before the trailer
  GifTooLarge = -5,      // a file position beyond what 32-bit offsets hold
  GifNoImage = -6,       // the file has no image at the index asked for
};

// What a GifResult means, in a few words ("truncated"); "unknown" for any
// other number.
const char* gifResultText(int result);

// Signature and logical screen descriptor.
struct GifHeader {
  char version[3];           // "87a", "89a", ... as read, not validated
  uint16_t screenWidth;      // logical screen, pixels
  uint16_t screenHeight;
  uint16_t hasGlobalTable;   // packed bit 7
  uint16_t colourResolution; // packed bits 6-4, plus 1 (1..8)
  uint16_t sortFlag;         // packed bit 3
  uint16_t globalTableBits;  // packed bits 2-0, plus 1; set even without a table
  int32_t globalTableOffset; // file position of the table; 0 when there is none
  uint16_t backgroundIndex;  // background colour index byte
  uint16_t aspectRatio;      // pixel aspect ratio byte
};

// One image: its descriptor, where its table and data are, and the graphic
// control extension that preceded it.
struct GifImageInfo {
  uint16_t left, top, width, height; // pixels, from the image descriptor
  uint8_t hasLocalTable;             // packed bit 7
  uint8_t sortFlag;                  // packed bit 5
  uint8_t localTableBits;            // packed bits 2-0, plus 1 (1..8)
  int32_t localTableOffset;          // file position of the local table, else 0
  uint8_t interlaced;                // packed bit 6
  uint8_t lzwMinCodeSize;            // the byte before the data sub-blocks
  int32_t dataOffset;                // file position of the first sub-block size byte
  int32_t dataLength;                // bytes from there up to and including the 0 terminator
  uint8_t hasControl;                // 1 when a graphic control extension was pending
  uint8_t controlPacked;             // its packed byte, whole (bits 4-2 disposal, bit 0 transparency)
  uint16_t delay;                    // its delay, 1/100 second
  uint8_t transparentIndex;          // its transparent colour index
};

// One application extension.
struct GifAppExtension {
  uint8_t isNetscapeLoop; // identifier "NETSCAPE" with code "2.0"
  uint16_t loopCount;     // value of the loop sub-block; 0 when none was read
};

// A whole parse, for callers that want everything at once.
struct GifFile {
  GifHeader header;
  std::vector<uint8_t> globalTable;           // 3 * 2^globalTableBits bytes, or empty
  std::vector<GifImageInfo> images;           // in file order
  std::vector<GifAppExtension> appExtensions; // in file order
  int imageCount;
};

// Byte size of a colour table of `bits` bits (1..8): 3 * 2^bits.
inline int colourTableSize(int bits) { return 3 << bits; }

// Reads "GIF", the version and the logical screen descriptor, then the global
// colour table into globalTable. GifOk; GifNotGif (nothing else read);
// GifTruncated. On failure header is untouched and globalTable empty.
int readGifHeader(std::istream& in, GifHeader& header, std::vector<uint8_t>& globalTable);

// Walks the blocks after the header up to the trailer, appending one record
// per image and per application extension. GifOk at the trailer, else a
// negative GifResult; records completed before a failure stay in the lists,
// a block that failed leaves nothing. imageCount counts this call's images.
int readGifBlocks(std::istream& in, int& imageCount, std::vector<GifImageInfo>& images,
                  std::vector<GifAppExtension>& appExtensions);

// readGifHeader, then readGifBlocks when the header was read; the result is
// that of the last step run.
int readGifFile(std::istream& in, GifFile& file);

// The record at a 0-based index; for any index outside the list, one shared,
// constant all-zero record (every flag reads 0).
const GifImageInfo& imageAt(const std::vector<GifImageInfo>& images, int index);

// 0 (bytes emptied) when the image has no local table; else reads its
// 3 * 2^localTableBits bytes from localTableOffset and returns GifOk, or
// GifTruncated (bytes emptied) when the stream cannot deliver them.
int readLocalTable(const GifImageInfo& image, std::istream& in, std::vector<uint8_t>& bytes);

// ---------------------------------------------------------------------------
// gif_palette.cpp: the palette shown by the colour table dialogs.

enum PaletteMode {
  PaletteLocalFirst,  // image 0's local table, else the global table
  PaletteGlobalFirst, // the global table, else image 0's local table
  PaletteAutomatic,   // local-first for a file of 2 or more images, else global-first
};

// Reads the colour table of the first frame file at `firstFramePath`.
// result gets the reader's outcome (GifOk; GifNotGif also when the file
// cannot be opened; a negative GifResult). Returns the table bytes, owned by
// the caller, with paletteBits set to its size in bits; a failed read or a
// file without any colour table gives an empty table and paletteBits 0.
std::vector<uint8_t> readDialogPalette(const std::filesystem::path& firstFramePath, int& result,
                                       PaletteMode mode, uint16_t& paletteBits);

// ---------------------------------------------------------------------------
// gif_writer.cpp: splicing frame files into one animated GIF89a.

// The frame files of an assembly, in order.
using FramePaths = std::vector<std::filesystem::path>;

// Outcome of an assembly, for the animated-GIF worker to tell the user.
enum AssembleResult {
  GifWritten = 1,               // the output holds at least one frame
  GifOutputNotCreated = -1,     // the output could not be created or put in place
  GifFirstFrameUnreadable = -2, // the first frame file cannot be opened or parsed
  GifNoFrameWritten = -3,       // no frame file could be spliced
  GifOutputWriteFailed = -4,    // writing the output failed (disk full, ...)
  GifAssemblyStopped = -5,      // the caller's control said stop; nothing was put in place
};

// What an AssembleResult means, in a few words; "unknown failure" for any
// other number.
const char* assembleResultText(int result);

// Lets the thread that runs an assembly be followed and stopped from
// another. proceed is called on the assembling thread before each frame
// (done = frames handled so far) and once more, with done = total, just
// before the finished file is put in place of the target; when it returns
// false the assembly ends with GifAssemblyStopped and leaves nothing
// behind. The last call may wait: while it has not returned, the target is
// still the file the user had.
struct AssemblyControl {
  bool (*proceed)(void* context, int done, int total);
  void* context;
};

// Splices the frame files, in order, into outputPath with the values of
// `params`, taking image 0 of every file. Frames that cannot be read are left
// out. The output is written beside the target and put in its place only when
// complete, so on any failure an existing file at outputPath is untouched and
// nothing is left behind. framesWritten (when given) gets the frame count.
int assembleAnimatedGif(const FramePaths& framePaths, const std::filesystem::path& outputPath,
                        const GifParams& params, int* framesWritten = nullptr,
                        const AssemblyControl* control = nullptr);
// The same with a snapshot of the program-wide gifParams.
int assembleAnimatedGif(const FramePaths& framePaths, const std::filesystem::path& outputPath);

// Record of image `imageIndex` of the frame file, with its graphic control
// values replaced by the given ones (hasControl 1). GifOk, GifCannotOpen, or
// the reader's result. On failure record is untouched.
int readFrameInfo(const std::filesystem::path& path, int imageIndex, uint8_t disposalMethod,
                  uint16_t transparentIndex, uint8_t transparencyOn, uint16_t delay,
                  GifImageInfo& record);

// Writes the whole output at outputPath (see assembleAnimatedGif). A record
// whose hasControl is 0 marks a frame readFrameInfo could not read; it is
// left out. Returns an AssembleResult.
int writeAnimatedGif(const std::vector<GifImageInfo>& records, const std::vector<int>& imageIndices,
                     const std::filesystem::path& outputPath, const FramePaths& framePaths,
                     uint16_t backgroundIndex, uint16_t loopCount, int* framesWritten = nullptr,
                     const AssemblyControl* control = nullptr);

// Writes "GIF89a", the logical screen descriptor, the global table and the
// NETSCAPE2.0 block, taken from image `imageIndex` of the first frame file.
// header and globalTable come back describing exactly the table written
// (hasGlobalTable 0 and an empty table when the file has no colour table).
// GifOk; GifNotGif; a negative GifResult. Writes nothing on failure.
int writeGifHead(std::ostream& out, std::istream& firstFrame, GifHeader& header,
                 std::vector<GifImageInfo>& firstImages, uint16_t backgroundIndex,
                 std::vector<uint8_t>& globalTable, int imageIndex, uint16_t loopCount);

// Appends one frame: graphic control extension, image descriptor, a local
// table only when the frame's palette differs from the global one, and the
// frame's LZW data copied unchanged. right and bottom get the frame's edges,
// colourResolution its header's. GifOk; GifCannotOpen; GifNotGif; a negative
// GifResult. Writes nothing on failure.
int copyFrame(std::ostream& out, const std::filesystem::path& path, const GifImageInfo& record, int imageIndex,
              const std::vector<uint8_t>& globalTable, uint16_t globalTableBits, uint16_t& right,
              uint16_t& bottom, uint16_t& colourResolution);

// Writes the image's blocks, its local table when localTable is given, and
// its data copied from frame. GifOk, or GifTruncated (nothing written) when
// the data cannot be read back.
int writeImage(std::ostream& out, std::istream& frame, const GifImageInfo& image,
               const std::vector<uint8_t>* localTable);
