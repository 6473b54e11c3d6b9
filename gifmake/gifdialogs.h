// The dialogs of animated-GIF making: the parameter dialog "AGFPRMDLG" and
// the colour table dialog "CLTBLDLG" it opens to pick the background and
// the transparent colour from the first frame file's palette. They exchange
// their values through gifParams and AppState; the pure half (typed
// numbers, the grid) is gifmake/dialogvalues.h.
#pragma once

#include <windows.h>

// --- paramdialog_win.cpp -----------------------------------------------------

// "AGFPRMDLG" on owner: 1 when closed with OK (gifParams then holds the
// dialog's values), 0 for Cancel, the close box or a dialog that could not
// be made. The colour buttons read the palette of app.firstFramePath.
int runGifParamsDialog(HWND owner);

INT_PTR CALLBACK gifParamsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- colourtable_win.cpp -----------------------------------------------------

// "CLTBLDLG" in its two variants, for DialogBoxParamW with the index slot
// (a uint16_t*) as the parameter: the background variant is titled
// "背景色変更", the transparent one keeps the template's "透過色変更". They
// show app.dialogPalette of app.dialogPaletteBits and write the chosen
// index into the slot on OK; Cancel leaves it.
INT_PTR CALLBACK backgroundColourDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam);
INT_PTR CALLBACK transparentColourDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                             LPARAM lParam);
