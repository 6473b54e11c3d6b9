// Times the rotation of one picture through a full turn, in-process under
// Wine: drawing each turned view into the picture's surface (what the
// rotation command does) and rendering each turned picture to a file (what
// a save and every animated-GIF frame do). bench/rotation-save runs it and
// ImageMagick on the same work.
//
//   rotation_bench.exe PICTURE OUTFOLDER [STEP] [EXT]
// prints "view_ms N", "save_ms N" and "frames N"; the frames are written to
// OUTFOLDER as frame<i>.<EXT> (bmp by default).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "core/appstate.h"
#include "picture/filetype.h"
#include "picture/picture.h"
#include "rotation/rotation.h"

namespace {

double nowMs() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * double(count.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: rotation_bench PICTURE OUTFOLDER [STEP] [EXT]\n");
    return 2;
  }
  int step = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 10;
  std::wstring extension = argc > 4 ? argv[4] : L"bmp";
  if (step <= 0 || step >= 360) return 2;
  resetAppState();
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  Picture* picture = createPicture(argv[1], window);
  if (!picture || !picture->image || !picture->image->nativeImage) {
    std::fprintf(stderr, "cannot load %ls\n", argv[1]);
    return 1;
  }
  std::wstring probe = L"x." + extension;
  int type = classifyExtension(probe.c_str());
  float xdpi = 0, ydpi = 0;
  BitmapKind kind = chooseBitmapKind(type, picture, &xdpi, &ydpi);
  int frames = frameCountForStep(step);

  double start = nowMs();
  for (int i = 0; i < frames; ++i)
    drawRotated(picture, InPlane, angleRadians(i * step), toArgb(app.rotation.fillColour));
  double view = nowMs() - start;

  start = nowMs();
  int written = 0;
  for (int i = 0; i < frames; ++i) {
    std::wstring path = std::wstring(argv[2]) + L"\\frame" + std::to_wstring(i) + L"." + extension;
    if (renderRotatedToFile(picture, type, path.c_str(), i * step, kind, xdpi, ydpi, nullptr,
                            nullptr) == 1)
      ++written;
  }
  double save = nowMs() - start;
  std::printf("view_ms %.1f\nsave_ms %.1f\nframes %d\nwritten %d\n", view, save, frames, written);
  releasePicture(picture);
  DestroyWindow(window);
  Gdiplus::GdiplusShutdown(token);
  return written == frames ? 0 : 1;
}
