// File conversion through the picture conversion library (imgctl.dll).
#pragma once

// The failures of convertImageFile; success is the target's FileType code.
enum ConvertResult {
  ConvertTiffAsked = 3,      // TIFF has no conversion: returned at once, nothing opened
  ConvertOpenFailed = -2,    // the library could not open the source
  ConvertInfoFailed = -3,    // the library's information query failed
  ConvertWriteFailed = -5,   // the write failed, or the type has no conversion
};

// Converts the picture file sourcePath (a BMP file) into targetPath as the
// given FileType code: 0 JPEG, 1 GIF, 2 PNG, 4 BMP (a byte-for-byte copy of
// the source once the library has accepted it), through the library's
// UTF-16 entries. Both paths are at most 260 units. Results:
//    the type code  converted
//    otherwise      a ConvertResult
// Every target is written beside its final name and then put in place, so
// a failed conversion leaves an existing target as it was. Safe to call
// from two threads at once.
int convertImageFile(const wchar_t* sourcePath, const wchar_t* targetPath, int type);
