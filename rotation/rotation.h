// Rotating the shown picture and saving it as shown: the rotation dialog and
// command, drawing the rotated picture into its surface, and saving through
// GDI+ (or, for GIF, through a temporary BMP and the conversion library).
// The geometry itself is pure code in rotation/geometry.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "picture/picture.h"
#include "rotation/geometry.h"
#include "rotation/kernel.h"
#include "rotation/pixelrows.h"
#include "rotation/results.h"

// --- rotatedialog_win.cpp --------------------------------------------------

// "ROTPICDLG": ends with 0 (cancelled, or OK with an empty angle), 1 (rotate)
// or 2 (rotate into an animated GIF). OK and Cancel both take the mode from
// the radio buttons; only OK with a number changes the angle.
INT_PTR CALLBACK rotationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The colour chooser, starting from the fill colour and offering the custom
// colours kept in the rotation settings. Non-zero when a colour was chosen
// (it is then the fill colour); custom colours the user defined are kept
// either way.
int chooseFillColour(HWND owner);

// --- rotate_win.cpp ----------------------------------------------------------

// The rotation command: RotationShown; RotationCancelled; RotationDrawFailed
// when the rotated surface could not be made (the unrotated view is
// restored); RotationNoPicture; RotationAnimated (refused before anything is
// touched); or the animated-GIF branch's result (runAnimatedGifCommand).
int runRotationCommand(HWND window, Picture* picture);

// Back to the unrotated picture with the angle reset to 0: 1 done, 0 refused
// for an animated picture, -1 no picture. Mode and fill colour stay.
int endRotation(HWND window, Picture* picture);

// Menu command 2550: runs the rotation command on the shown picture and
// shows the message that belongs to its result.
void rotateCommand(HWND window);

// --- source_win.cpp ----------------------------------------------------------

// A picture's pixels as the rotation kernel reads them.
struct SourcePixels {
  std::vector<uint32_t> pixels;  // surfaceWidth x surfaceHeight words 0x00RRGGBB, rows packed
  PixelRows rows;                // over pixels; top null when there are none
};

enum SourceResult {
  SourceNoMemory = -1,   // the pixels did not fit in memory
  SourceUnreadable = 0,  // no image, no size, a side beyond the kernel's, or GDI+ refused
  SourceRead = 1,
};

// Decodes the picture's image once into 32-bit pixels, its transparent
// parts laid over fillColour (0x??RRGGBB), as GDI+ drew them onto the filled
// surface: a SourceResult.
int readSourcePixels(Picture* picture, uint32_t fillColour, SourcePixels* out);

// --- bands_win.cpp -----------------------------------------------------------

// The processors this process may use (1 to 16).
int processorCount();

// renderRotation of the whole output, cut into bands of rows drawn on up to
// `threads` threads at once (this one included); the bytes are those of a
// single call.
RotationRenderResult renderRotationOnThreads(const PixelRows& source, int mode, double angle,
                                             uint32_t fillColour, const PixelRows& output,
                                             int threads);

// --- drawrotated_win.cpp ---------------------------------------------------

// Draws the picture turned by angle radians in mode into a fresh surface of
// the geometry's output size, over argb (opaque 0xFFRRGGBB), and makes that
// size the picture's image size. 1 drawn (the fill alone when the image
// cannot be read); 0 when the surface could not be made: then nothing was
// drawn and the picture's sizes are unchanged.
int drawRotated(Picture* picture, int mode, double angle, uint32_t argb);

// --- save_win.cpp ------------------------------------------------------------

// The save dialog (proposing app.savePath) and the save of the shown picture
// under the current rotation settings: a SaveResult. Every failure shows its
// message and leaves an existing target as it was. What follows a save (the
// saved file becomes the current one) is the caller's.
int saveDisplayedPicture(HWND window, Picture* picture);

// A GIF save under the current rotation settings, without messages: the
// temporary BMP is "savetemp.bmp" in the working folder (never the
// animated-GIF worker's "temp.bmp") and is deleted on every path; with no
// working folder nothing is written anywhere (SaveTempNotWritten). Results
// as saveViaConversion.
int saveGifFile(Picture* picture, const wchar_t* targetPath, BitmapKind kind, float xdpi,
                float ydpi);

// The GIF route: renders a 24-bit BMP to tempPath and converts it to
// targetPath: SaveDone, SaveTempNotWritten,
// SaveDrawRefused (an animated picture), or the conversion's failure
// (SaveFailed, SaveInfoFailed, SaveConvertFailed). The caller deletes
// tempPath.
int saveViaConversion(Picture* picture, const wchar_t* tempPath, const wchar_t* targetPath,
                      int angleDegrees, float xdpi, float ydpi, BitmapKind kind);

// --- renderfile_win.cpp ----------------------------------------------------

// How a save of the picture to target type `type` makes its bitmap, with the
// picture's resolution (0 when GDI+ reports none). An animated picture is
// never asked: its image belongs to the playback thread.
BitmapKind chooseBitmapKind(int type, Picture* picture, float* xdpi, float* ydpi);

// What renderRotatedToFile gives.
enum RenderResult {
  RenderNoMemory = -2, // the bitmap, the drawing or the encoder ran out of memory
  RenderRefused = -1,  // an animated picture: refused before its image is touched
  RenderFailed = 0,    // the bitmap, the drawing, the encoder or the file failed
  RenderWritten = 1,
};

// Draws the picture turned by angleDegrees in the current mode, over the
// current fill colour, into a new bitmap of `kind` and writes it to
// widePath with the encoder of `type`: a RenderResult. The file is written
// beside the target and moved over it only when complete, so a failure
// never leaves a partial or fill-only file. outWidth and outHeight (either
// may be null) receive the output size.
int renderRotatedToFile(Picture* picture, int type, const wchar_t* widePath, int angleDegrees,
                        BitmapKind kind, float xdpi, float ydpi, UINT* outWidth,
                        UINT* outHeight);

// The index of the first GDI+ encoder whose MIME type is exactly mime, with
// its class id in clsid; -1 when there is none.
int findEncoderClsid(const wchar_t* mime, CLSID* clsid);
