// imgctl.dll under Wine, loaded at run time and bound by ordinal, called
// with the argument shapes the program uses. A wrong shape would unbalance
// the __stdcall stack and crash these tests.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "imgctl/imgctl.h"
#include "tests/imgctl/test_pictures.h"
#include "tests/support/files.h"

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

struct Library {
  HMODULE module = nullptr;
  OpenFn open = nullptr;
  QueryFn query = nullptr;
  WriteGifFn writeGif = nullptr;
  WriteJpegFn writeJpeg = nullptr;
  WritePngFn writePng = nullptr;
  ReleaseFn release = nullptr;
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
  return lib;
}

class ImgctlDll : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = loadLibrary();
    ASSERT_NE(nullptr, lib_.module);
    ASSERT_TRUE(lib_.open && lib_.query && lib_.writeGif && lib_.writeJpeg && lib_.writePng && lib_.release);
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
  for (int ordinal : {5, 10, 23, 24, 26, 56}) EXPECT_NE(nullptr, byOrdinal(lib_.module, ordinal)) << ordinal;
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
      "bmp/unsupported/pal8_rle8.bmp", "bmp/unsupported/pal4_rle4.bmp",
      "bmp/unsupported/pal8_os2_core_header_12_bytes.bmp", "bmp/unsupported/bi_jpeg_payload.bmp",
      "bmp/unsupported/bi_png_payload.bmp"};
  for (const char* name : refused) EXPECT_EQ(0u, lib_.open(testDataPath(name).c_str())) << name;
  for (const char* name : {"bmp/valid/rgb24_with_300_entry_palette.bmp", "bmp/valid/rgb24_v5_header_linked_profile.bmp",
                           "imgctl/photo_24bit_v5_header_90x112.bmp"}) {
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
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path(name).c_str(), -1, wide, MAX_PATH);
    Gdiplus::GpImage* loaded = nullptr;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::DllExports::GdipLoadImageFromFile(wide, &loaded)) << name;
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

// The palette memory at work across calls: the frames of a rotation come
// out with one colour table.
TEST_F(ImgctlDll, RotationFramesShareTheFirstTable) {
  const std::vector<uint8_t> hat = readFileBytes(testDataPath("imgctl/photo_24bit_v5_header_90x112.bmp"));
  Pixmap photo;
  ASSERT_EQ(imgctl::kBmpOk, imgctl::readBmp(hat.data(), hat.size(), photo));
  std::vector<uint8_t> firstTable;
  for (int frame = 0; frame < 8; ++frame) {
    const std::string source = writeBmp("temp.bmp", rotatedOnFill(photo, frame * 45.0, 0xFFFFFF));
    const uint32_t image = lib_.open(source.c_str());
    const std::string target = path("frame.gif");
    ASSERT_NE(0, lib_.writeGif(target.c_str(), image, 0));
    lib_.release(image);
    const std::vector<uint8_t> gif = readFileBytes(target);
    ASSERT_GT(gif.size(), 13u);
    const size_t tableSize = 3 * (size_t(1) << ((gif[10] & 7) + 1));
    const std::vector<uint8_t> table(gif.begin() + 13, gif.begin() + 13 + tableSize);
    if (frame == 0) firstTable = table;
    EXPECT_EQ(firstTable, table) << frame;
  }
}
