// Painting copies the memory surface to the window, shifted by the scroll
// positions and stretched when zoomed; the image is never decoded or drawn
// again here.
#include "picture/picture.h"

int drawPicture(Picture* picture, HDC dc) {
  if (!picture->surfaceDC) return -1;
  int x = -*picture->horizontalPosRef;
  int y = -*picture->verticalPosRef;
  if (picture->scaled == 0)
    return BitBlt(dc, x, y, picture->imageWidth, picture->imageHeight, picture->surfaceDC, 0, 0,
                  SRCCOPY);
  // COLORONCOLOR drops or repeats rows and columns: fast, and no smoothing.
  SetStretchBltMode(dc, COLORONCOLOR);
  return StretchBlt(dc, x, y, picture->displayWidth, picture->displayHeight, picture->surfaceDC, 0,
                    0, picture->imageWidth, picture->imageHeight, SRCCOPY);
}
