// Helpers of the animated-GIF job tests on the real program under Wine:
// driving the rotation dialog, the parameter dialog, the colour table and
// the output dialog as a user does, reading the outcome box, and judging an
// output file with the independent walker (gif_walk.py: a byte walk of its
// own and ImageMagick's decoder, run on the host).
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/support/files.h"
#include "tests/support/program_win.h"

// Starts the program on a picture; with pauseMs > 0 the test build
// quobixlens_paced.exe, whose worker pauses that long before each frame and
// each assembly step, so that a job can be caught rendering or assembling.
bool launchViewer(App& app, const std::string& picture, int pauseMs);

// The first enabled dialog of the program titled `title`, waited for.
HWND waitDialogTitled(App& app, const std::string& title, int timeoutMs = kDialogTimeoutMs);
// A message box over the program, waited for: its caption and text.
struct Box {
  HWND window = nullptr;
  std::string caption;
  std::string text;
};
bool waitBox(App& app, const std::string& caption, Box* box, int timeoutMs = kDialogTimeoutMs);
// Clicks a button without waiting for the dialog to go (for a click that
// opens another dialog over it).
void clickButton(HWND dialog, int id);

// The rotation command with the animated-GIF box ticked, up to the
// parameter dialog, which is returned (null with app.error set when
// something else came up).
HWND openParamsDialog(App& app, int angle);
// Sets the dialog's values; -1 leaves one as it is. disposal is the combo
// item (0 to 4).
void setParams(HWND params, int loop, int delay, int disposal, int transparencyOn);
// OK on the parameter dialog, the output name typed into the output dialog,
// Save, and Yes to an overwrite question. False with app.error on failure.
bool confirmAndName(App& app, HWND params, const std::string& output);
// Waits for the worker's end box ("スレッド終了"), presses OK and returns
// its text ("" on time-out).
std::string waitOutcome(App& app, int timeoutMs = 60000);

// The output file as the independent walker sees it.
struct WalkedFrame {
  int gcePacked = -1, delay = -1, transparent = -1;
  int left = 0, top = 0, width = 0, height = 0, packed = 0, localEntries = 0, lzw = 0;
};
struct DecodedFrame {
  int width = 0, height = 0;
  double cornerAlpha[4] = {0, 0, 0, 0};
};
struct WalkedGif {
  std::string version;
  int screenWidth = 0, screenHeight = 0, screenPacked = 0, background = 0, aspect = 0;
  int globalEntries = 0;
  std::vector<int> netscapeLoops;
  std::vector<std::string> otherApps;
  std::vector<WalkedFrame> frames;
  int bytesAfterTrailer = -1;
  std::vector<DecodedFrame> decoded;
};
bool walkGif(const std::string& windowsPath, WalkedGif* out, std::string* error);
// The colour table of a GIF file (global, else its first image's local
// one), read by the test itself: 3 bytes per entry.
std::vector<unsigned char> gifPalette(const std::string& windowsPath);

// Captures a dialog's client area as the screen shows it, once it has
// nothing left to paint.
bool captureDialog(App& app, HWND dialog, Capture* out);
// With QB_GIFJOB_SHOTS naming a folder, writes the capture there as
// name.bmp, to be looked at; otherwise does nothing.
void keepShot(const Capture& capture, const std::string& name);
// The same for a file (an output to look at).
void keepFile(const std::string& path, const std::string& name);
