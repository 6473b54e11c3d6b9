// imgctl.dll, the program's picture conversion library, as its callers see
// it. The DLL exports these by ordinal only (imgctl.def, NONAME); the import
// library made from the same .def binds each declaration below to its
// ordinal, so a caller links by name and imports by number.
//
//   ordinal  operation
//      5     release an image
//     10     information query
//     23     open a picture file (a BMP file) as an image
//     24     write an image as JPEG
//     26     write an image as PNG
//     56     write an image as GIF
//
// Paths are NUL-terminated multibyte strings in the system code page. An
// image handle is an opaque non-zero 32-bit value; the library checks every
// handle it is given, so an unknown or released one fails cleanly (result
// 0). Calls from several threads are safe; each writer first writes a
// temporary file beside the target and then replaces the target with it,
// so a failed write leaves no partial file and an existing target intact.
#pragma once

#include <stdint.h>

#ifdef IMGCTL_BUILDING_DLL
#define IMGCTL_API extern "C"
#else
#define IMGCTL_API extern "C" __declspec(dllimport)
#endif

typedef uint32_t ImgctlHandle;

// Buffer A of the information query: what the library read from the file.
struct ImgctlInfo {
  uint32_t structSize;      // sizeof(ImgctlInfo)
  int32_t width;            // pixels
  int32_t height;           // pixels
  uint32_t bitCount;        // bits per pixel in the file: 1, 4, 8, 24 or 32
  uint32_t topDown;         // 1 when the file stored its rows from the top
  uint32_t headerSize;      // bytes of the file's info header
  uint32_t paletteEntries;  // colour table entries the pixels index (0 for 24/32-bit)
};
// Buffer B is the source path as it was opened, NUL included.

// Ordinal 23. Reads a BMP file; returns its handle, or 0 when the file
// cannot be read or is not a BMP this library decodes (including every
// file whose header lies about its own layout).
IMGCTL_API ImgctlHandle __stdcall imgctlOpen(const char* path);

// Ordinal 10. With both buffers null, stores the sizes the two buffers need
// in *sizeA and *sizeB. A buffer given is filled when its size is at least
// what it needs. Returns 0 for an unknown handle, a null size pointer or a
// buffer that is too small (the sizes are still stored), else 1.
IMGCTL_API int __stdcall imgctlQueryInfo(ImgctlHandle image, void* bufferA, uint32_t* sizeA,
                                         void* bufferB, uint32_t* sizeB);

// Ordinal 56. Writes the image as a single-image GIF file; flags must be 0.
// Non-zero on success.
IMGCTL_API int __stdcall imgctlWriteGif(const char* path, ImgctlHandle image, uint32_t flags);

// Ordinal 24. Writes the image as a JPEG file of the given quality (0 to
// 100); flags must be 0. Non-zero on success.
IMGCTL_API int __stdcall imgctlWriteJpeg(const char* path, ImgctlHandle image, int quality,
                                         uint32_t flags);

// Ordinal 26. Writes the image as a PNG file; flags must be 0. Non-zero on
// success.
IMGCTL_API int __stdcall imgctlWritePng(const char* path, ImgctlHandle image, uint32_t flags);

// Ordinal 5. Releases the image; an unknown handle is ignored.
IMGCTL_API void __stdcall imgctlRelease(ImgctlHandle image);
