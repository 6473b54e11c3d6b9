// Picture types by file extension. Pure code: no windows.h.
#pragma once

// FileType codes: what a path holds by its extension, and the target type
// of a save or a conversion.
enum FileType {
  FileTypeNone = -1,
  FileTypeJpeg = 0,
  FileTypeGif = 1,
  FileTypePng = 2,
  FileTypeTiff = 3,
  FileTypeBmp = 4,
};

// Position of the path's extension (the text after its last '.', with
// A-Z taken as a-z) in `list` of `count` lower-case ASCII entries, or -1.
// A path without a dot, or ending in one, matches nothing.
int matchExtension(const wchar_t* path, const char* const* list, int count);

// FileType of a path: jpg jpeg jpe jfif -> JPEG, gif, png, tif tiff -> TIFF,
// bmp; anything else -1.
int classifyExtension(const wchar_t* path);

// The extensions a dropped file may have, in lookup order. TIFF is absent on
// purpose: a dropped TIFF is refused although it can be opened otherwise.
extern const char* const dropExtensions[7];
