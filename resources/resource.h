/* Command and control ids of the program's resources (quobixlens.rc).
 *
 * Plain #defines so that both windres and the C++ code can read this file;
 * it needs no windows.h.  IDOK (1) and IDCANCEL (2) come from windows.h and
 * are the OK and Cancel buttons of every dialog.
 *
 * The resources themselves are found by name, not by number:
 *   menu "QUOBLENSMENU", icon "QBVRICO", bitmap "LOGOBMP", dialogs
 *   "CHNGZOOMDLG", "ROTPICDLG", "PLYSPDLG", "PLCDEFDLG", "AGFPRMDLG",
 *   "CLTBLDLG" and "ABPROGDLG".
 * No macro here may carry one of those names: the resource compiler would
 * replace the name in the .rc with the macro's value.
 */
#ifndef QB_RESOURCES_RESOURCE_H
#define QB_RESOURCES_RESOURCE_H

/* Menu "QUOBLENSMENU": file popup */
#define IDM_OPEN                1100
#define IDM_SAVE                1200
#define IDM_PRINT               1400  /* always grayed: there is no printing */
#define IDM_EXIT                1600

/* Menu: operation popup */
#define IDM_ZOOM                2500
#define IDM_ROTATE              2550
#define IDM_END_ROTATION        2600
#define IDM_NEXT_PICTURE        2610
#define IDM_PREVIOUS_PICTURE    2620
#define IDM_STOP_ANIMATION      2700
#define IDM_PLAY_ANIMATION      2800
#define IDM_PLAYBACK_SPEED      2810
#define IDM_SCENE               2820
#define IDM_STOP_THREAD         2900

/* Menu: help popup */
#define IDM_HELP_CONTENTS       3000
#define IDM_ABOUT               3100
#define IDM_WEB_PAGE            3200

/* Dialog "CHNGZOOMDLG" (zoom) */
#define IDC_ZOOM_LABEL          5000
#define IDC_ZOOM_EDIT           5100
#define IDC_ZOOM_UNIT           5150

/* Dialog "ROTPICDLG" (rotation); the label and unit share the zoom
 * dialog's numbers */
#define IDC_ANGLE_LABEL         5000
#define IDC_ANGLE_EDIT          5200
#define IDC_ANGLE_UNIT          5150
#define IDC_FILL_COLOUR         5300
#define IDC_MODE_IN_PLANE       5400  /* "横回転": InPlane */
#define IDC_MODE_HORIZONTAL_AXIS 5410 /* "縦回転・垂直": AboutHorizontalAxis */
#define IDC_MODE_VERTICAL_AXIS  5420  /* "縦回転・水平": AboutVerticalAxis */
#define IDC_MODE_GROUP          5500
#define IDC_MAKE_ANIMATION      5600

/* Dialog "PLYSPDLG" (playback speed) */
#define IDC_SPEED_DOUBLE        7000  /* speed 0.5 */
#define IDC_SPEED_NORMAL        7010  /* speed 1.0 */
#define IDC_SPEED_HALF          7020  /* speed 2.0 */
#define IDC_SPEED_INPUT         7030  /* check box: free speed on the slider */
#define IDC_SPEED_SLIDER        7040  /* trackbar: rate in percent, 0..200 */
#define IDC_SPEED_EDIT          7050  /* rate as a real number */

/* Dialog "PLCDEFDLG" (scene) */
#define IDC_SCENE_LABEL         7100
#define IDC_SCENE_EDIT          7110
#define IDC_SCENE_RANGE_FROM    7120  /* fixed text "0-" */
#define IDC_SCENE_LAST          7125  /* number of the last frame */
#define IDC_SCENE_ONE_BY_ONE    7130

/* Dialog "AGFPRMDLG" (animated GIF parameters) */
#define IDC_GIF_LOOP_LABEL      6100
#define IDC_GIF_LOOP_EDIT       6110
#define IDC_GIF_DELAY_LABEL     6120
#define IDC_GIF_DELAY_EDIT      6130
#define IDC_GIF_DISPOSAL_LABEL  6140
#define IDC_GIF_DISPOSAL_COMBO  6150
#define IDC_GIF_TRANSPARENCY_LABEL 6160
#define IDC_GIF_TRANSPARENCY_ON 6170
#define IDC_GIF_TRANSPARENCY_OFF 6180
#define IDC_GIF_BACKGROUND_COLOUR 6190
#define IDC_GIF_TRANSPARENT_COLOUR 6200

/* Dialog "CLTBLDLG" (colour table) */
#define IDC_TABLE_START_INDEX   6500
#define IDC_TABLE_START_RGB     6510
#define IDC_TABLE_NEW_INDEX     6520
#define IDC_TABLE_NEW_RGB       6530

/* Dialog "ABPROGDLG" (about) */
#define IDC_ABOUT_TEXT          6600

/* Size of the bitmap "LOGOBMP" in pixels (24 bits per pixel). */
#define QB_LOGO_SIZE            153

#endif
