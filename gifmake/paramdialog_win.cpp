// "AGFPRMDLG": the loop count, delay, disposal method and transparency of
// the next animated GIF, and the two buttons that pick the background and
// the transparent colour from the first frame file's palette.
//
// Only OK writes the four edit, combo and radio values; the colour buttons
// change the two indices at once, so Cancel puts back the indices saved at
// opening. The palette lives in AppState only while a colour table dialog
// shows it.
//
// The colour table dialog and the palette's error box are owned by this
// dialog, not by the main window: while the grid is open this dialog is
// disabled, so no second palette click can free the palette under the grid
// and no Cancel can close this dialog (and restore the indices) before the
// grid has written its choice.
#include <string>

#include "core/appstate.h"
#include "core/dialogs.h"
#include "gifmake/dialogvalues.h"
#include "gifmake/gifdialogs.h"
#include "gifmake/gifmake.h"
#include "resources/resource.h"

namespace {

// The combo box items; an item's index is the GIF disposal method.
const wchar_t* const disposalItems[] = {L"0-未定義", L"1-未消去", L"2-背景色", L"3-描画前", L""};

// The edit's number, low 16 bits; 0 for an empty edit or a failed read.
uint16_t readParamEdit(HWND dialog, int id) {
  std::string text;
  if (readDialogNumberText(dialog, id, &text) != 1) return 0;
  return gifParamFromText(text.c_str());
}

void onInitDialog(HWND dialog) {
  SetDlgItemTextW(dialog, IDC_GIF_LOOP_EDIT, std::to_wstring(gifParams.loopCount).c_str());
  SetDlgItemTextW(dialog, IDC_GIF_DELAY_EDIT, std::to_wstring(gifParams.delay).c_str());
  HWND combo = GetDlgItem(dialog, IDC_GIF_DISPOSAL_COMBO);
  for (const wchar_t* item : disposalItems)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageW(combo, CB_SETCURSEL, gifParams.disposalMethod, 0);
  CheckRadioButton(dialog, IDC_GIF_TRANSPARENCY_ON, IDC_GIF_TRANSPARENCY_OFF,
                   gifParams.transparencyOn == 1 ? IDC_GIF_TRANSPARENCY_ON
                                                 : IDC_GIF_TRANSPARENCY_OFF);
  app.savedBackgroundIndex = gifParams.backgroundIndex;
  app.savedTransparentIndex = gifParams.transparentIndex;
}

void onOk(HWND dialog) {
  gifParams.loopCount = readParamEdit(dialog, IDC_GIF_LOOP_EDIT);
  gifParams.delay = readParamEdit(dialog, IDC_GIF_DELAY_EDIT);
  // Text typed into the combo's edit field selects no item: the disposal
  // stays what it was rather than becoming a method GIF does not have.
  LRESULT item = SendDlgItemMessageW(dialog, IDC_GIF_DISPOSAL_COMBO, CB_GETCURSEL, 0, 0);
  if (item >= 0 && item < static_cast<LRESULT>(sizeof disposalItems / sizeof disposalItems[0]))
    gifParams.disposalMethod = static_cast<uint8_t>(item);
  gifParams.transparencyOn = IsDlgButtonChecked(dialog, IDC_GIF_TRANSPARENCY_ON) == BST_CHECKED;
  EndDialog(dialog, 1);
}

void onCancel(HWND dialog) {
  gifParams.backgroundIndex = app.savedBackgroundIndex;
  gifParams.transparentIndex = app.savedTransparentIndex;
  EndDialog(dialog, 0);
}

// Reads the first frame's palette into AppState; false (and the error box
// over the dialog) when the file cannot be read as a GIF.
bool loadPalette(HWND dialog, PaletteMode mode) {
  app.dialogPalette.clear();
  int result = 0;
  app.dialogPalette = readDialogPalette(app.firstFramePath, result, mode, app.dialogPaletteBits);
  if (result > 0) return true;
  MessageBoxW(dialog, L"カラーテーブルの取得に失敗", L"Error", MB_OK);
  return false;
}

void dropPalette() {
  app.dialogPalette.clear();
  app.dialogPalette.shrink_to_fit();
  app.dialogPaletteBits = 0;
}

void onBackgroundColour(HWND dialog) {
  // The background is picked from what becomes the output's global table.
  if (loadPalette(dialog, PaletteAutomatic))
    DialogBoxParamW(app.instance, L"CLTBLDLG", dialog, backgroundColourDialogProc,
                    reinterpret_cast<LPARAM>(&gifParams.backgroundIndex));
  dropPalette();
}

void onTransparentColour(HWND dialog) {
  app.pickedTransparentIndex = gifParams.transparentIndex;
  uint16_t before = app.pickedTransparentIndex;
  // The transparent colour is one the frame is drawn with: its own table.
  if (loadPalette(dialog, PaletteLocalFirst))
    DialogBoxParamW(app.instance, L"CLTBLDLG", dialog, transparentColourDialogProc,
                    reinterpret_cast<LPARAM>(&app.pickedTransparentIndex));
  if (app.pickedTransparentIndex != before) gifParams.transparentIndex = app.pickedTransparentIndex;
  dropPalette();
}

}  // namespace

INT_PTR CALLBACK gifParamsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    onInitDialog(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: onOk(dialog); return TRUE;
    case IDCANCEL: onCancel(dialog); return TRUE;
    case IDC_GIF_BACKGROUND_COLOUR: onBackgroundColour(dialog); return TRUE;
    case IDC_GIF_TRANSPARENT_COLOUR: onTransparentColour(dialog); return TRUE;
    default: return FALSE;
  }
}

int runGifParamsDialog(HWND owner) {
  return DialogBoxParamW(app.instance, L"AGFPRMDLG", owner, gifParamsDialogProc, 0) == 1 ? 1 : 0;
}
