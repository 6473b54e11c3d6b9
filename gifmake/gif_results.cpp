// The words for the reader's and the writer's result codes, one table each,
// for the tools' messages.
#include "gifmake/gifmake.h"

namespace {

struct ResultText {
  int result;
  const char* text;
};

const ResultText readerTexts[] = {
    {GifOk, "ok"},
    {GifNotGif, "not a GIF"},
    {GifCannotOpen, "cannot open"},
    {GifBadExtension, "unreadable extension"},
    {GifBadIntroducer, "unrecognised block introducer"},
    {GifTruncated, "truncated"},
    {GifTooLarge, "too large"},
    {GifNoImage, "no image"},
};

const ResultText writerTexts[] = {
    {GifWritten, "written"},
    {GifOutputNotCreated, "the output file could not be created"},
    {GifFirstFrameUnreadable, "the first frame file cannot be opened or is not a readable GIF"},
    {GifNoFrameWritten, "no frame could be written"},
    {GifOutputWriteFailed, "writing the output file failed"},
    {GifAssemblyStopped, "the assembly was stopped"},
};

template <int N>
const char* textOf(const ResultText (&table)[N], int result, const char* otherwise) {
  for (const ResultText& entry : table)
    if (entry.result == result) return entry.text;
  return otherwise;
}

}  // namespace

const char* gifResultText(int result) { return textOf(readerTexts, result, "unknown"); }

const char* assembleResultText(int result) {
  return textOf(writerTexts, result, "unknown failure");
}
