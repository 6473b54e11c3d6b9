// convertImageFile: drives imgctl.dll, imported by ordinal, through one
// open, information check, write and release per call.
#include "rotation/convert.h"

#include <windows.h>


#include "core/replace.h"
#include "imgctl/imgctl.h"
#include "picture/filetype.h"

namespace {

// The information query proves that the library understood the source; the
// two buffers' contents are the library's business and are not read. The
// caller frees both buffers whatever the result.
bool checkImageInfo(ImgctlHandle image, void*& bufferA, void*& bufferB) {
  uint32_t sizeA = 0, sizeB = 0;
  imgctlQueryInfoW(image, nullptr, &sizeA, nullptr, &sizeB);
  if (sizeA == 0 || sizeB == 0) return false;
  bufferA = HeapAlloc(GetProcessHeap(), 0, sizeA);
  bufferB = HeapAlloc(GetProcessHeap(), 0, sizeB);
  if (!bufferA || !bufferB) return false;
  return imgctlQueryInfoW(image, bufferA, &sizeA, bufferB, &sizeB) != 0;
}

// The copy of type 4, written beside the target and then moved over it, so
// that a copy cut short never leaves half a file under the target's name.
bool copyReplacing(const wchar_t* source, const wchar_t* target) {
  std::filesystem::path temp;
  if (!makeSiblingTemp(target, &temp)) return false;
  if (CopyFileW(source, temp.c_str(), FALSE)) return replaceWithTemp(temp, target);
  removeTemp(temp);
  return false;
}

}  // namespace

int convertImageFile(const wchar_t* sourcePath, const wchar_t* targetPath, int type) {
  if (type == FileTypeTiff) return ConvertTiffAsked;
  const ImgctlHandle image = imgctlOpenW(sourcePath);
  if (image == 0) return ConvertOpenFailed;

  int result = ConvertWriteFailed;
  void* bufferA = nullptr;
  void* bufferB = nullptr;
  if (!checkImageInfo(image, bufferA, bufferB)) {
    result = ConvertInfoFailed;
  } else {
    int written = 0;
    switch (type) {
      case FileTypeJpeg: written = imgctlWriteJpegW(targetPath, image, 75, 0); break;
      case FileTypeGif: written = imgctlWriteGifW(targetPath, image, 0); break;
      case FileTypePng: written = imgctlWritePngW(targetPath, image, 0); break;
      case FileTypeBmp: written = copyReplacing(sourcePath, targetPath) ? 1 : 0; break;
      default: written = 0; break;
    }
    if (written != 0) result = type;
  }
  if (bufferA) HeapFree(GetProcessHeap(), 0, bufferA);
  if (bufferB) HeapFree(GetProcessHeap(), 0, bufferB);
  imgctlRelease(image);
  return result;
}
