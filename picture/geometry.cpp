#include "picture/geometry.h"

#include <cmath>

TrackSize computeTrackSize(int contentWidth, int contentHeight, int frameExtraWidth,
                           int extraHeight, int screenWidth, int screenHeight,
                           int vscrollWidth, int hscrollHeight) {
  int limitWidth = static_cast<int>(screenWidth * 0.9);
  int limitHeight = static_cast<int>(screenHeight * 0.9);
  // 64-bit sums: a content side near INT_MAX must still hit the limit.
  int64_t width = int64_t(contentWidth) + vscrollWidth + frameExtraWidth;
  int64_t height = int64_t(contentHeight) + hscrollHeight + extraHeight;
  TrackSize size;
  size.width = width >= limitWidth ? limitWidth : static_cast<int>(width);
  size.height = height >= limitHeight ? limitHeight : static_cast<int>(height);
  return size;
}

ScrollState scrollStateFor(int64_t contentSize, int extent, int position) {
  ScrollState state = {0, 0, 0, 0};
  int64_t maximum = contentSize - extent;
  if (maximum <= 0) return state;
  if (maximum > INT32_MAX) maximum = INT32_MAX;
  state.maximum = static_cast<int32_t>(maximum);
  state.position = position < state.maximum ? position : state.maximum;
  if (state.position < 0) state.position = 0;
  // The page is the visible share of the scroll range, less a margin of one
  // bar thickness. A client narrower than the margin would make it negative
  // and turn Page Down into Page Up, so it stops at 0.
  double page = static_cast<double>(extent - 16) / static_cast<double>(contentSize) *
                static_cast<double>(state.maximum);
  state.page = page > 0 ? static_cast<int32_t>(page) : 0;
  return state;
}

int scrollStep(int code, int thumbPosition, const ScrollState& state) {
  int64_t step = 0;
  switch (code) {
    case ScrollLineBack: step = -1; break;
    case ScrollLineOn: step = 1; break;
    case ScrollPageBack: step = -int64_t(state.page); break;
    case ScrollPageOn: step = state.page; break;
    case ScrollThumbPos:
    case ScrollThumbTrack: step = int64_t(thumbPosition) - state.position; break;
    default: step = 0; break;
  }
  int64_t low = -int64_t(state.position);
  int64_t high = int64_t(state.maximum) - state.position;
  if (step < low) step = low;
  if (step > high) step = high;
  return static_cast<int>(step);
}

double zoomedSideExact(unsigned percent, uint32_t side) {
  if (percent == 100) return side;
  double factor = static_cast<double>(percent) / 100.0;
  return std::trunc(factor * static_cast<double>(side));
}

uint32_t zoomedSide(unsigned percent, uint32_t side) {
  double value = zoomedSideExact(percent, side);
  return value >= 2147483647.0 ? 2147483647u : static_cast<uint32_t>(value);
}

bool zoomEntryAccepted(int readResult, unsigned value, unsigned currentZoom,
                       uint32_t imageWidth, uint32_t imageHeight) {
  if (readResult != 1 || value == currentZoom || value <= 10) return false;
  return zoomedSideExact(value, imageWidth) <= kMaxDisplaySide &&
         zoomedSideExact(value, imageHeight) <= kMaxDisplaySide;
}

RefitPlan planRefit(int contentWidth, int contentHeight, int clientWidth, int clientHeight,
                    bool verticalBarShown, bool horizontalBarShown, int vscrollWidth,
                    int hscrollHeight, int frameExtraWidth, int fittedFrameExtraHeight) {
  RefitPlan plan = {false, false, false, false, false, 0, 0};
  // The client size the window would have without its scroll bars.
  int availableWidth = clientWidth + (verticalBarShown ? vscrollWidth : 0);
  int availableHeight = clientHeight + (horizontalBarShown ? hscrollHeight : 0);
  if (contentWidth > availableWidth) {
    if (contentHeight > availableHeight) {
      plan.keepSize = true;
      return plan;
    }
    // Too wide, fits in height: keep the width, shrink the height to the
    // picture plus room for the horizontal bar.
    plan.resetVertical = true;
    plan.keepWidth = true;
    plan.height = fittedFrameExtraHeight + hscrollHeight + contentHeight;
    return plan;
  }
  plan.resetHorizontal = true;
  if (contentHeight > availableHeight) {
    plan.keepHeight = true;
    plan.width = vscrollWidth + frameExtraWidth + contentWidth;
  } else {
    plan.resetVertical = true;
    plan.width = frameExtraWidth + contentWidth;
    plan.height = fittedFrameExtraHeight + contentHeight;
  }
  return plan;
}
