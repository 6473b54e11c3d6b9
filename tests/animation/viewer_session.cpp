#include "tests/animation/viewer_session.h"

#include <tlhelp32.h>
#include <commctrl.h>

#include <stdio.h>

#include <gtest/gtest.h>

#include "resources/resource.h"

const uint32_t kThreeColours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
const uint32_t kTwelveColours[12] = {
    0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080,
};

std::string gifPath(const std::string& name) { return qbtest::testDataPath("animation/" + name); }

uint32_t shownColour(App& app) {
  HDC dc = GetDC(app.window);
  if (!dc) return 0xFFFFFFFF;
  COLORREF colour = GetPixel(dc, 5, 5);
  ReleaseDC(app.window, dc);
  if (colour == CLR_INVALID) return 0xFFFFFFFF;
  return rgb(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

int shownFrame(App& app, const Palette& palette) {
  uint32_t colour = shownColour(app);
  for (int i = 0; i < palette.count; ++i)
    if (palette.colours[i] == colour) return i;
  return -1;
}

bool waitForFrame(App& app, const Palette& palette, int frame, int timeoutMs) {
  return qbtest::waitUntil([&] { return shownFrame(app, palette) == frame; }, timeoutMs, 2);
}

std::vector<int> watchFrames(App& app, const Palette& palette, int ms) {
  std::vector<int> frames;
  for (const FrameChange& change : recordFrames(app, palette, ms)) frames.push_back(change.frame);
  return frames;
}

std::vector<FrameChange> recordFrames(App& app, const Palette& palette, int ms) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::vector<FrameChange> changes;
  for (;;) {
    int frame = shownFrame(app, palette);
    QueryPerformanceCounter(&now);
    double at = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                static_cast<double>(frequency.QuadPart);
    if (at >= ms) break;
    if (frame >= 0 && (changes.empty() || changes.back().frame != frame))
      changes.push_back(FrameChange{frame, at});
    Sleep(1);
  }
  return changes;
}

std::vector<std::vector<double>> frameStays(const std::vector<FrameChange>& changes, int count) {
  std::vector<std::vector<double>> stays(count);
  // The first change may be the frame that was on show when recording
  // began: only stays that began at a seen change and ended at the next.
  for (size_t i = 1; i + 1 < changes.size(); ++i)
    stays[changes[i].frame].push_back(changes[i + 1].at - changes[i].at);
  return stays;
}

double meanStay(const std::vector<std::vector<double>>& stays, int frame) {
  if (stays[frame].empty()) return 0.0;
  double sum = 0.0;
  for (double stay : stays[frame]) sum += stay;
  return sum / static_cast<double>(stays[frame].size());
}

std::string describe(const std::vector<FrameChange>& changes) {
  std::string text;
  char item[48];
  for (const FrameChange& change : changes) {
    snprintf(item, sizeof item, " %d@%.0f", change.frame, change.at);
    text += item;
  }
  return text;
}

int threadCount(const App& app) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry;
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == app.processId) ++count;
  CloseHandle(snapshot);
  return count;
}

bool isGrey(App& app, int command) {
  UINT state = 0;
  EXPECT_TRUE(readMenuState(app, command, &state)) << app.error;
  return (state & MF_GRAYED) != 0;
}

namespace {

HWND openDialog(App& app, int command, const char* title) {
  PostMessageA(app.window, WM_COMMAND, command, 0);
  HWND dialog = waitDialog(app);
  EXPECT_NE(nullptr, dialog) << app.error;
  if (!dialog) return nullptr;
  EXPECT_EQ(title, windowText(dialog));
  return windowText(dialog) == title ? dialog : nullptr;
}

}  // namespace

HWND openSpeedDialog(App& app) { return openDialog(app, IDM_PLAYBACK_SPEED, "再生速度"); }
HWND openSceneDialog(App& app) { return openDialog(app, IDM_SCENE, "表示箇所指定"); }

void clickButton(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool isChecked(HWND dialog, int id) {
  return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool isEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void dragSlider(HWND dialog, int position) {
  HWND slider = GetDlgItem(dialog, IDC_SPEED_SLIDER);
  SendMessageA(slider, TBM_SETPOS, TRUE, position);
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
               reinterpret_cast<LPARAM>(slider));
}

int sliderPosition(HWND dialog) {
  return static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_SPEED_SLIDER), TBM_GETPOS, 0, 0));
}
