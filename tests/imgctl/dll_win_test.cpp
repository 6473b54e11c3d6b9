// imgctl.dll under Wine, loaded at run time and bound by ordinal, called
// with the argument shapes the program uses. A wrong shape would unbalance
// the __stdcall stack and crash these tests.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "gifmake/gifmake.h"
#include "imgctl/imgctl.h"
#include "tests/imgctl/lzw_shape.h"
#include "tests/imgctl/test_pictures.h"
#include "tests/support/files.h"
#include "tests/support/text.h"

using imgctl::Pixmap;
using namespace imgctl_test;
using namespace qbtest;

namespace {

typedef uint32_t(__stdcall* OpenFn)(const char*);
typedef int(__stdcall* QueryFn)(uint32_t, void*, uint32_t*, void*, uint32_t*);
typedef int(__stdcall* WriteGifFn)(const char*, uint32_t, uint32_t);
typedef int(__stdcall* WriteJpegFn)(const char*, uint32_t, int, uint32_t);
typedef int(__stdcall* WritePngFn)(const char*, uint32_t, uint32_t);
typedef void(__stdcall* ReleaseFn)(uint32_t);
typedef uint32_t(__stdcall* OpenWFn)(const wchar_t*);
typedef int(__stdcall* WriteGifWFn)(const wchar_t*, uint32_t, uint32_t);
typedef int(__stdcall* WriteJpegWFn)(const wchar_t*, uint32_t, int, uint32_t);
typedef int(__stdcall* WritePngWFn)(const wchar_t*, uint32_t, uint32_t);

struct Library {
  HMODULE module = nullptr;
  OpenFn open = nullptr;
  QueryFn query = nullptr;
  WriteGifFn writeGif = nullptr;
  WriteJpegFn writeJpeg = nullptr;
  WritePngFn writePng = nullptr;
  ReleaseFn release = nullptr;
  OpenWFn openW = nullptr;
  QueryFn queryW = nullptr;
  WriteGifWFn writeGifW = nullptr;
  WriteJpegWFn writeJpegW = nullptr;
  WritePngWFn writePngW = nullptr;
};

FARPROC byOrdinal(HMODULE m, int ordinal) { return GetProcAddress(m, MAKEINTRESOURCEA(ordinal)); }

// FARPROC to the real signature (through void*, which says we mean it).
template <typename F>
F bind(HMODULE m, int ordinal) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(byOrdinal(m, ordinal)));
}

// The DLL beside this test program, as the program finds it beside itself.
Library loadLibrary() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self);
  path = path.substr(0, path.find_last_of('\\') + 1) + "imgctl.dll";
  Library lib;
  lib.module = LoadLibraryA(path.c_str());
  if (!lib.module) return lib;
  lib.open = bind<OpenFn>(lib.module, 23);
  lib.query = bind<QueryFn>(lib.module, 10);
  lib.writeGif = bind<WriteGifFn>(lib.module, 56);
  lib.writeJpeg = bind<WriteJpegFn>(lib.module, 24);
  lib.writePng = bind<WritePngFn>(lib.module, 26);
  lib.release = bind<ReleaseFn>(lib.module, 5);
  lib.openW = bind<OpenWFn>(lib.module, 59);
  lib.writeJpegW = bind<WriteJpegWFn>(lib.module, 60);
  lib.writePngW = bind<WritePngWFn>(lib.module, 61);
  lib.writeGifW = bind<WriteGifWFn>(lib.module, 62);
  lib.queryW = bind<QueryFn>(lib.module, 64);
  return lib;
}

class ImgctlDll : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = loadLibrary();
    ASSERT_NE(nullptr, lib_.module);
    ASSERT_TRUE(lib_.open && lib_.query && lib_.writeGif && lib_.writeJpeg && lib_.writePng && lib_.release);
    ASSERT_TRUE(lib_.openW && lib_.queryW && lib_.writeGifW && lib_.writeJpegW && lib_.writePngW);
  }
  void TearDown() override {
    if (lib_.module) FreeLibrary(lib_.module);
  }
  std::string path(const char* name) const { return folder_.file(name); }
  // A few-colour picture written as a 24-bit BMP in the scratch folder.
  std::string writeBmp(const char* name, const Pixmap& p) {
    const std::string file = path(name);
    EXPECT_TRUE(writeFile(file, bmpOf(p)));
    return file;
  }

  Library lib_;
  ScratchFolder folder_;
};

Pixmap fewColours(int w, int h, uint32_t seed) {
  std::vector<uint32_t> colours = spreadColours(12);
  for (uint32_t& c : colours) c ^= seed;
  return paletteTiles(w, h, colours);
}

}  // namespace

TEST_F(ImgctlDll, ExportsByOrdinalOnly) {
  for (int ordinal : {5, 10, 23, 24, 26, 56, 57, 58, 59, 60, 61, 62, 63, 64}) EXPECT_NE(nullptr, byOrdinal(lib_.module, ordinal)) << ordinal;
  EXPECT_EQ(nullptr, byOrdinal(lib_.module, 1));
  EXPECT_EQ(nullptr, GetProcAddress(lib_.module, "imgctlOpen"));
  EXPECT_EQ(nullptr, GetProcAddress(lib_.module, "imgctlOpen@4"));
}

// The whole round of one conversion, as the program makes it.
TEST_F(ImgctlDll, OpenQueryWriteRelease) {
  const Pixmap picture = fewColours(33, 21, 0);
  const std::string source = writeBmp("in.bmp", picture);
  const uint32_t image = lib_.open(source.c_str());
  ASSERT_NE(0u, image);

  uint32_t sizeA = 0, sizeB = 0;
  EXPECT_NE(0, lib_.query(image, nullptr, &sizeA, nullptr, &sizeB));
  ASSERT_EQ(sizeof(ImgctlInfo), sizeA);
  ASSERT_EQ(source.size() + 1, sizeB);
  std::vector<uint8_t> a(sizeA), b(sizeB);
  EXPECT_NE(0, lib_.query(image, a.data(), &sizeA, b.data(), &sizeB));
  ImgctlInfo info;
  memcpy(&info, a.data(), sizeof info);
  EXPECT_EQ(33, info.width);
  EXPECT_EQ(21, info.height);
  EXPECT_EQ(24u, info.bitCount);
  EXPECT_EQ(source, std::string(reinterpret_cast<char*>(b.data())));
  uint32_t small = sizeA - 1;
  EXPECT_EQ(0, lib_.query(image, a.data(), &small, b.data(), &sizeB));  // buffer A too small
  EXPECT_EQ(0, lib_.query(image, nullptr, nullptr, nullptr, &sizeB));

  const std::string target = path("out.gif");
  EXPECT_NE(0, lib_.writeGif(target.c_str(), image, 0));
  EXPECT_EQ(picture.pixels, gifPixels(target).pixels);
  EXPECT_EQ(0, lib_.writeGif(target.c_str(), image, 1));  // unknown flags
  lib_.release(image);

  EXPECT_EQ(0, lib_.query(image, nullptr, &sizeA, nullptr, &sizeB));
  EXPECT_EQ(0, lib_.writeGif(path("again.gif").c_str(), image, 0));
  lib_.release(image);  // twice: ignored
  EXPECT_EQ((std::set<std::string>{"in.bmp", "out.gif"}), filesIn(folder_.path()));
}

// The UTF-16 entries take names no ANSI code page holds; the ANSI entries
// cannot name such a file and fail as for a missing one.
TEST_F(ImgctlDll, WideEntriesTakeAnyNameTheFileSystemHolds) {
  const Pixmap picture = fewColours(17, 9, 5);
  const std::string source = writeBmp("한국어 ✓.bmp", picture);
  EXPECT_EQ(0u, lib_.open(source.c_str()));
  const uint32_t image = lib_.openW(wide(source).c_str());
  ASSERT_NE(0u, image);
  uint32_t sizeA = 0, sizeB = 0;
  ASSERT_NE(0, lib_.queryW(image, nullptr, &sizeA, nullptr, &sizeB));
  std::vector<uint8_t> a(sizeA), b(sizeB);
  ASSERT_NE(0, lib_.queryW(image, a.data(), &sizeA, b.data(), &sizeB));
  EXPECT_EQ(source, utf8(reinterpret_cast<const wchar_t*>(b.data())));
  const struct {
    const char* name;
    int (*write)(const Library&, const std::wstring&, uint32_t);
  } writers[] = {
      {"café 😀.gif", [](const Library& l, const std::wstring& p, uint32_t i) { return l.writeGifW(p.c_str(), i, 0); }},
      {"Ελλάδα.jpg", [](const Library& l, const std::wstring& p, uint32_t i) { return l.writeJpegW(p.c_str(), i, 90, 0); }},
      {"✓ 1.png", [](const Library& l, const std::wstring& p, uint32_t i) { return l.writePngW(p.c_str(), i, 0); }},
  };
  for (const auto& w : writers) EXPECT_NE(0, w.write(lib_, wide(path(w.name)), image)) << w.name;
  EXPECT_EQ(picture.pixels, gifPixels(path("café 😀.gif")).pixels);
  lib_.release(image);
  EXPECT_EQ((std::set<std::string>{"한국어 ✓.bmp", "café 😀.gif", "Ελλάδα.jpg", "✓ 1.png"}), filesIn(folder_.path()));
}

TEST_F(ImgctlDll, UnknownHandlesFailCleanly) {
  uint32_t sizeA = 7, sizeB = 7;
  for (uint32_t h : {0u, 1u, 0x101u, 0xFFFFFFFFu, 0x12345640u, 0xDEADBEEFu}) {
    EXPECT_EQ(0, lib_.query(h, nullptr, &sizeA, nullptr, &sizeB)) << h;
    EXPECT_EQ(0, lib_.writeGif(path("x.gif").c_str(), h, 0)) << h;
    EXPECT_EQ(0, lib_.writeJpeg(path("x.jpg").c_str(), h, 75, 0)) << h;
    EXPECT_EQ(0, lib_.writePng(path("x.png").c_str(), h, 0)) << h;
    lib_.release(h);
  }
  EXPECT_EQ(7u, sizeA);
  EXPECT_TRUE(filesIn(folder_.path()).empty());
}

// A released slot's next image gets a new handle; the old one stays dead.
TEST_F(ImgctlDll, ReleasedHandlesStayDeadAndTheTableRefillsWhenFull) {
  const std::string source = writeBmp("in.bmp", fewColours(4, 4, 0));
  std::vector<uint32_t> handles;
  for (;;) {
    const uint32_t h = lib_.open(source.c_str());
    if (h == 0) break;
    handles.push_back(h);
    ASSERT_LT(handles.size(), 1000u);
  }
  EXPECT_EQ(64u, handles.size());
  const uint32_t old = handles[10];
  lib_.release(old);
  const uint32_t fresh = lib_.open(source.c_str());
  ASSERT_NE(0u, fresh);
  EXPECT_NE(old, fresh);
  uint32_t sizeA = 0, sizeB = 0;
  EXPECT_EQ(0, lib_.query(old, nullptr, &sizeA, nullptr, &sizeB));
  EXPECT_NE(0, lib_.query(fresh, nullptr, &sizeA, nullptr, &sizeB));
  handles[10] = fresh;
  for (uint32_t h : handles) lib_.release(h);
}

TEST_F(ImgctlDll, OpenRefusesWhatItCannotRead) {
  EXPECT_EQ(0u, lib_.open(path("missing.bmp").c_str()));
  EXPECT_EQ(0u, lib_.open(folder_.path().c_str()));
  EXPECT_EQ(0u, lib_.open(testDataPath("imgctl/painting_tiny_21x32.png").c_str()));
  const char* refused[] = {
      "bmp/malformed/bad_bitcount_30000.bmp", "bmp/malformed/bad_header_size_66.bmp",
      "bmp/malformed/bad_palette_size_305m.bmp", "bmp/malformed/bad_planes_30000.bmp",
      "bmp/malformed/bad_rle_data.bmp", "bmp/malformed/fuzzed_57_bytes_offset_2147483440.bmp",
      "bmp/malformed/huge_3000000x2000000_24bit.bmp", "bmp/malformed/negative_width.bmp",
      "bmp/malformed/pal8_index_beyond_palette.bmp", "bmp/malformed/pixel_data_one_byte_short.bmp",
      "bmp/malformed/rle8_row_overflow.bmp", "bmp/malformed/rle_with_negative_height.bmp",
      "bmp/malformed/truncated_273_of_1086_bytes.bmp", "bmp/unsupported/rgb16_565_bitfields.bmp",
      "bmp/rle/rle8_run_crosses_row_end.bmp", "bmp/rle/rle8_escape_cut.bmp",
      "bmp/unsupported/pal8_os2_core_header_12_bytes.bmp", "bmp/unsupported/bi_jpeg_payload.bmp",
      "bmp/unsupported/bi_png_payload.bmp"};
  for (const char* name : refused) EXPECT_EQ(0u, lib_.open(testDataPath(name).c_str())) << name;
  for (const char* name : {"bmp/valid/rgb24_with_300_entry_palette.bmp", "bmp/valid/rgb24_v5_header_linked_profile.bmp",
                           "imgctl/photo_24bit_v5_header_90x112.bmp", "bmp/unsupported/pal8_rle8.bmp",
                           "bmp/unsupported/pal4_rle4.bmp"}) {
    const uint32_t h = lib_.open(testDataPath(name).c_str());
    EXPECT_NE(0u, h) << name;
    lib_.release(h);
  }
}

// GDI+ reads back what the JPEG and PNG writers wrote, at the right size.
TEST_F(ImgctlDll, JpegAndPngWritersWriteRealFiles) {
  const std::string source = writeBmp("in.bmp", syntheticPhoto(50, 30));
  const uint32_t image = lib_.open(source.c_str());
  ASSERT_NE(0u, image);
  EXPECT_NE(0, lib_.writeJpeg(path("out.jpg").c_str(), image, 75, 0));
  EXPECT_NE(0, lib_.writePng(path("out.png").c_str(), image, 0));
  EXPECT_EQ(0, lib_.writeJpeg(path("bad.jpg").c_str(), image, 101, 0));
  lib_.release(image);

  const std::vector<uint8_t> jpeg = readFileBytes(path("out.jpg")), png = readFileBytes(path("out.png"));
  ASSERT_GT(jpeg.size(), 100u);
  ASSERT_GT(png.size(), 100u);
  EXPECT_EQ(0xFF, jpeg[0]);
  EXPECT_EQ(0xD8, jpeg[1]);
  EXPECT_EQ(0x89, png[0]);
  EXPECT_EQ('P', png[1]);

  ULONG_PTR token;
  Gdiplus::GdiplusStartupInput input;
  ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&token, &input, nullptr));
  for (const char* name : {"out.jpg", "out.png"}) {
    Gdiplus::GpImage* loaded = nullptr;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::DllExports::GdipLoadImageFromFile(wide(path(name)).c_str(), &loaded)) << name;
    UINT w = 0, h = 0;
    Gdiplus::DllExports::GdipGetImageWidth(loaded, &w);
    Gdiplus::DllExports::GdipGetImageHeight(loaded, &h);
    EXPECT_EQ(50u, w);
    EXPECT_EQ(30u, h);
    Gdiplus::DllExports::GdipDisposeImage(loaded);
  }
  Gdiplus::GdiplusShutdown(token);
  EXPECT_EQ((std::set<std::string>{"in.bmp", "out.jpg", "out.png"}), filesIn(folder_.path()));
}

namespace {

// The pixels GDI+ decodes from a file, as 0x00RRGGBB; width 0 when it
// cannot. GDI+ must be started.
Pixmap gdiplusPixels(const std::string& file) {
  Pixmap p;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromFile(wide(file).c_str(), &bitmap) != Gdiplus::Ok) return p;
  UINT w = 0, h = 0;
  Gdiplus::DllExports::GdipGetImageWidth(bitmap, &w);
  Gdiplus::DllExports::GdipGetImageHeight(bitmap, &h);
  Gdiplus::GpRect area(0, 0, INT(w), INT(h));
  Gdiplus::BitmapData data = {};
  if (Gdiplus::DllExports::GdipBitmapLockBits(bitmap, &area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                                              &data) == Gdiplus::Ok) {
    p.width = int(w);
    p.height = int(h);
    for (UINT y = 0; y < h; ++y) {
      const uint32_t* row =
          reinterpret_cast<const uint32_t*>(static_cast<const char*>(data.Scan0) + INT(y) * data.Stride);
      for (UINT x = 0; x < w; ++x) p.pixels.push_back(row[x] & 0xFFFFFF);
    }
    Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap, &data);
  }
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  return p;
}

}  // namespace

// GDI+, which the program shows GIFs with, reads every pixel of what the
// writer writes where the LZW table fills and the writer keeps sending
// codes from the full table: a photo, which clears a few thousand pixels
// after each fill (and would send code 4095 there, which Wine's GDI+
// misreads, if the writer did not hold it back); repeated rows, which keep
// their full table to the end; repeated rows then noise, kept and then
// cleared. Each case first shows that its stream does that.
TEST_F(ImgctlDll, GdiplusReadsEveryPixelAfterTheLzwTableFills) {
  struct Case {
    const char* name;
    Pixmap picture;
    bool exact;     // 256 colours at most: the pixels come back as they were
    size_t clears;  // clear codes in the stream, the opening one included (0: at least 2)
  };
  const Case cases[] = {
      {"photo", syntheticPhoto(400, 300, 3), false, 0},
      {"repeated rows", repeatedRows(300, 5, 32, 0), true, 1},
      {"repeated rows, then noise", repeatedRows(300, 5, 32, 100), true, 0},
  };
  ULONG_PTR token;
  Gdiplus::GdiplusStartupInput input;
  ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&token, &input, nullptr));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint32_t image = lib_.open(writeBmp("in.bmp", c.picture).c_str());
    ASSERT_NE(0u, image);
    const std::string target = path("out.gif");
    EXPECT_NE(0, lib_.writeGif(target.c_str(), image, 0));
    lib_.release(image);
    int codeSize = 0;
    const std::vector<uint8_t> codes = gifCodes(readFileBytes(target), codeSize);
    const LzwShape shape = lzwShapeOf(codes, codeSize);
    EXPECT_GT(shape.codesOnFullTable, 1000u);
    if (c.clears > 0) {
      EXPECT_EQ(c.clears, shape.clearsAt.size());
    } else {
      EXPECT_GE(shape.clearsAt.size(), 2u);
    }
    const Pixmap ours = gifPixels(target);
    if (c.exact) {
      EXPECT_TRUE(c.picture.pixels == ours.pixels);
    }
    const Pixmap theirs = gdiplusPixels(target);
    ASSERT_EQ(c.picture.width, theirs.width);
    ASSERT_EQ(ours.pixels.size(), theirs.pixels.size());
    const auto differ = std::mismatch(ours.pixels.begin(), ours.pixels.end(), theirs.pixels.begin());
    EXPECT_TRUE(differ.first == ours.pixels.end())
        << "first difference at pixel " << (differ.first - ours.pixels.begin());
  }
  Gdiplus::GdiplusShutdown(token);
  EXPECT_EQ((std::set<std::string>{"in.bmp", "out.gif"}), filesIn(folder_.path()));
}

// A write that cannot complete leaves an existing target as it was and no
// temporary file behind.
TEST_F(ImgctlDll, FailedWritesLeaveTargetsAlone) {
  const std::string source = writeBmp("in.bmp", fewColours(8, 8, 0));
  const uint32_t image = lib_.open(source.c_str());
  ASSERT_NE(0u, image);
  // A target another program holds open, without sharing, cannot be
  // replaced.
  const std::string locked = path("locked.gif");
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  ASSERT_TRUE(writeFile(locked, old));
  HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  EXPECT_EQ(0, lib_.writeGif(locked.c_str(), image, 0));
  EXPECT_EQ(0, lib_.writePng(locked.c_str(), image, 0));
  CloseHandle(holder);
  EXPECT_EQ(old, readFileBytes(locked));

  const std::string folderTarget = path("sub");
  folder_.makeFolder("sub");
  EXPECT_EQ(0, lib_.writeGif(folderTarget.c_str(), image, 0));
  EXPECT_EQ(0, lib_.writePng(folderTarget.c_str(), image, 0));

  EXPECT_EQ(0, lib_.writeGif(path("no such folder\\out.gif").c_str(), image, 0));
  EXPECT_EQ(0, lib_.writeJpeg(path("no such folder\\out.jpg").c_str(), image, 75, 0));
  lib_.release(image);
  EXPECT_EQ((std::set<std::string>{"in.bmp", "locked.gif"}), filesIn(folder_.path()));

  // The same target, writable again, is replaced.
  const uint32_t again = lib_.open(source.c_str());
  EXPECT_NE(0, lib_.writeGif(locked.c_str(), again, 0));
  lib_.release(again);
  EXPECT_EQ(fewColours(8, 8, 0).pixels, gifPixels(locked).pixels);
}

namespace {

struct ThreadJob {
  Library* lib;
  std::string source, target;
  Pixmap expected;
  int rounds;
  int good;
};

DWORD WINAPI convertRounds(void* argument) {
  ThreadJob* job = static_cast<ThreadJob*>(argument);
  for (int i = 0; i < job->rounds; ++i) {
    const uint32_t image = job->lib->open(job->source.c_str());
    uint32_t sizeA = 0, sizeB = 0;
    job->lib->query(image, nullptr, &sizeA, nullptr, &sizeB);
    std::vector<uint8_t> a(sizeA), b(sizeB);
    const bool ok = image != 0 && job->lib->query(image, a.data(), &sizeA, b.data(), &sizeB) != 0 &&
                    job->lib->writeGif(job->target.c_str(), image, 0) != 0;
    job->lib->release(image);
    if (ok && gifPixels(job->target).pixels == job->expected.pixels) ++job->good;
  }
  return 0;
}

}  // namespace

// Two threads convert different pictures at the same time, each through
// its own handles, as the save command and the rotation worker may.
TEST_F(ImgctlDll, TwoThreadsConvertAtOnce) {
  ThreadJob jobs[2];
  for (int t = 0; t < 2; ++t) {
    jobs[t].lib = &lib_;
    jobs[t].expected = fewColours(120 + t * 7, 90, uint32_t(t) * 0x10101);
    jobs[t].source = writeBmp(t ? "b.bmp" : "a.bmp", jobs[t].expected);
    jobs[t].target = path(t ? "b.gif" : "a.gif");
    jobs[t].rounds = 25;
    jobs[t].good = 0;
  }
  HANDLE threads[2];
  for (int t = 0; t < 2; ++t) threads[t] = CreateThread(nullptr, 0, convertRounds, &jobs[t], 0, nullptr);
  WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  for (HANDLE h : threads) CloseHandle(h);
  EXPECT_EQ(25, jobs[0].good);
  EXPECT_EQ(25, jobs[1].good);
  EXPECT_EQ((std::set<std::string>{"a.bmp", "a.gif", "b.bmp", "b.gif"}), filesIn(folder_.path()));
}

// The frame entries (57, 58) through the C++ wrappers, bound by the
// ordinal import library as the program binds them.

namespace {

// Four flat colours in blocks, as a logo would be.
Pixmap fourColours(int w, int h) {
  Pixmap p;
  p.width = w;
  p.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t c = 0xF4F0E8;
      if (x > w / 7 && x < w / 2 && y > h / 8 && y < h / 2) c = 0xC01020;
      if (y > h * 6 / 7) c = 0x20A040;
      if ((x - w * 2 / 3) * (x - w * 2 / 3) + (y - h * 2 / 3) * (y - h * 2 / 3) < w * w / 16) c = 0x1040C0;
      p.pixels.push_back(c);
    }
  return p;
}

// The global table bytes of a GIF file, and whether any image has a table
// of its own.
struct Tables {
  std::vector<uint8_t> global;
  int images = 0;
  int local = 0;
};

Tables tablesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  GifFile file;
  Tables t;
  if (readGifFile(in, file) != GifOk) return t;
  t.global = file.globalTable;
  t.images = int(file.images.size());
  for (const GifImageInfo& image : file.images) t.local += image.hasLocalTable;
  return t;
}

// The palette as the encoder pads it: black entries up to a power of two.
std::vector<uint8_t> padded(const ImgctlPalette& palette) {
  size_t entries = 2;
  while (entries < palette.count) entries *= 2;
  std::vector<uint8_t> bytes(palette.rgb, palette.rgb + 3 * palette.count);
  bytes.resize(3 * entries, 0);
  return bytes;
}

}  // namespace

// A logo turned on a fill: the turn's palette has the fill at index 0 and
// the logo's colours; frames written with it carry it byte for byte as
// their global table (whatever the rows' stride), and two of them splice
// into an animated GIF with one global table and no local ones.
TEST_F(ImgctlDll, TurnFramesSpliceUnderOneGlobalTable) {
  const Pixmap logo = fourColours(60, 80);
  const uint32_t fill = 0x3050A0, fillColorref = 0xA05030;
  ImgctlPalette palette;
  ASSERT_TRUE(imgctlTurnPalette(logo.pixels.data(), logo.width, logo.height, logo.width * 4, fillColorref, palette));
  ASSERT_GT(palette.count, 5u);
  EXPECT_EQ((std::vector<uint8_t>{0x30, 0x50, 0xA0}), std::vector<uint8_t>(palette.rgb, palette.rgb + 3));
  FramePaths frames;
  for (int step = 0; step < 2; ++step) {
    const Pixmap turned = rotatedOnFill(logo, step * 30.0, fill);
    // Rows 8 bytes longer than the pixels, the padding full of junk.
    const int stride = turned.width * 4 + 8;
    std::vector<uint32_t> rows(size_t(stride / 4) * turned.height, 0xFFABCDEF);
    for (int y = 0; y < turned.height; ++y)
      std::copy(turned.pixels.begin() + size_t(y) * turned.width, turned.pixels.begin() + size_t(y + 1) * turned.width,
                rows.begin() + size_t(y) * (stride / 4));
    frames.push_back(path(step ? "temp1.gif" : "temp0.gif"));
    EXPECT_EQ(IMGCTL_USED_SHARED_PALETTE, imgctlWriteFrameGif(frames.back().c_str(), rows.data(), turned.width,
                                                              turned.height, stride, palette, true));
    EXPECT_EQ(padded(palette), tablesOf(frames.back().string()).global);
    const std::string tight = path("tight.gif");
    EXPECT_EQ(IMGCTL_USED_SHARED_PALETTE, imgctlWriteFrameGif(wide(tight).c_str(), turned.pixels.data(), turned.width,
                                                              turned.height, turned.width * 4, palette, true));
    EXPECT_EQ(readFileBytes(frames.back().string()), readFileBytes(tight));
    DeleteFileA(tight.c_str());
  }
  GifParams params = {};
  params.delay = 10;
  int written = 0;
  ASSERT_EQ(GifWritten, assembleAnimatedGif(frames, path("turn.gif"), params, &written));
  EXPECT_EQ(2, written);
  const Tables t = tablesOf(path("turn.gif"));
  EXPECT_EQ(2, t.images);
  EXPECT_EQ(0, t.local);
  EXPECT_EQ(padded(palette), t.global);
}

// A photo given a palette of four greys: kept when no fallback is allowed,
// its own palette when it is; arguments the entries refuse write nothing.
TEST_F(ImgctlDll, FrameFallsBackToItsOwnPaletteOnlyWhenAllowed) {
  const std::vector<uint8_t> hat = readFileBytes(testDataPath("imgctl/photo_24bit_v5_header_90x112.bmp"));
  Pixmap photo;
  ASSERT_EQ(imgctl::kBmpOk, imgctl::readBmp(hat.data(), hat.size(), photo));
  ImgctlPalette grey;
  grey.count = 4;
  for (int i = 0; i < 12; ++i) grey.rgb[i] = uint8_t(0x55 * (i / 3));
  const uint32_t* px = photo.pixels.data();
  const int w = photo.width, h = photo.height;
  EXPECT_EQ(IMGCTL_USED_SHARED_PALETTE, imgctlWriteFrameGif(wide(path("kept.gif")).c_str(), px, w, h, w * 4, grey, false));
  EXPECT_EQ(padded(grey), tablesOf(path("kept.gif")).global);
  EXPECT_EQ(IMGCTL_USED_OWN_PALETTE, imgctlWriteFrameGif(wide(path("own.gif")).c_str(), px, w, h, w * 4, grey, true));
  EXPECT_EQ(768u, tablesOf(path("own.gif")).global.size());

  ImgctlPalette none;
  ImgctlPalette turn;
  EXPECT_EQ(0, imgctlWriteFrameGif(wide(path("x.gif")).c_str(), px, w, h, w * 4, none, true));
  EXPECT_EQ(0, imgctlWriteFrameGif(wide(path("x.gif")).c_str(), px, w, h, w * 4 - 4, grey, true));
  EXPECT_EQ(0, imgctlWriteFrameGif(wide(path("x.gif")).c_str(), nullptr, w, h, w * 4, grey, true));
  EXPECT_EQ(0, imgctlWriteFrameGif(wide(path("x.gif")).c_str(), px, 0, h, w * 4, grey, true));
  EXPECT_EQ(0, imgctlWriteGifWithPalette(path("x.gif").c_str(), px, w, h, w * 4, grey.rgb, 257, 0));
  EXPECT_EQ(0, imgctlWriteGifWithPalette(path("x.gif").c_str(), px, w, h, w * 4, grey.rgb, 4, 4));
  EXPECT_EQ(0, imgctlWriteFrameGif(wide(path("no such folder\\x.gif")).c_str(), px, w, h, w * 4, grey, true));
  EXPECT_FALSE(imgctlTurnPalette(px, w, h, w * 2, 0, turn));
  EXPECT_EQ(0, imgctlMakeTurnPalette(px, w, h, w * 4, 0, turn.rgb, nullptr));
  EXPECT_EQ((std::set<std::string>{"kept.gif", "own.gif"}), filesIn(folder_.path()));
}

namespace {

struct FrameJob {
  const std::vector<Pixmap>* frames;
  const ImgctlPalette* palette;
  std::string folder;
  int first, step;  // frames first, first + step, ...
  bool oneThread;
  int good;
};

DWORD WINAPI writeFrames(void* argument) {
  FrameJob* job = static_cast<FrameJob*>(argument);
  for (size_t i = size_t(job->first); i < job->frames->size(); i += size_t(job->step)) {
    const Pixmap& f = (*job->frames)[i];
    const std::string name = job->folder + "\\temp" + std::to_string(i) + ".gif";
    if (imgctlWriteFrameGif(wide(name).c_str(), f.pixels.data(), f.width, f.height, f.width * 4, *job->palette, true,
                            job->oneThread) != 0)
      ++job->good;
  }
  return 0;
}

}  // namespace

// The frames of a turn written on one thread, on four at once, and with
// the no-helper-thread flag: the same bytes, frame for frame. The frames
// are large enough for the library's own two-thread path.
TEST_F(ImgctlDll, FrameBytesDoNotDependOnThreads) {
  const Pixmap photo = syntheticPhoto(400, 300, 6);
  ImgctlPalette palette;
  ASSERT_TRUE(imgctlTurnPalette(photo.pixels.data(), photo.width, photo.height, photo.width * 4, 0xFFFFFF, palette));
  std::vector<Pixmap> frames;
  for (int step = 0; step < 8; ++step) frames.push_back(rotatedOnFill(photo, step * 45.0 + 10, 0xFFFFFF));
  ASSERT_GE(frames[0].pixels.size(), size_t(1) << 17);
  std::vector<std::vector<std::vector<uint8_t>>> runs;
  for (int threads : {1, 4, 0}) {
    SCOPED_TRACE(threads);
    const std::string sub = path(("run" + std::to_string(threads)).c_str());
    CreateDirectoryA(sub.c_str(), nullptr);
    const int n = threads == 0 ? 1 : threads;
    std::vector<FrameJob> jobs(static_cast<size_t>(n));
    std::vector<HANDLE> handles;
    for (int t = 0; t < n; ++t) {
      jobs[size_t(t)] = FrameJob{&frames, &palette, sub, t, n, threads == 0, 0};
      handles.push_back(CreateThread(nullptr, 0, writeFrames, &jobs[size_t(t)], 0, nullptr));
    }
    WaitForMultipleObjects(DWORD(n), handles.data(), TRUE, INFINITE);
    int good = 0;
    for (int t = 0; t < n; ++t) {
      CloseHandle(handles[size_t(t)]);
      good += jobs[size_t(t)].good;
    }
    EXPECT_EQ(8, good);
    std::vector<std::vector<uint8_t>> bytes;
    for (int i = 0; i < 8; ++i) bytes.push_back(readFileBytes(sub + "\\temp" + std::to_string(i) + ".gif"));
    runs.push_back(bytes);
    removeTree(sub);
  }
  for (int i = 0; i < 8; ++i) {
    ASSERT_GT(runs[0][size_t(i)].size(), 800u) << i;
    EXPECT_EQ(runs[0][size_t(i)], runs[1][size_t(i)]) << i;
    EXPECT_EQ(runs[0][size_t(i)], runs[2][size_t(i)]) << i;
  }
}
