// imgctl.dll: the Win32 side of the conversion library. The pure core does
// the decoding, colour reduction and GIF encoding; this file owns the
// handle table, the files and GDI+.
//
// Handles: a table of kSlots slots, each holding an image and a generation
// count that grows with every open into the slot. A handle packs the
// generation above the slot number (slot + 1 in the low byte, so a handle is
// never 0); a released or reused slot no longer matches an old handle. A
// call looks its image up under the table lock and keeps a reference while
// it works, so a release from another thread frees the image only after the
// call is done.
//
// No state outlives a call but the handle table: a conversion's output
// depends on its input alone, whatever was converted before or meanwhile on
// other threads.
#define IMGCTL_BUILDING_DLL
#include "imgctl/imgctl.h"

#include <windows.h>
#include <gdiplus.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/replace.h"
#include "imgctl/bmp_reader.h"
#include "imgctl/convert.h"
#include "imgctl/turn_palette.h"

namespace {

constexpr uint32_t kSlots = 64;
// The largest file open reads: a 24-bit BMP of kMaxPixels pixels with every
// row padded, plus headers and a colour table, is below this.
constexpr uint64_t kMaxFileBytes = 3 * imgctl::kMaxPixels + 4 * 65536 + (1u << 20);

struct Image {
  imgctl::Pixmap picture;
  imgctl::BmpInfo info;
  std::wstring sourcePath;
};

struct Slot {
  uint32_t generation = 0;
  std::shared_ptr<Image> image;
};

CRITICAL_SECTION tableLock;
CRITICAL_SECTION gdiplusLock;
Slot slots[kSlots];

class Lock {
 public:
  explicit Lock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~Lock() { LeaveCriticalSection(&section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

std::shared_ptr<Image> lookUp(ImgctlHandle handle) {
  const uint32_t slot = (handle & 0xFF) - 1;
  if (handle == 0 || slot >= kSlots) return nullptr;
  Lock lock(tableLock);
  if (!slots[slot].image || slots[slot].generation != (handle >> 8)) return nullptr;
  return slots[slot].image;
}

bool readWholeFile(const wchar_t* path, std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && uint64_t(size.QuadPart) <= kMaxFileBytes) {
    try {
      bytes.resize(size_t(size.QuadPart));
      DWORD got = 0;
      ok = ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr) && got == bytes.size();
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  CloseHandle(file);
  return ok;
}

bool writeBytesReplacing(const wchar_t* target, const std::vector<uint8_t>& bytes) {
  return writeFileReplacing(target, bytes.data(), bytes.size());
}

bool encoderFor(const wchar_t* mimeType, CLSID& clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<uint8_t> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::DllExports::GdipGetImageEncoders(count, size, encoders) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wcscmp(encoders[i].MimeType, mimeType) == 0) {
      clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

// Writes the image through a GDI+ encoder; quality < 0 means none given.
bool writeWithGdiplus(const wchar_t* target, const Image& image, const wchar_t* mimeType, int quality) {
  ULONG_PTR token = 0;
  {
    Lock lock(gdiplusLock);
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  }
  bool ok = false;
  std::filesystem::path temp;
  Gdiplus::GpBitmap* bitmap = nullptr;
  CLSID clsid;
  do {
    if (!encoderFor(mimeType, clsid)) break;
    if (!makeSiblingTemp(target, &temp)) break;
    // The pixels are 0x00RRGGBB words: in memory B, G, R, unused, which is
    // GDI+'s 32 bpp RGB layout, so the bitmap borrows them without a copy.
    const imgctl::Pixmap& p = image.picture;
    if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(
            p.width, p.height, p.width * 4, PixelFormat32bppRGB,
            reinterpret_cast<BYTE*>(const_cast<uint32_t*>(p.pixels.data())), &bitmap) != Gdiplus::Ok)
      break;
    Gdiplus::EncoderParameters parameters;
    ULONG qualityValue = ULONG(quality);
    parameters.Count = 1;
    parameters.Parameter[0].Guid = Gdiplus::EncoderQuality;
    parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Value = &qualityValue;
    ok = Gdiplus::DllExports::GdipSaveImageToFile(bitmap, temp.c_str(), &clsid,
                                                  quality >= 0 ? &parameters : nullptr) == Gdiplus::Ok;
  } while (false);
  if (bitmap) Gdiplus::DllExports::GdipDisposeImage(bitmap);
  {
    Lock lock(gdiplusLock);
    Gdiplus::GdiplusShutdown(token);
  }
  if (ok) return replaceWithTemp(temp, target);
  removeTemp(temp);
  return false;
}

// Copies a caller's frame (rows from the top, stride bytes apart, one
// 0x00RRGGBB word per pixel; the top byte is ignored) into a Pixmap. False
// for sizes a GIF or this library cannot take.
bool pixmapOf(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride, imgctl::Pixmap& out) {
  if (!pixels || width <= 0 || height <= 0 || uint32_t(width) > imgctl::kMaxSide ||
      uint32_t(height) > imgctl::kMaxSide || uint64_t(width) * uint64_t(height) > imgctl::kMaxPixels)
    return false;
  if (stride < 0 || stride % 4 != 0 || uint32_t(stride) / 4 < uint32_t(width)) return false;
  out.width = width;
  out.height = height;
  out.pixels.resize(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = pixels + size_t(y) * (size_t(stride) / 4);
    uint32_t* to = &out.pixels[size_t(y) * size_t(width)];
    for (int32_t x = 0; x < width; ++x) to[x] = row[x] & 0xFFFFFF;
  }
  return true;
}

// A path of the ANSI entries in UTF-16; empty when it is not valid text in
// the system code page or does not fit MAX_PATH, which names no file.
std::wstring widePath(const char* path) {
  wchar_t wide[MAX_PATH];
  if (!path || MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide, MAX_PATH) <= 0) return std::wstring();
  return wide;
}

}  // namespace

IMGCTL_API ImgctlHandle __stdcall imgctlOpenW(const wchar_t* path) {
  if (!path) return 0;
  try {
    auto image = std::make_shared<Image>();
    {
      std::vector<uint8_t> bytes;
      if (!readWholeFile(path, bytes)) return 0;
      if (imgctl::readBmp(bytes.data(), bytes.size(), image->picture, &image->info) != imgctl::kBmpOk) return 0;
    }
    image->sourcePath = path;
    Lock lock(tableLock);
    for (uint32_t s = 0; s < kSlots; ++s) {
      if (slots[s].image) continue;
      slots[s].generation = (slots[s].generation + 1) & 0xFFFFFF;
      if (slots[s].generation == 0) slots[s].generation = 1;
      slots[s].image = std::move(image);
      return (slots[s].generation << 8) | (s + 1);
    }
    return 0;  // every slot in use
  } catch (...) {
    return 0;
  }
}

namespace {

// Ordinals 10 and 64: the same query, buffer B holding the source path as
// text of the given unit (the ANSI code page's bytes or UTF-16).
int queryInfo(ImgctlHandle handle, void* bufferA, uint32_t* sizeA, void* bufferB, uint32_t* sizeB, bool wide) {
  if (!sizeA || !sizeB) return 0;
  const std::shared_ptr<Image> image = lookUp(handle);
  if (!image) return 0;
  std::string narrow;
  if (!wide) {
    // Characters the code page lacks become its default character: such a
    // name can only be reported, not reopened, through the ANSI entries.
    int length = WideCharToMultiByte(CP_ACP, 0, image->sourcePath.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return 0;
    narrow.resize(size_t(length));
    WideCharToMultiByte(CP_ACP, 0, image->sourcePath.c_str(), -1, &narrow[0], length, nullptr, nullptr);
  }
  const uint32_t needA = sizeof(ImgctlInfo);
  const uint32_t needB = wide ? uint32_t((image->sourcePath.size() + 1) * sizeof(wchar_t)) : uint32_t(narrow.size());
  const bool fitsA = !bufferA || *sizeA >= needA;
  const bool fitsB = !bufferB || *sizeB >= needB;
  if (bufferA && fitsA) {
    ImgctlInfo info = {};
    info.structSize = needA;
    info.width = image->info.width;
    info.height = image->info.height;
    info.bitCount = image->info.bitCount;
    info.topDown = image->info.topDown;
    info.headerSize = image->info.headerSize;
    info.paletteEntries = image->info.paletteEntries;
    std::memcpy(bufferA, &info, needA);
  }
  if (bufferB && fitsB)
    std::memcpy(bufferB, wide ? static_cast<const void*>(image->sourcePath.c_str()) : narrow.c_str(), needB);
  *sizeA = needA;
  *sizeB = needB;
  return fitsA && fitsB ? 1 : 0;
}

}  // namespace

IMGCTL_API int __stdcall imgctlQueryInfo(ImgctlHandle handle, void* bufferA, uint32_t* sizeA,
                                         void* bufferB, uint32_t* sizeB) {
  return queryInfo(handle, bufferA, sizeA, bufferB, sizeB, false);
}

IMGCTL_API int __stdcall imgctlQueryInfoW(ImgctlHandle handle, void* bufferA, uint32_t* sizeA,
                                          void* bufferB, uint32_t* sizeB) {
  return queryInfo(handle, bufferA, sizeA, bufferB, sizeB, true);
}

IMGCTL_API int __stdcall imgctlWriteGifW(const wchar_t* path, ImgctlHandle handle, uint32_t flags) {
  if (!path || flags != 0) return 0;
  try {
    const std::shared_ptr<Image> image = lookUp(handle);
    if (!image) return 0;
    std::vector<uint8_t> gif;
    imgctl::ConvertReport report;
    if (imgctl::pictureToGif(image->picture, imgctl::ConvertOptions(), gif, report) != imgctl::kConvertOk)
      return 0;
    return writeBytesReplacing(path, gif) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

IMGCTL_API int __stdcall imgctlWriteJpegW(const wchar_t* path, ImgctlHandle handle, int quality, uint32_t flags) {
  if (!path || flags != 0 || quality < 0 || quality > 100) return 0;
  try {
    const std::shared_ptr<Image> image = lookUp(handle);
    return image && writeWithGdiplus(path, *image, L"image/jpeg", quality) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

IMGCTL_API int __stdcall imgctlWritePngW(const wchar_t* path, ImgctlHandle handle, uint32_t flags) {
  if (!path || flags != 0) return 0;
  try {
    const std::shared_ptr<Image> image = lookUp(handle);
    return image && writeWithGdiplus(path, *image, L"image/png", -1) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

IMGCTL_API int __stdcall imgctlWriteGifWithPaletteW(const wchar_t* path, const uint32_t* pixels, int32_t width,
                                                    int32_t height, int32_t stride, const uint8_t* paletteRgb,
                                                   uint32_t paletteCount, uint32_t flags) {
  if (!path || !paletteRgb || paletteCount < 1 || paletteCount > 256) return 0;
  if (flags & ~uint32_t(IMGCTL_OWN_PALETTE_FALLBACK | IMGCTL_ONE_THREAD)) return 0;
  try {
    imgctl::Pixmap picture;
    if (!pixmapOf(pixels, width, height, stride, picture)) return 0;
    imgctl::Palette palette;
    palette.count = paletteCount;
    for (uint32_t i = 0; i < paletteCount; ++i)
      palette.colours[i] = imgctl::packRgb(paletteRgb[3 * i], paletteRgb[3 * i + 1], paletteRgb[3 * i + 2]);
    imgctl::ConvertOptions options;
    options.twoThreads = (flags & IMGCTL_ONE_THREAD) == 0;
    std::vector<uint8_t> gif;
    imgctl::ConvertReport report;
    if (imgctl::frameToGif(picture, palette, (flags & IMGCTL_OWN_PALETTE_FALLBACK) != 0, options, gif, report) !=
        imgctl::kConvertOk)
      return 0;
    if (!writeBytesReplacing(path, gif)) return 0;
    return report.ownPalette ? IMGCTL_USED_OWN_PALETTE : IMGCTL_USED_SHARED_PALETTE;
  } catch (...) {
    return 0;
  }
}

// The ANSI entries: the path is taken in the system code page and the work
// done by the wide entry. A path that does not convert fails like a file
// that cannot be opened or written.
IMGCTL_API ImgctlHandle __stdcall imgctlOpen(const char* path) {
  std::wstring wide = widePath(path);
  return wide.empty() ? 0 : imgctlOpenW(wide.c_str());
}

IMGCTL_API int __stdcall imgctlWriteGif(const char* path, ImgctlHandle handle, uint32_t flags) {
  std::wstring wide = widePath(path);
  return wide.empty() ? 0 : imgctlWriteGifW(wide.c_str(), handle, flags);
}

IMGCTL_API int __stdcall imgctlWriteJpeg(const char* path, ImgctlHandle handle, int quality, uint32_t flags) {
  std::wstring wide = widePath(path);
  return wide.empty() ? 0 : imgctlWriteJpegW(wide.c_str(), handle, quality, flags);
}

IMGCTL_API int __stdcall imgctlWritePng(const char* path, ImgctlHandle handle, uint32_t flags) {
  std::wstring wide = widePath(path);
  return wide.empty() ? 0 : imgctlWritePngW(wide.c_str(), handle, flags);
}

IMGCTL_API int __stdcall imgctlWriteGifWithPalette(const char* path, const uint32_t* pixels, int32_t width,
                                                   int32_t height, int32_t stride, const uint8_t* paletteRgb,
                                                   uint32_t paletteCount, uint32_t flags) {
  std::wstring wide = widePath(path);
  return wide.empty() ? 0
                      : imgctlWriteGifWithPaletteW(wide.c_str(), pixels, width, height, stride, paletteRgb,
                                                   paletteCount, flags);
}

IMGCTL_API int __stdcall imgctlMakeTurnPalette(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
                                               uint32_t fillColorref, uint8_t* paletteRgb, uint32_t* paletteCount) {
  if (!paletteRgb || !paletteCount) return 0;
  try {
    imgctl::Pixmap picture;
    if (!pixmapOf(pixels, width, height, stride, picture)) return 0;
    // COLORREF is 0x00BBGGRR.
    const uint32_t fill =
        imgctl::packRgb(fillColorref & 0xFF, (fillColorref >> 8) & 0xFF, (fillColorref >> 16) & 0xFF);
    imgctl::Palette palette;
    if (imgctl::turnPalette(picture, fill, palette) != imgctl::kConvertOk) return 0;
    for (uint32_t i = 0; i < palette.count; ++i) {
      paletteRgb[3 * i] = uint8_t(imgctl::redOf(palette.colours[i]));
      paletteRgb[3 * i + 1] = uint8_t(imgctl::greenOf(palette.colours[i]));
      paletteRgb[3 * i + 2] = uint8_t(imgctl::blueOf(palette.colours[i]));
    }
    *paletteCount = palette.count;
    return 1;
  } catch (...) {
    return 0;
  }
}

IMGCTL_API void __stdcall imgctlRelease(ImgctlHandle handle) {
  const uint32_t slot = (handle & 0xFF) - 1;
  if (handle == 0 || slot >= kSlots) return;
  std::shared_ptr<Image> dropped;  // freed after the lock is left
  Lock lock(tableLock);
  if (slots[slot].image && slots[slot].generation == (handle >> 8)) dropped.swap(slots[slot].image);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    InitializeCriticalSection(&tableLock);
    InitializeCriticalSection(&gdiplusLock);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary: give back what callers never released. At
    // process exit (reserved set) the system reclaims everything anyway.
    for (Slot& s : slots) s.image.reset();
    DeleteCriticalSection(&gdiplusLock);
    DeleteCriticalSection(&tableLock);
  }
  return TRUE;
}
