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
//     57     write a frame's pixels as GIF with a given palette
//     58     make the one palette of a turned picture's frames
//     59     23 with a UTF-16 path
//     60     24 with a UTF-16 path
//     61     26 with a UTF-16 path
//     62     56 with a UTF-16 path
//     63     57 with a UTF-16 path
//     64     10 with the source path as UTF-16
//
// Paths are NUL-terminated: UTF-16 for the entries whose names end in W,
// which take any name the system can hold; multibyte text in the system
// code page for the others, which cannot name a file whose name has a
// character outside that code page (a path that does not convert fails as
// a file that cannot be opened or written). The program uses the W entries;
// the others stay for existing callers. An
// image handle is an opaque non-zero 32-bit value; the library checks every
// handle it is given, so an unknown or released one fails cleanly (result
// 0). Calls from several threads are safe; each writer first writes a
// temporary file beside the target and then replaces the target with it,
// so a failed write leaves no partial file and an existing target intact.
// The library keeps nothing from one call to the next: a conversion's
// output depends on its input alone.
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
// Buffer B is the source path as it was opened, NUL included: bytes in the
// system code page for ordinal 10 (a character the code page lacks becomes
// its default character), UTF-16 for ordinal 64 (sizeB counts bytes).

// Ordinal 23. Reads a BMP file; returns its handle, or 0 when the file
// cannot be read or is not a BMP this library decodes (including every
// file whose header lies about its own layout).
IMGCTL_API ImgctlHandle __stdcall imgctlOpen(const char* path);
IMGCTL_API ImgctlHandle __stdcall imgctlOpenW(const wchar_t* path);  // ordinal 59

// Ordinal 10. With both buffers null, stores the sizes the two buffers need
// in *sizeA and *sizeB. A buffer given is filled when its size is at least
// what it needs. Returns 0 for an unknown handle, a null size pointer or a
// buffer that is too small (the sizes are still stored), else 1.
IMGCTL_API int __stdcall imgctlQueryInfo(ImgctlHandle image, void* bufferA, uint32_t* sizeA,
                                         void* bufferB, uint32_t* sizeB);
// Ordinal 64: the same, buffer B in UTF-16.
IMGCTL_API int __stdcall imgctlQueryInfoW(ImgctlHandle image, void* bufferA, uint32_t* sizeA,
                                          void* bufferB, uint32_t* sizeB);

// Ordinal 56. Writes the image as a single-image GIF file; flags must be 0.
// Non-zero on success.
IMGCTL_API int __stdcall imgctlWriteGif(const char* path, ImgctlHandle image, uint32_t flags);
IMGCTL_API int __stdcall imgctlWriteGifW(const wchar_t* path, ImgctlHandle image, uint32_t flags);  // ordinal 62

// Pixels passed in memory (ordinals 57 and 58): rows from the top, stride
// bytes apart (a multiple of 4, at least 4 * width), one 32-bit word per
// pixel, 0x00RRGGBB (bytes B, G, R, unused in memory: GDI+'s 32 bpp RGB
// layout); the top byte is ignored. 1..65535 pixels a side, at most 2^26
// pixels. Palettes: count entries of 3 bytes, R, G, B, as a GIF colour
// table stores them.

// Flags of ordinal 57.
#define IMGCTL_OWN_PALETTE_FALLBACK 1u  // fall back to the frame's own palette (see below)
#define IMGCTL_ONE_THREAD 2u            // no helper thread (the caller already keeps every core busy)
// Results of ordinal 57.
#define IMGCTL_USED_SHARED_PALETTE 1
#define IMGCTL_USED_OWN_PALETTE 2

// Ordinal 57. Writes the frame's pixels as a single-image GIF file whose
// global colour table is paletteRgb (1..256 entries) byte for byte, padded
// with black entries to the next power of two (at least 2), with no local
// table; every pixel gets its nearest entry (a pixel whose colour is in the
// palette keeps it exactly; the first of repeated entries is used). Every
// frame written with the same palette carries the identical table, so the
// animated-GIF writer splices them under one global table.
// With IMGCTL_OWN_PALETTE_FALLBACK, a frame that the palette costs more
// than 1 dB of PSNR against converting it alone (as ordinal 56 would; PSNR
// above 48 dB counts as 48) is written with a palette of its own instead.
// Returns IMGCTL_USED_SHARED_PALETTE or IMGCTL_USED_OWN_PALETTE, 0 on
// failure (bad arguments or flags, no memory, the file not written; an
// existing target is then left as it was). Safe on several threads at
// once; the bytes depend on the arguments alone, not on the flags' thread
// choice, the number of threads or the order of calls.
IMGCTL_API int __stdcall imgctlWriteGifWithPalette(const char* path, const uint32_t* pixels, int32_t width,
                                                   int32_t height, int32_t stride, const uint8_t* paletteRgb,
                                                   uint32_t paletteCount, uint32_t flags);
// Ordinal 63: the same with a UTF-16 path.
IMGCTL_API int __stdcall imgctlWriteGifWithPaletteW(const wchar_t* path, const uint32_t* pixels, int32_t width,
                                                    int32_t height, int32_t stride, const uint8_t* paletteRgb,
                                                    uint32_t paletteCount, uint32_t flags);

// Ordinal 58. Makes the one palette for every frame of the source picture
// turned on the fill colour fillColorref (a COLORREF, 0x00BBGGRR): the fill
// at index 0 (IMGCTL_FILL_INDEX) always; for a source of at most 255 other
// colours, each of them exactly, then blends of the fill with the colours
// on the source's border and of colours that meet inside it (what
// anti-aliased edges of a turned picture show); for any other source, 255
// entries quantized from its pixels and those blends. Writes count entries
// (1..256) to paletteRgb, which must hold 768 bytes, and count to
// *paletteCount. Returns 1, or 0 (nothing written) for bad arguments or no
// memory. Deterministic; safe on several threads at once.
#define IMGCTL_FILL_INDEX 0
IMGCTL_API int __stdcall imgctlMakeTurnPalette(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
                                               uint32_t fillColorref, uint8_t* paletteRgb, uint32_t* paletteCount);

// Ordinal 24. Writes the image as a JPEG file of the given quality (0 to
// 100); flags must be 0. Non-zero on success.
IMGCTL_API int __stdcall imgctlWriteJpeg(const char* path, ImgctlHandle image, int quality,
                                         uint32_t flags);
IMGCTL_API int __stdcall imgctlWriteJpegW(const wchar_t* path, ImgctlHandle image, int quality,
                                          uint32_t flags);  // ordinal 60

// Ordinal 26. Writes the image as a PNG file; flags must be 0. Non-zero on
// success.
IMGCTL_API int __stdcall imgctlWritePng(const char* path, ImgctlHandle image, uint32_t flags);
IMGCTL_API int __stdcall imgctlWritePngW(const wchar_t* path, ImgctlHandle image, uint32_t flags);  // ordinal 61

// Ordinal 5. Releases the image; an unknown handle is ignored.
IMGCTL_API void __stdcall imgctlRelease(ImgctlHandle image);

// The two frame entries for C++ callers.
struct ImgctlPalette {
  uint32_t count = 0;    // entries, 1..256 once made
  uint8_t rgb[768] = {}; // R, G, B per entry
};

// Ordinal 58: the palette for turning the picture on fill (COLORREF).
// False when the library refused.
inline bool imgctlTurnPalette(const uint32_t* pixels, int width, int height, int strideBytes, uint32_t fillColorref,
                              ImgctlPalette& palette) {
  palette = ImgctlPalette();
  return imgctlMakeTurnPalette(pixels, width, height, strideBytes, fillColorref, palette.rgb, &palette.count) != 0;
}

// Ordinal 57: IMGCTL_USED_SHARED_PALETTE, IMGCTL_USED_OWN_PALETTE (only with
// allowOwnPalette) or 0.
inline int imgctlWriteFrameGif(const wchar_t* path, const uint32_t* pixels, int width, int height, int strideBytes,
                               const ImgctlPalette& palette, bool allowOwnPalette, bool oneThread = false) {
  return imgctlWriteGifWithPaletteW(path, pixels, width, height, strideBytes, palette.rgb, palette.count,
                                    (allowOwnPalette ? IMGCTL_OWN_PALETTE_FALLBACK : 0u) |
                                        (oneThread ? IMGCTL_ONE_THREAD : 0u));
}
