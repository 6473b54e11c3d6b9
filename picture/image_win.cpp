// The GDI+ image object and wide paths for GDI+.
#include <cstring>

#include "picture/picture.h"

using namespace Gdiplus;

void* ImageObject::operator new(size_t size) noexcept { return DllExports::GdipAlloc(size); }

void ImageObject::operator delete(void* block) noexcept { DllExports::GdipFree(block); }

namespace {

// Files beyond this are not read into memory: no picture GDI+ can decode in
// a 32-bit process comes near it.
const DWORD kMaxFileBytes = 1u << 30;

// A stream over a movable memory block that it owns, holding size bytes
// that fill() writes; none when the memory cannot be had.
template <typename Fill>
IStream* streamOf(SIZE_T size, Fill fill) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (!block) return nullptr;
  void* bytes = GlobalLock(block);
  bool filled = bytes && fill(bytes);
  if (bytes) GlobalUnlock(block);
  IStream* stream = nullptr;
  if (!filled || CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
    GlobalFree(block);
    return nullptr;
  }
  return stream;
}

}  // namespace

ImageObject::~ImageObject() {
  if (nativeImage) DllExports::GdipDisposeImage(nativeImage);
  nativeImage = nullptr;
  if (stream) stream->Release();
  stream = nullptr;
}

GpStatus ImageObject::loadFile(const wchar_t* path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lastStatus = Win32Error;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart > kMaxFileBytes) {
    CloseHandle(file);
    return lastStatus = OutOfMemory;
  }
  DWORD length = static_cast<DWORD>(size.QuadPart);
  stream = streamOf(length, [&](void* bytes) {
    DWORD got = 0;
    return ReadFile(file, bytes, length, &got, nullptr) && got == length;
  });
  CloseHandle(file);
  if (!stream) return lastStatus = OutOfMemory;
  lastStatus = DllExports::GdipLoadImageFromStream(stream, &nativeImage);
  if (lastStatus != Ok) nativeImage = nullptr;
  return lastStatus;
}
