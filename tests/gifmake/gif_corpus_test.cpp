// The GIF core on real files nobody here wrote (tests/data/gif, see its
// SOURCES.md): every valid file is read to its trailer with the image count
// independent decoders report and can be spliced; every malformed file gets
// the outcome its damage calls for; and cut or mutated copies of small valid
// files never make the reader misbehave (the sanitizers of the native tree
// watch every case).
#include "tests/gifmake/gif_fixture.h"

#include <fstream>
#include <map>

using namespace giftest;
using namespace qbtest;

namespace {

const std::string dataDir = testDataPath("gif");

std::map<std::string, int> expectedCounts() {
  std::map<std::string, int> counts;
  std::ifstream in(dataDir + "/valid_image_counts.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int count;
    std::string name;
    if (fields >> count >> name) counts[name] = count;
  }
  return counts;
}

std::vector<std::string> gifsIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const std::string& name : filesIn(dataDir + "/" + folder))
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".gif") == 0) names.push_back(name);
  return names;
}

// Whatever the result, the records that were kept describe bytes inside the
// file, in order, and there cannot be more of them than the file has room for.
void expectRecordsInsideFile(const GifFile& f, size_t fileSize) {
  EXPECT_LE(f.images.size() * 12, fileSize);
  EXPECT_LE(f.appExtensions.size() * 14, fileSize);
  if (f.header.hasGlobalTable) {
    EXPECT_EQ(f.globalTable.size(), static_cast<size_t>(colourTableSize(f.header.globalTableBits)));
    EXPECT_LE(f.header.globalTableOffset + f.globalTable.size(), fileSize);
  } else {
    EXPECT_TRUE(f.globalTable.empty());
  }
  int32_t previousEnd = 0;
  for (const GifImageInfo& m : f.images) {
    EXPECT_GE(m.localTableBits, 1);
    EXPECT_LE(m.localTableBits, 8);
    if (m.hasLocalTable) {
      EXPECT_GT(m.localTableOffset, previousEnd);
      EXPECT_LE(m.localTableOffset + colourTableSize(m.localTableBits), m.dataOffset - 1);
    }
    EXPECT_GT(m.dataOffset, previousEnd);
    EXPECT_GE(m.dataLength, 1);
    EXPECT_LE(static_cast<size_t>(m.dataOffset) + static_cast<size_t>(m.dataLength), fileSize);
    previousEnd = m.dataOffset + m.dataLength;
  }
}

} // namespace

TEST(GifCorpus, EveryValidFileReadsToTheTrailerWithTheDecodersImageCount) {
  auto counts = expectedCounts();
  auto names = gifsIn("valid");
  ASSERT_EQ(names.size(), counts.size());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    std::string bytes = readFile(dataDir + "/valid/" + name);
    GifFile f{};
    EXPECT_EQ(parse(bytes, f), GifOk);
    ASSERT_TRUE(counts.count(name));
    EXPECT_EQ(f.imageCount, counts[name]);
    expectRecordsInsideFile(f, bytes.size());
  }
}

TEST(GifCorpus, NetscapeLoopCountsOfValidFiles) {
  struct Case {
    const char* name;
    std::vector<int> loops; // loopCount of each NETSCAPE2.0 block, in order
  } cases[] = {
      {"anim_netscape_loop_3.gif", {3}},
      {"anim_10_frames_loop_forever.gif", {0}},
      {"three_netscape_blocks_loop_50_30_40.gif", {50, 30, 40}},
      {"netscape_loop_65535.gif", {65535}},
      {"anim_no_netscape_block.gif", {}},
      {"animexts_loop_block.gif", {}},
      {"metadata_icc_xmp_netscape_app_blocks.gif", {2000}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    GifFile f{};
    ASSERT_EQ(parse(readFile(dataDir + "/valid/" + c.name), f), GifOk);
    std::vector<int> loops;
    for (auto& a : f.appExtensions)
      if (a.isNetscapeLoop) loops.push_back(a.loopCount);
    EXPECT_EQ(loops, c.loops);
  }
}

// Files whose damage is in the pixel data, the geometry or the colour
// indices have an intact block structure: the reader, which never decodes,
// reads them to the trailer. Files whose blocks are cut or garbled fail.
TEST(GifCorpus, EveryMalformedFileGetsItsOutcome) {
  const std::map<std::string, int> expected = {
      {"anim_frame_entirely_outside_screen.gif", GifOk},
      {"app_extension_empty_identifier.gif", GifTruncated},
      {"app_extension_identifier_length_255_past_eof.gif", GifTruncated},
      {"bad_version_gif90a.gif", GifOk}, // the version is not checked
      {"bg_index_255_with_gct2.gif", GifOk},
      {"comment_extension_truncated_after_label.gif", GifTruncated},
      {"comment_subblock_runs_past_eof.gif", GifTruncated},
      {"corrupt_lzw_codes.gif", GifOk},
      {"cve_2018_5711_misaligned_gct_infinite_loop.gif", GifBadIntroducer},
      {"decompression_bomb_frame_65535x1321.gif", GifTruncated},
      {"decompression_bomb_frame_at_65535_65535.gif", GifOk},
      {"descriptor_truncated_after_introducer.gif", GifTruncated},
      {"empty_0_bytes.gif", GifNotGif},
      {"eof_right_after_extension_introducer.gif", GifTruncated},
      {"frame_16x16_on_10x10_screen.gif", GifOk},
      {"frame_extends_past_screen_edge.gif", GifOk},
      {"frame_width_zero_min_code_size_59_eof.gif", GifTruncated},
      {"frame_without_pixel_data.gif", GifOk},
      {"frames_65021_and_65535_wide_in_400x331_screen.gif", GifOk},
      {"frames_outside_2x2_screen.gif", GifOk},
      {"gce_block_size_0_then_bad_introducer.gif", GifTruncated},
      {"gce_block_size_80_runs_past_eof.gif", GifBadExtension},
      {"gct_truncated_huge_screen.gif", GifTruncated},
      {"header_no_gct_then_nul_garbage.gif", GifBadIntroducer},
      {"header_then_text_garbage.gif", GifBadIntroducer},
      {"hippopotamus_interlaced_truncated_1024_bytes.gif", GifTruncated},
      {"issue101_stall_zero_width_interlaced_frame.gif", GifTruncated},
      {"issue117_min_code_size_0_frame_larger_than_screen.gif", GifBadIntroducer},
      {"issue96_gif87a_min_code_size_0_zero_height.gif", GifBadIntroducer},
      {"issue96_min_code_size_0_truncated_26_bytes.gif", GifTruncated},
      {"lct_flag_set_file_ends.gif", GifTruncated},
      {"lzw_bytes_after_end_code.gif", GifOk},
      {"lzw_code_not_yet_in_table.gif", GifOk},
      {"lzw_fewer_pixels_than_frame.gif", GifOk},
      {"lzw_min_code_size_1.gif", GifOk},
      {"lzw_min_code_size_12.gif", GifOk},
      {"lzw_min_code_size_154_then_garbage.gif", GifBadIntroducer},
      {"lzw_min_code_size_255.gif", GifOk},
      {"lzw_missing_end_code.gif", GifOk},
      {"lzw_more_pixels_than_frame_invalid_codes.gif", GifOk},
      {"lzw_more_pixels_than_frame_valid_codes.gif", GifOk},
      {"missing_trailer.gif", GifTruncated},
      {"netscape_block_truncated_inside_subblock.gif", GifTruncated},
      {"no_frames_header_and_trailer_only.gif", GifOk},
      {"ossfuzz5700_eof_after_min_code_size_12.gif", GifTruncated},
      {"palette_index_beyond_gct2_256x256.gif", GifOk},
      {"pixel_index_outside_gct.gif", GifOk},
      {"plain_text_extension_block_size_0.gif", GifTruncated},
      {"screen_65535x65535_no_frames.gif", GifOk},
      {"screen_height_zero_no_frames.gif", GifOk},
      {"screen_width_zero_no_frames.gif", GifOk},
      {"second_frame_exceeds_screen.gif", GifOk},
      {"transparent_index_255_with_gct8.gif", GifOk},
      {"truncated_15_bytes_after_screen_descriptor.gif", GifBadIntroducer},
      {"truncated_4_bytes_gif8.gif", GifTruncated},
      {"truncated_inside_lzw_subblocks.gif", GifTruncated},
      {"two_gifs_concatenated_first_without_trailer.gif", GifBadIntroducer},
      {"unknown_extension_0x4a_truncated.gif", GifTruncated},
      {"zero_screen_and_zero_frame_size.gif", GifOk},
      {"zero_size_frame_with_one_pixel.gif", GifOk},
      {"zero_width_screen_frame_at_y_65280.gif", GifTruncated},
  };
  auto names = gifsIn("malformed");
  EXPECT_EQ(names.size(), expected.size());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    auto it = expected.find(name);
    ASSERT_NE(it, expected.end()) << "no expectation for a new file";
    std::string bytes = readFile(dataDir + "/malformed/" + name);
    GifFile f{};
    EXPECT_EQ(parse(bytes, f), it->second);
    expectRecordsInsideFile(f, bytes.size());
  }
}

// Every valid file, taken as a frame file twice, splices into a file that
// reads back with two images carrying that file's first image's data.
TEST(GifCorpus, EveryValidFileSplicesIntoAReadableAnimation) {
  ScratchFolder dir;
  for (const std::string& name : gifsIn("valid")) {
    SCOPED_TRACE(name);
    std::string path = dataDir + "/valid/" + name;
    std::string source = readFile(path);
    GifFile in{};
    ASSERT_EQ(parse(source, in), GifOk);
    GifParams p{};
    p.delay = 7;
    int written = 0;
    ASSERT_EQ(assembleAnimatedGif({path, path}, dir.file("out.gif"), p, &written), GifWritten);
    EXPECT_EQ(written, 2);
    std::string out = readFile(dir.file("out.gif"));
    GifFile f{};
    ASSERT_EQ(parse(out, f), GifOk);
    ASSERT_EQ(f.imageCount, 2);
    const GifImageInfo& src = in.images[0];
    for (const GifImageInfo& m : f.images) {
      EXPECT_EQ(out.substr(m.dataOffset, m.dataLength), source.substr(src.dataOffset, src.dataLength));
      EXPECT_EQ(m.lzwMinCodeSize, src.lzwMinCodeSize);
      EXPECT_EQ(m.width, src.width);
      EXPECT_EQ(m.delay, 7);
    }
    expectRecordsInsideFile(f, out.size());
  }
  EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"out.gif"}));
}

// Every malformed file as the first frame: either a readable animation or
// no output at all.
TEST(GifCorpus, MalformedFirstFramesGiveAValidFileOrNone) {
  ScratchFolder dir;
  std::string good = dataDir + "/valid/hippopotamus_36x28_noninterlaced.gif";
  for (const std::string& name : gifsIn("malformed")) {
    SCOPED_TRACE(name);
    std::string path = dataDir + "/malformed/" + name;
    std::string out = dir.file("out.gif");
    int r = assembleAnimatedGif({path, good, path}, out, GifParams{});
    if (r == GifWritten) {
      GifFile f{};
      EXPECT_EQ(parse(readFile(out), f), GifOk);
      EXPECT_GE(f.imageCount, 1);
      removeTree(out);
    } else {
      EXPECT_EQ(r, GifFirstFrameUnreadable);
    }
    EXPECT_TRUE(filesIn(dir.path()).empty());
  }
}

// Cuts and single-byte changes of small valid files. A strict prefix of a
// file that ends at its trailer never reaches a trailer; a changed byte may
// give any outcome, but records stay inside the file.
TEST(GifCorpus, TruncatedAndMutatedSmallFiles) {
  const char* names[] = {"min_1x1_gif89a.gif", "anim_lct_on_second_frame.gif",
                         "metadata_icc_xmp_netscape_app_blocks.gif", "plain_text_extension_64x16.gif",
                         "interlaced_8x8_gct4.gif", "anim_dispose_background_bg_index3.gif"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    std::string full = readFile(dataDir + "/valid/" + name);
    ASSERT_EQ(full.back(), '\x3B');
    for (size_t n = 0; n < full.size(); n++) {
      GifFile f{};
      int r = parse(full.substr(0, n), f);
      EXPECT_TRUE(n < 3 ? r == GifNotGif : r == GifTruncated) << "prefix " << n << " gave " << r;
      expectRecordsInsideFile(f, n);
    }
    for (size_t at = 0; at < full.size(); at++) {
      for (unsigned v = 0; v < 256; v++) {
        std::string changed = full;
        changed[at] = static_cast<char>(v);
        GifFile f{};
        int r = parse(changed, f);
        EXPECT_TRUE(r >= GifTooLarge && r <= GifOk) << at << "=" << v;
        expectRecordsInsideFile(f, changed.size());
      }
    }
  }
}

// The same damage in a frame file that the writer is given: the output is
// a readable animation or does not exist.
TEST(GifCorpus, MutatedFramesNeverGiveABrokenOutput) {
  ScratchFolder dir;
  std::string good = readFile(dataDir + "/valid/anim_lct_on_second_frame.gif");
  std::string frame = dir.file("frame.gif"), other = dir.write("other.gif", good), out = dir.file("out.gif");
  for (size_t at = 0; at < good.size(); at++) {
    for (unsigned v : {0x00u, 0x01u, 0x2Cu, 0x3Bu, 0x80u, 0xFFu}) {
      std::string changed = good;
      changed[at] = static_cast<char>(changed[at] ^ v);
      writeFile(frame, changed);
      for (const FramePaths& frames :
           {FramePaths{frame, other}, FramePaths{other, frame, frame}}) {
        int r = assembleAnimatedGif(frames, out, GifParams{});
        if (r == GifWritten) {
          std::string bytes = readFile(out);
          GifFile f{};
          ASSERT_EQ(parse(bytes, f), GifOk) << at << "^" << v;
          expectRecordsInsideFile(f, bytes.size());
          removeTree(out);
        }
        ASSERT_EQ(filesIn(dir.path()), (std::set<std::string>{"frame.gif", "other.gif"})) << at << "^" << v;
      }
    }
  }
}
