// Painting copies the memory surface to the window, shifted by the scroll
// positions and stretched when zoomed; the image is never decoded or drawn
// again here.
#include "picture/picture.h"

int drawPicture(Picture* picture, HDC dc) {
  if (!picture->surfaceDC) return -1;
  int x = -*picture->horizontalPosRef;
  int y = -*picture->verticalPosRef;
  // An animation's thread draws into the same surface: copy whole frames.
  AcquireSRWLockExclusive(&picture->surfaceLock);
  int result;
  if (picture->scaled == 0) {
    result = BitBlt(dc, x, y, picture->imageWidth, picture->imageHeight, picture->surfaceDC, 0, 0,
                    SRCCOPY);
  } else {
    // COLORONCOLOR drops or repeats rows and columns: fast, and no smoothing.
    SetStretchBltMode(dc, COLORONCOLOR);
    result = StretchBlt(dc, x, y, picture->displayWidth, picture->displayHeight,
                        picture->surfaceDC, 0, 0, picture->imageWidth, picture->imageHeight,
                        SRCCOPY);
  }
  ReleaseSRWLockExclusive(&picture->surfaceLock);
  return result;
}

void paintUncovered(Picture* picture, HDC dc, const RECT& client) {
  // The background is not erased while a picture is shown, so the copy
  // must cover the client area. A window cannot be narrower than its
  // caption buttons, and a picture that failed to decode covers nothing:
  // whatever the picture leaves uncovered gets the gray of the class brush
  // instead of whatever was on the screen before.
  int width = picture->surfaceDC ? static_cast<int>(picture->displayWidth) : 0;
  int height = picture->surfaceDC ? static_cast<int>(picture->displayHeight) : 0;
  int right = width - *picture->horizontalPosRef;
  int bottom = height - *picture->verticalPosRef;
  HBRUSH gray = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  if (right < client.right) {
    RECT strip = {right > 0 ? right : 0, 0, client.right, client.bottom};
    FillRect(dc, &strip, gray);
  }
  if (bottom < client.bottom) {
    RECT strip = {0, bottom > 0 ? bottom : 0, client.right, client.bottom};
    FillRect(dc, &strip, gray);
  }
}

void paintUnshown(Picture* picture, HDC dc, const RECT& client) {
  const wchar_t* text = unshownText(picture);
  if (!text) return;
  RECT area = client;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour = SetTextColor(dc, RGB(255, 255, 255));
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextW(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}
