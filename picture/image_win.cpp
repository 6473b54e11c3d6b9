// The GDI+ image object and wide paths for GDI+.
#include <clocale>
#include <cstdlib>
#include <cwchar>

#include "picture/picture.h"

using namespace Gdiplus;

void* ImageObject::operator new(size_t size) noexcept { return DllExports::GdipAlloc(size); }

void ImageObject::operator delete(void* block) noexcept { DllExports::GdipFree(block); }

ImageObject::~ImageObject() {
  if (nativeImage) DllExports::GdipDisposeImage(nativeImage);
  nativeImage = nullptr;
}

ImageObject* ImageObject::Clone() {
  ImageObject* copy = new ImageObject;
  if (!copy) return nullptr;
  copy->lastStatus = nativeImage ? DllExports::GdipCloneImage(nativeImage, &copy->nativeImage)
                                 : InvalidParameter;
  lastStatus = copy->lastStatus;
  return copy;
}

bool toWidePath(const char* path, wchar_t* wide, size_t capacity) {
  if (capacity == 0) return false;
  wide[0] = L'\0';
  if (!path) return false;
  // Paths are in the Japanese ANSI code page; the C library converts through
  // its locale, so it must be the Japanese one.
  setlocale(LC_ALL, "japanese");
  size_t count = mbstowcs(wide, path, capacity);
  if (count == static_cast<size_t>(-1) || count >= capacity) {
    // Invalid text, or no room for the terminator: a cut path names another
    // file, so it is no path at all.
    wide[0] = L'\0';
    return false;
  }
  wide[count] = L'\0';
  return true;
}
