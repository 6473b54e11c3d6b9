// The rotation dialog "ROTPICDLG": the angle in whole degrees, the mode
// radios, the fill colour button and the animated-GIF check box. Its values
// live in the rotation settings of AppState, which outlive the dialog.
#include <windows.h>
#include <commdlg.h>

#include <cwchar>

#include "core/appstate.h"
#include "core/dialogs.h"
#include "resources/resource.h"
#include "rotation/rotation.h"

namespace {

int radioOfMode(int mode) {
  if (mode == AboutHorizontalAxis) return IDC_MODE_HORIZONTAL_AXIS;
  if (mode == AboutVerticalAxis) return IDC_MODE_VERTICAL_AXIS;
  return IDC_MODE_IN_PLANE;
}

int16_t modeOfRadios(HWND dialog) {
  if (IsDlgButtonChecked(dialog, IDC_MODE_IN_PLANE) == BST_CHECKED) return InPlane;
  if (IsDlgButtonChecked(dialog, IDC_MODE_HORIZONTAL_AXIS) == BST_CHECKED)
    return AboutHorizontalAxis;
  return AboutVerticalAxis;
}

void onRotationInit(HWND dialog) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%d", static_cast<int>(app.rotation.angleDegrees));
  SetDlgItemTextW(dialog, IDC_ANGLE_EDIT, text);
  CheckRadioButton(dialog, IDC_MODE_IN_PLANE, IDC_MODE_VERTICAL_AXIS,
                   radioOfMode(app.rotation.mode));
  // An animation is asked for afresh every time, never carried over.
  CheckDlgButton(dialog, IDC_MAKE_ANIMATION, BST_UNCHECKED);
}

// An empty angle closes the dialog like Cancel; a text with no leading
// number reads as 0. The mode is taken in either case.
void onRotationOk(HWND dialog) {
  int value = 0;
  int result = 0;
  if (readDialogInt(dialog, IDC_ANGLE_EDIT, &value) == 1) {
    app.rotation.angleDegrees = value;
    app.rotation.makeAnimation =
        IsDlgButtonChecked(dialog, IDC_MAKE_ANIMATION) == BST_CHECKED ? 1 : 0;
    result = app.rotation.makeAnimation ? 2 : 1;
  }
  app.rotation.mode = modeOfRadios(dialog);
  EndDialog(dialog, result);
}

void onRotationCancel(HWND dialog) {
  app.rotation.mode = modeOfRadios(dialog);
  EndDialog(dialog, 0);
}

}  // namespace

int chooseFillColour(HWND owner) {
  // The dialog edits the custom colours in place while it is open, and they
  // are kept whether the user accepts or not.
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = app.rotation.customColours[i];
  CHOOSECOLORW chooser = {};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.rgbResult = app.rotation.fillColour;
  chooser.lpCustColors = custom;
  chooser.Flags = CC_RGBINIT;
  BOOL accepted = ChooseColorW(&chooser);
  for (int i = 0; i < 16; ++i) app.rotation.customColours[i] = custom[i];
  if (!accepted) return 0;
  app.rotation.fillColour = chooser.rgbResult;
  return 1;
}

INT_PTR CALLBACK rotationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: onRotationInit(dialog); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: onRotationOk(dialog); return TRUE;
        case IDCANCEL: onRotationCancel(dialog); return TRUE;
        case IDC_FILL_COLOUR: chooseFillColour(dialog); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}
