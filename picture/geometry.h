// View geometry: window limits, scroll states, scroll steps, zoomed sizes and
// the re-fit after a user resize. Pure arithmetic on plain numbers, so the
// rules are tested natively; picture/view_win.cpp applies them to the window.
#pragma once

#include <cstdint>

// One scroll axis, in pixels. maximum is the largest position (content minus
// client extent), 0 when the axis needs no bar; minimum is always 0.
struct ScrollState {
  int32_t minimum;
  int32_t maximum;
  int32_t page;      // distance of a page step
  int32_t position;  // kept equal to AppState's position of that axis
};

// The largest window the user may drag to while a picture is shown: content
// plus one scroll-bar thickness plus the frame, but never more than 90 % of
// the screen on either axis.
struct TrackSize {
  int width;
  int height;
};
TrackSize computeTrackSize(int contentWidth, int contentHeight, int frameExtraWidth,
                           int extraHeight, int screenWidth, int screenHeight,
                           int vscrollWidth, int hscrollHeight);

// The scroll state of an axis whose client extent shows part of a content
// size, keeping the position when it still fits. A content that fits gives
// the all-zero state (bar hidden).
ScrollState scrollStateFor(int64_t contentSize, int extent, int position);

// Scroll codes as the scroll bar messages carry them.
enum ScrollCode {
  ScrollLineBack = 0,   // SB_LINEUP / SB_LINELEFT
  ScrollLineOn = 1,     // SB_LINEDOWN / SB_LINERIGHT
  ScrollPageBack = 2,   // SB_PAGEUP / SB_PAGELEFT
  ScrollPageOn = 3,     // SB_PAGEDOWN / SB_PAGERIGHT
  ScrollThumbPos = 4,   // SB_THUMBPOSITION
  ScrollThumbTrack = 5, // SB_THUMBTRACK
};

// The step a scroll code asks for, clamped so that the position stays within
// 0..maximum; 0 means the view does not move.
int scrollStep(int code, int thumbPosition, const ScrollState& state);

// A side after zoom: unchanged at 100 %, else percent / 100 (a double) times
// the side, truncated toward zero. Computed in double so that a huge zoom
// gives a huge value rather than a wrapped one. zoomedSide saturates at the
// largest int, since every caller makes a window or GDI coordinate of it;
// the view, the zoom dialog and the rotated view all size through here.
double zoomedSideExact(unsigned percent, uint32_t side);
uint32_t zoomedSide(unsigned percent, uint32_t side);

// Display sizes beyond this cannot be scrolled or painted safely (GDI's
// coordinate space and the window manager's sizes); a zoom that would exceed
// it is refused.
constexpr uint32_t kMaxDisplaySide = 32767;

// Whether the zoom dialog accepts an entry: it was read, differs from the
// current zoom, is above 10 (as unsigned, so a minus sign is a huge value)
// and keeps the display size within kMaxDisplaySide.
bool zoomEntryAccepted(int readResult, unsigned value, unsigned currentZoom,
                       uint32_t imageWidth, uint32_t imageHeight);

// What the end of a user resize does with the window.
struct RefitPlan {
  bool keepSize;          // the picture overflows both ways: leave the window
  bool resetHorizontal;   // the picture fits horizontally: drop that bar
  bool resetVertical;     // the picture fits vertically: drop that bar
  bool keepWidth;         // keep the current window width
  bool keepHeight;        // keep the current window height
  int width;              // new window width when not kept
  int height;             // new window height when not kept
};
RefitPlan planRefit(int contentWidth, int contentHeight, int clientWidth, int clientHeight,
                    bool verticalBarShown, bool horizontalBarShown, int vscrollWidth,
                    int hscrollHeight, int frameExtraWidth, int fittedFrameExtraHeight);
