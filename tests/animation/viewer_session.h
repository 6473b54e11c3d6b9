// Helpers of the playback tests that drive the whole program: the test
// GIFs, one screen pixel that names the frame on show, frame timing by
// sampling that pixel, the process's thread count and the two dialogs.
// Scratch folders and waits come from the support library.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"

// Frame colours of the files make_gifs.py writes (0x00RRGGBB).
extern const uint32_t kThreeColours[3];
extern const uint32_t kTwelveColours[12];

struct Palette {
  const uint32_t* colours;
  int count;
};
const Palette kThree = {kThreeColours, 3};
const Palette kTwelve = {kTwelveColours, 12};

// Windows path of a test GIF (tests/data/animation).
std::string gifPath(const std::string& name);

// The colour of client pixel (5, 5) as the screen shows it, and the frame
// it names: -1 for any other colour (the grey of no picture, say).
uint32_t shownColour(App& app);
int shownFrame(App& app, const Palette& palette);
// Waits up to timeoutMs for frame to be on screen.
bool waitForFrame(App& app, const Palette& palette, int frame, int timeoutMs = 3000);
// The distinct frames shown one after the other while watching for ms.
std::vector<int> watchFrames(App& app, const Palette& palette, int ms);

// A change of frame seen on screen: which frame and when, in ms from the
// start of the recording.
struct FrameChange {
  int frame;
  double at;
};
std::vector<FrameChange> recordFrames(App& app, const Palette& palette, int ms);
// How long each frame stayed, for every frame seen from its start to its
// end (the first and last frames of a recording are cut and left out):
// durations[frame] lists the stays of that frame in ms.
std::vector<std::vector<double>> frameStays(const std::vector<FrameChange>& changes, int count);
// Mean of a frame's stays; 0 when it has none.
double meanStay(const std::vector<std::vector<double>>& stays, int frame);
// The frames of a recording in order, for messages.
std::string describe(const std::vector<FrameChange>& changes);

// Threads of the program's process now.
int threadCount(const App& app);

// Menu item grey (true) or enabled, as WM_INITMENUPOPUP leaves it.
bool isGrey(App& app, int command);

// Opens the speed or scene dialog through its menu command; null (and a
// test failure) when it does not show with its title.
HWND openSpeedDialog(App& app);
HWND openSceneDialog(App& app);
// A click on a button, radio button or check box, as the mouse gives it.
void clickButton(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
bool isEnabled(HWND dialog, int id);
// Moves the speed slider as a drag does: position, then the scroll
// notification to the dialog.
void dragSlider(HWND dialog, int position);
int sliderPosition(HWND dialog);
