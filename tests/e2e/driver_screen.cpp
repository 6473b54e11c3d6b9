// What the main window shows: title, rectangles and client pixels.
//
// Pixels are copied from the window's device context. PrintWindow on
// another process's window gives a black bitmap under Wine, while a copy
// from the window's own DC reads the screen, which is what a user sees.
#include "tests/e2e/driver_internal.h"

std::string windowTitle(const App& app) {
  return windowText(app.window);
}

bool windowRect(App& app, RECT* out) {
  if (app.window == NULL || !GetWindowRect(app.window, out))
    return fail(app, "GetWindowRect failed");
  return true;
}

bool clientRect(App& app, RECT* out) {
  RECT client;
  if (app.window == NULL || !GetClientRect(app.window, &client))
    return fail(app, "GetClientRect failed");
  POINT origin = {0, 0};
  if (!ClientToScreen(app.window, &origin))
    return fail(app, "ClientToScreen failed");
  OffsetRect(&client, origin.x, origin.y);
  *out = client;
  return true;
}

bool captureClient(App& app, Capture* out) {
  RECT client;
  if (app.window == NULL || !GetClientRect(app.window, &client))
    return fail(app, "GetClientRect failed");
  int width = client.right - client.left;
  int height = client.bottom - client.top;
  if (width <= 0 || height <= 0)
    return fail(app, "the client area is empty (%d x %d)", width, height);

  bool ok = false;
  HDC windowDC = NULL, memoryDC = NULL;
  HBITMAP bitmap = NULL;
  HGDIOBJ previous = NULL;
  void* bits = NULL;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  windowDC = GetDC(app.window);
  memoryDC = windowDC != NULL ? CreateCompatibleDC(windowDC) : NULL;
  bitmap = memoryDC != NULL ? CreateDIBSection(memoryDC, &info, DIB_RGB_COLORS, &bits, NULL, 0)
                            : NULL;
  if (bitmap == NULL || bits == NULL) {
    fail(app, "no device context or bitmap for the capture");
    goto done;
  }
  previous = SelectObject(memoryDC, bitmap);
  if (!BitBlt(memoryDC, 0, 0, width, height, windowDC, 0, 0, SRCCOPY)) {
    fail(app, "BitBlt from the window failed");
    goto done;
  }
  GdiFlush();
  out->width = width;
  out->height = height;
  out->pixels.assign((const uint32_t*)bits, (const uint32_t*)bits + (size_t)width * height);
  for (uint32_t& pixel : out->pixels)
    pixel &= 0x00FFFFFF;
  ok = true;
done:
  if (previous != NULL)
    SelectObject(memoryDC, previous);
  if (bitmap != NULL)
    DeleteObject(bitmap);
  if (memoryDC != NULL)
    DeleteDC(memoryDC);
  if (windowDC != NULL)
    ReleaseDC(app.window, windowDC);
  return ok;
}
