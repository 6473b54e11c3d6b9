// The writer's file handling on Windows: frame and output names of any
// script, and the finished output replaces an existing file in one move,
// while a failure leaves it alone.
#include "tests/gifmake/gif_fixture.h"

#include <windows.h>

#include "core/replace.h"
#include "tests/support/text.h"

using namespace giftest;
using namespace qbtest;

TEST(WindowsFiles, JapaneseAndOtherPathsForFramesAndOutput) {
  ScratchFolder dir;
  std::string frame0 = dir.file("回転フレーム0.gif"), frame1 = dir.file("Ελλάδα ✓ 1.gif");
  writeFile(frame0, frameFile(10, 10, 4, 3, payload(20, 0)));
  writeFile(frame1, frameFile(12, 10, 4, 3, payload(20, 1)));
  std::string out = dir.file("アニメ出力 café 😀.gif");
  GifParams p{};
  p.delay = 10;
  int written = 0;
  ASSERT_EQ(assembleAnimatedGif({wide(frame0), wide(frame1)}, wide(out), p, &written),
            GifWritten);
  EXPECT_EQ(written, 2);
  GifFile f{};
  ASSERT_EQ(parse(readFile(out), f), GifOk);
  EXPECT_EQ(f.imageCount, 2);
  EXPECT_EQ(f.header.screenWidth, 12);

  int result = 0;
  uint16_t bits = 0;
  std::vector<uint8_t> palette =
      readDialogPalette(wide(frame0), result, PaletteAutomatic, bits);
  EXPECT_EQ(result, GifOk);
  EXPECT_EQ(bits, 4);
  EXPECT_EQ(palette, bytesOf(table(4, 3)));
}

TEST(WindowsFiles, ReplaceFileOverwritesAndFailsOnMissingSource) {
  ScratchFolder dir;
  std::string a = dir.file("a.bin"), b = dir.file("b.bin");
  writeFile(a, "new");
  writeFile(b, "old contents");
  ASSERT_TRUE(replaceWithTemp(wide(a), wide(b)));
  EXPECT_EQ(readFile(b), "new");
  EXPECT_FALSE(qbtest::fileExists(a));
  EXPECT_FALSE(replaceWithTemp(wide(a), wide(b)));
  EXPECT_EQ(readFile(b), "new");
}
