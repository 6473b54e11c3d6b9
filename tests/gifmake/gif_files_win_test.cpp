// The writer's file handling on Windows: code page 932 paths go through the
// ANSI functions unchanged, and the finished output replaces an existing
// file in one move, while a failure leaves it alone.
#include "tests/gifmake/gif_fixture.h"

#include <windows.h>

#include "core/replace.h"

using namespace giftest;

namespace {

std::string inFolder(const TempDir& dir, const std::string& name) { return dir.path().string() + "\\" + name; }

void writeNarrow(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readNarrow(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(WindowsFiles, JapanesePathsForFramesAndOutput) {
  ASSERT_EQ(GetACP(), 932u) << "the tests run with the Japanese code page";
  TempDir dir;
  std::string frame0 = inFolder(dir, "回転フレーム0.gif"), frame1 = inFolder(dir, "回転フレーム1.gif");
  writeNarrow(frame0, frameFile(10, 10, 4, 3, payload(20, 0)));
  writeNarrow(frame1, frameFile(12, 10, 4, 3, payload(20, 1)));
  std::string out = inFolder(dir, "アニメ出力.gif");
  GifParams p{};
  p.delay = 10;
  int written = 0;
  ASSERT_EQ(assembleAnimatedGif({frame0, frame1}, out, p, &written), GifWritten);
  EXPECT_EQ(written, 2);
  GifFile f{};
  ASSERT_EQ(parse(readNarrow(out), f), GifOk);
  EXPECT_EQ(f.imageCount, 2);
  EXPECT_EQ(f.header.screenWidth, 12);

  int result = 0;
  uint16_t bits = 0;
  std::vector<uint8_t> palette = readDialogPalette(frame0, result, PaletteAutomatic, bits);
  EXPECT_EQ(result, GifOk);
  EXPECT_EQ(bits, 4);
  EXPECT_EQ(palette, bytesOf(table(4, 3)));
}

TEST(WindowsFiles, ReplaceFileOverwritesAndFailsOnMissingSource) {
  TempDir dir;
  std::string a = inFolder(dir, "a.bin"), b = inFolder(dir, "b.bin");
  writeNarrow(a, "new");
  writeNarrow(b, "old contents");
  ASSERT_TRUE(replaceWithTemp(a, b));
  EXPECT_EQ(readNarrow(b), "new");
  EXPECT_FALSE(std::filesystem::exists(a));
  EXPECT_FALSE(replaceWithTemp(a, b));
  EXPECT_EQ(readNarrow(b), "new");
}
