// The speed dialog "PLYSPDLG": three fixed speeds on radio buttons, or a
// free rate on a slider (percent, 0..200) with an edit showing the same rate
// as a number. The check box switches between the two, so the radio buttons
// and the slider are never usable at the same time. A slider at 0 asks for
// playback to stop (PlaybackStopAsked) and leaves the speed as it was.
//
// The slider and the edit follow each other. The dialog's own writes to the
// edit are not read back (speedEditWriting): "0.29" read back would move a
// slider at 29 to 28, because 0.29 x 100 truncates to 28.
#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <string>

#include "animation/animation.h"
#include "animation/speedmap.h"
#include "core/appstate.h"
#include "core/dialogs.h"
#include "resources/resource.h"

namespace {

const int kTickEvery = 50;

HWND slider(HWND dialog) { return GetDlgItem(dialog, IDC_SPEED_SLIDER); }

int sliderPosition(HWND dialog) {
  return static_cast<int>(SendMessageW(slider(dialog), TBM_GETPOS, 0, 0));
}

void writeRate(HWND dialog, double rate) {
  char text[kRateTextSize];
  formatRate(rate, text, sizeof text);
  app.speedEditWriting = 1;
  setDialogNumberText(dialog, IDC_SPEED_EDIT, text);
  app.speedEditWriting = 0;
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void onSpeedInit(HWND dialog) {
  int radio = app.speedValue == 1.0   ? IDC_SPEED_NORMAL
              : app.speedValue == 0.5 ? IDC_SPEED_DOUBLE
              : app.speedValue == 2.0 ? IDC_SPEED_HALF
                                      : 0;
  if (radio) CheckRadioButton(dialog, IDC_SPEED_DOUBLE, IDC_SPEED_HALF, radio);
  app.speedInputOn = checked(dialog, IDC_SPEED_INPUT) ? 1 : 0;
  bool stopped = app.playbackMode == PlaybackStopAsked;
  SendMessageW(slider(dialog), TBM_SETRANGE, TRUE, MAKELPARAM(kSliderMinimum, kSliderMaximum));
  SendMessageW(slider(dialog), TBM_SETTICFREQ, kTickEvery, 0);
  SendMessageW(slider(dialog), TBM_SETPOS, TRUE, stopped ? 0 : sliderForSpeed(app.speedValue));
  writeRate(dialog, stopped || !(app.speedValue > 0.0) ? 0.0 : 1.0 / app.speedValue);
}

void onSpeedInputClicked(HWND dialog) {
  app.speedInputOn = app.speedInputOn == 1 ? 0 : 1;
  EnableWindow(slider(dialog), app.speedInputOn);
  EnableWindow(GetDlgItem(dialog, IDC_SPEED_EDIT), app.speedInputOn);
  BOOL radiosOn = !IsWindowEnabled(GetDlgItem(dialog, IDC_SPEED_NORMAL));
  EnableWindow(GetDlgItem(dialog, IDC_SPEED_DOUBLE), radiosOn);
  EnableWindow(GetDlgItem(dialog, IDC_SPEED_NORMAL), radiosOn);
  EnableWindow(GetDlgItem(dialog, IDC_SPEED_HALF), radiosOn);
}

// Typed text moves the slider when it reads as a rate of 0.00 to 2.00;
// other numbers (and "inf" or "nan") are replaced by the slider's rate.
// Text that is no number reads as 0.
void onRateEdited(HWND dialog) {
  if (app.speedEditWriting) return;
  double rate = 0.0;
  if (readDialogReal(dialog, &rate) != 1) return;
  int position = 0;
  if (sliderForRate(rate, &position) == 1) {
    SendMessageW(slider(dialog), TBM_SETPOS, TRUE, position);
  } else {
    writeRate(dialog, sliderPosition(dialog) / 100.0);
  }
}

void onSpeedOk(HWND dialog) {
  if (IsWindowEnabled(GetDlgItem(dialog, IDC_SPEED_NORMAL))) {
    if (checked(dialog, IDC_SPEED_NORMAL)) {
      app.speedValue = 1.0;
    } else if (checked(dialog, IDC_SPEED_DOUBLE)) {
      app.speedValue = 0.5;
    } else if (checked(dialog, IDC_SPEED_HALF)) {
      app.speedValue = 2.0;
    } else {
      EndDialog(dialog, 0);
      return;
    }
  } else {
    int position = sliderPosition(dialog);
    if (position != 0) {
      app.speedValue = speedForSlider(position);
    } else {
      app.playbackMode = PlaybackStopAsked;
    }
  }
  EndDialog(dialog, 1);
}

bool onSpeedCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDOK: onSpeedOk(dialog); return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    case IDC_SPEED_INPUT:
      if (code == BN_CLICKED) onSpeedInputClicked(dialog);
      return true;
    case IDC_SPEED_EDIT:
      if (code == EN_CHANGE) onRateEdited(dialog);
      return true;
    default: return false;
  }
}

}  // namespace

int readDialogReal(HWND dialog, double* out) {
  std::string text;
  int result = readDialogNumberText(dialog, IDC_SPEED_EDIT, &text);
  if (result == 1) *out = parseDialogReal(text.c_str());
  return result;
}

INT_PTR CALLBACK speedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: onSpeedInit(dialog); return TRUE;
    case WM_HSCROLL: writeRate(dialog, sliderPosition(dialog) / 100.0); return TRUE;
    case WM_COMMAND: return onSpeedCommand(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    default: return FALSE;
  }
}
