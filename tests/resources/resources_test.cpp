// The compiled resources as the program sees them through the Win32 API:
// menu texts and states, every dialog's controls (id, class, text, style,
// place and size in dialog units), the icon sizes and the logo bitmap.
//
// The expected texts are UTF-8 literals and the resource texts are read
// with the W functions and turned into UTF-8, so they compare whatever the
// ANSI code page is; a wrong character, a missing space or a wrong id shows
// up as a byte difference.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/support/text.h"

using qbtest::utf8;

namespace {

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

std::string windowText(HWND window)
{
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return utf8(buffer);
}

std::string className(HWND window)
{
    char buffer[128] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

// ---------------------------------------------------------------------------
// Character set

TEST(ResourceTexts, TestLiteralsAreUtf8)
{
    // Without this the byte comparisons below would compare nonsense: the
    // half-width katakana and the ideographic space are where another
    // character set would differ.
    EXPECT_STREQ("\xef\xbd\xb7\xef\xbd\xac\xef\xbe\x9d\xef\xbd\xbe\xef\xbe\x99", "ｷｬﾝｾﾙ");
    EXPECT_STREQ("\xe5\x80\x8d\xe3\x80\x80\xe3\x80\x80\xe9\x80\x9f", "倍　　速");
}

// ---------------------------------------------------------------------------
// Menu "QUOBLENSMENU"

struct MenuEntry {
    UINT id;           // 0 for a separator
    const char *text;
    bool grayed;
};

struct PopupEntry {
    const char *text;
    std::vector<MenuEntry> items;
};

const std::vector<PopupEntry> &expectedMenu()
{
    static const std::vector<PopupEntry> menu = {
        {"ファイル(&F)",
         {{1100, "開く(&O)    Ctrl + O", false},
          {1200, "保存(&S)   Ctrl + S", false},
          {0, "", false},
          {1400, "印刷(&P)   Ctrl + P", true},
          {0, "", false},
          {1600, "終了(&X)", false}}},
        {"操作(&O)",
         {{2500, "拡大・縮小", false},
          {2550, "回転", false},
          {2600, "回転終了", false},
          {2610, "次の画像(&N)   Space", true},
          {2620, "前の画像(&P)  BackSpace", true},
          {2700, "GIFアニメ停止", true},
          {2800, "GIFアニメ再生", true},
          {2810, "再生速度指定", true},
          {2820, "表示シーン指定", true},
          {2900, "スレッド停止", true}}},
        {"ヘルプ(&H)",
         {{3000, "説明ファイルを開く", false},
          {3100, "このソフトについて(&T)", false},
          {3200, "ウェッブページを開く(&O)", false}}},
    };
    return menu;
}

struct ItemInfo {
    UINT type = 0, state = 0, id = 0;
    std::string text;
};

ItemInfo itemAt(HMENU menu, int position)
{
    wchar_t buffer[256] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = 256;
    ItemInfo out;
    if (GetMenuItemInfoW(menu, position, TRUE, &info)) {
        out.type = info.fType;
        out.state = info.fState;
        out.id = info.wID;
        out.text = utf8(buffer);
    }
    return out;
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override { menu = LoadMenuA(instance(), "QUOBLENSMENU"); }
    void TearDown() override { if (menu) DestroyMenu(menu); }
    HMENU menu = nullptr;
};

TEST_F(MenuTest, HasThreePopupsWithTheirTitles)
{
    ASSERT_NE(nullptr, menu);
    const auto &expected = expectedMenu();
    ASSERT_EQ(int(expected.size()), GetMenuItemCount(menu));
    for (size_t p = 0; p < expected.size(); ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(expected[p].text, itemAt(menu, int(p)).text);
        EXPECT_NE(nullptr, GetSubMenu(menu, int(p)));
        EXPECT_EQ(0u, GetMenuState(menu, UINT(p), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
    }
}

TEST_F(MenuTest, EveryItemHasItsIdTextAndInitialState)
{
    ASSERT_NE(nullptr, menu);
    const auto &expected = expectedMenu();
    for (size_t p = 0; p < expected.size(); ++p) {
        HMENU popup = GetSubMenu(menu, int(p));
        ASSERT_NE(nullptr, popup);
        const auto &items = expected[p].items;
        ASSERT_EQ(int(items.size()), GetMenuItemCount(popup)) << expected[p].text;
        for (size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(::testing::Message() << "popup " << p << " item " << i);
            ItemInfo got = itemAt(popup, int(i));
            if (items[i].id == 0) {
                EXPECT_TRUE(got.type & MFT_SEPARATOR);
                continue;
            }
            EXPECT_FALSE(got.type & MFT_SEPARATOR);
            EXPECT_EQ(items[i].id, got.id);
            EXPECT_EQ(items[i].text, got.text);
            EXPECT_EQ(items[i].grayed, (got.state & MFS_GRAYED) != 0);
            EXPECT_FALSE(got.state & MFS_CHECKED);
        }
    }
}

TEST_F(MenuTest, CommandsAreFoundByIdFromTheMenuBar)
{
    // The main window enables and grays items by command through the bar.
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(UINT(MF_GRAYED), GetMenuState(menu, IDM_PRINT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(UINT(MF_GRAYED), GetMenuState(menu, IDM_STOP_THREAD, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(0u, GetMenuState(menu, IDM_ROTATE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(UINT(-1), GetMenuState(menu, 1300, MF_BYCOMMAND));
}

// ---------------------------------------------------------------------------
// Dialogs

struct Control {
    int id;
    const char *cls;
    const char *text;
    int x, y, w, h;
    DWORD style;        // bits that must be set ...
    DWORD styleMask;    // ... among these bits
    DWORD exStyle = 0;  // WS_EX_DLGMODALFRAME or 0
    bool border = false;
};

struct Dialog {
    const char *name;
    const char *title;
    int w, h;
    std::vector<Control> controls;
};

constexpr DWORD kButtonType = 0x0F;   // BS_TYPEMASK
constexpr DWORD kComboType = 0x03;
constexpr DWORD kStaticType = 0x1F;   // SS_TYPEMASK
constexpr DWORD kTrackbarBits = TBS_AUTOTICKS | TBS_BOTH | TBS_VERT;

Control okButton(int x, int y, int w, int h, const char *text = "OK")
{
    return {IDOK, "Button", text, x, y, w, h, BS_DEFPUSHBUTTON | WS_TABSTOP,
            kButtonType | WS_TABSTOP | WS_DISABLED};
}

Control cancelButton(int x, int y, int w, int h, const char *text = "ｷｬﾝｾﾙ")
{
    return {IDCANCEL, "Button", text, x, y, w, h, BS_PUSHBUTTON | WS_TABSTOP,
            kButtonType | WS_TABSTOP | WS_DISABLED};
}

Control pushButton(int id, const char *text, int x, int y, int w, int h)
{
    return {id, "Button", text, x, y, w, h, BS_PUSHBUTTON | WS_TABSTOP,
            kButtonType | WS_TABSTOP | WS_DISABLED};
}

Control label(int id, const char *text, int x, int y, int w, int h)
{
    return {id, "Static", text, x, y, w, h, SS_LEFT, kStaticType};
}

Control radio(int id, const char *text, int x, int y, int w, int h)
{
    return {id, "Button", text, x, y, w, h, BS_AUTORADIOBUTTON,
            kButtonType | WS_DISABLED};
}

Control checkBox(int id, const char *text, int x, int y, int w, int h)
{
    return {id, "Button", text, x, y, w, h, BS_AUTOCHECKBOX | WS_TABSTOP,
            kButtonType | WS_TABSTOP | WS_DISABLED};
}

const std::vector<Dialog> &expectedDialogs()
{
    static const std::vector<Dialog> dialogs = {
        {"CHNGZOOMDLG", "倍率を入力", 146, 94,
         {okButton(19, 37, 50, 14),
          cancelButton(83, 38, 50, 14),
          label(IDC_ZOOM_LABEL, "倍率", 18, 16, 19, 8),
          {IDC_ZOOM_EDIT, "Edit", "", 43, 13, 57, 14, ES_AUTOHSCROLL,
           ES_AUTOHSCROLL | WS_DISABLED | ES_NUMBER, 0, true},
          label(IDC_ZOOM_UNIT, "％", 103, 14, 19, 8)}},

        {"ROTPICDLG", "回転角度を入力", 215, 139,
         {okButton(17, 115, 50, 14),
          cancelButton(81, 115, 50, 14),
          label(IDC_ANGLE_LABEL, "回転角", 5, 16, 19, 8),
          {IDC_ANGLE_EDIT, "Edit", "", 30, 13, 57, 14, ES_AUTOHSCROLL,
           ES_AUTOHSCROLL | WS_DISABLED | ES_NUMBER, 0, true},
          label(IDC_ANGLE_UNIT, "度", 90, 15, 19, 8),
          pushButton(IDC_FILL_COLOUR, "塗りつぶし色", 111, 13, 50, 14),
          radio(IDC_MODE_IN_PLANE, "横回転", 15, 50, 50, 10),
          radio(IDC_MODE_HORIZONTAL_AXIS, "縦回転・垂直", 15, 65, 50, 10),
          radio(IDC_MODE_VERTICAL_AXIS, "縦回転・水平", 15, 80, 50, 10),
          {IDC_MODE_GROUP, "Button", "", 10, 38, 95, 64, BS_GROUPBOX, kButtonType},
          checkBox(IDC_MAKE_ANIMATION, "アニメGIF作成", 114, 49, 71, 10)}},

        {"PLYSPDLG", "再生速度", 196, 93,
         {okButton(10, 72, 35, 14),
          cancelButton(50, 72, 35, 14),
          radio(IDC_SPEED_DOUBLE, "倍　　速", 18, 10, 40, 10),
          radio(IDC_SPEED_NORMAL, "等　　速", 18, 30, 40, 10),
          radio(IDC_SPEED_HALF, "半　　分", 18, 50, 40, 10),
          checkBox(IDC_SPEED_INPUT, "速度入力", 78, 9, 40, 10),
          // A frame but no caption bar (never WS_DLGFRAME with WS_BORDER).
          {IDC_SPEED_SLIDER, "msctls_trackbar32", "", 77, 28, 78, 30,
           TBS_AUTOTICKS | TBS_BOTH | WS_DISABLED | WS_TABSTOP,
           kTrackbarBits | WS_DISABLED | WS_TABSTOP | WS_DLGFRAME, WS_EX_DLGMODALFRAME, true},
          {IDC_SPEED_EDIT, "Edit", "", 161, 35, 20, 15, ES_AUTOHSCROLL | WS_DISABLED,
           ES_AUTOHSCROLL | WS_DISABLED, 0, true}}},

        {"PLCDEFDLG", "表示箇所指定", 140, 83,
         {okButton(15, 62, 50, 14),
          cancelButton(70, 63, 50, 14),
          label(IDC_SCENE_LABEL, "再生箇所", 15, 17, 30, 8),
          {IDC_SCENE_EDIT, "Edit", "", 50, 13, 40, 14, ES_AUTOHSCROLL,
           ES_AUTOHSCROLL | WS_DISABLED},   // the one edit without a border
          label(IDC_SCENE_RANGE_FROM, "0-", 95, 17, 7, 8),
          label(IDC_SCENE_LAST, "0", 103, 17, 20, 8),
          checkBox(IDC_SCENE_ONE_BY_ONE, "1シーン毎表示", 15, 38, 75, 10)}},

        {"AGFPRMDLG", "アニメGIFパラメータ指定", 187, 125,
         {okButton(75, 101, 50, 14),
          cancelButton(131, 100, 50, 14),
          label(IDC_GIF_LOOP_LABEL, "繰り返し", 9, 9, 26, 8),
          {IDC_GIF_LOOP_EDIT, "Edit", "", 46, 7, 22, 14, ES_NUMBER | ES_AUTOHSCROLL,
           ES_NUMBER | ES_AUTOHSCROLL | WS_DISABLED, 0, true},
          label(IDC_GIF_DELAY_LABEL, "ディレイ", 82, 11, 25, 8),
          {IDC_GIF_DELAY_EDIT, "Edit", "", 113, 9, 26, 14, ES_NUMBER | ES_AUTOHSCROLL,
           ES_NUMBER | ES_AUTOHSCROLL | WS_DISABLED, 0, true},
          label(IDC_GIF_DISPOSAL_LABEL, "消去法", 9, 36, 27, 8),
          // The height of a combo box is that of its drop-down list.
          {IDC_GIF_DISPOSAL_COMBO, "ComboBox", "", 46, 33, 48, 100,
           CBS_DROPDOWN | CBS_HASSTRINGS | WS_TABSTOP,
           kComboType | CBS_HASSTRINGS | WS_TABSTOP | WS_DISABLED},
          label(IDC_GIF_TRANSPARENCY_LABEL, "透過色", 11, 60, 22, 8),
          radio(IDC_GIF_TRANSPARENCY_ON, "オン", 47, 60, 27, 10),
          radio(IDC_GIF_TRANSPARENCY_OFF, "オフ", 78, 61, 27, 10),
          pushButton(IDC_GIF_BACKGROUND_COLOUR, "背景色指定", 112, 33, 50, 14),
          pushButton(IDC_GIF_TRANSPARENT_COLOUR, "透過色指定", 113, 57, 50, 14)}},

        {"CLTBLDLG", "透過色変更", 230, 200,
         {okButton(170, 145, 50, 14, "変更"),
          cancelButton(170, 162, 50, 14, "取消"),
          label(IDC_TABLE_START_INDEX, "インデックス 255", 170, 20, 55, 8),
          label(IDC_TABLE_START_RGB, "RGB値 AABBCC", 170, 35, 55, 8),
          label(IDC_TABLE_NEW_INDEX, "インデックス   1", 170, 65, 55, 8),
          label(IDC_TABLE_NEW_RGB, "RGB値 AABBCC", 170, 80, 55, 8)}},

        {"ABPROGDLG", "About this program", 207, 115,
         {okButton(110, 93, 50, 14),
          label(IDC_ABOUT_TEXT, "", 103, 10, 92, 47)}},
    };
    return dialogs;
}

void PrintTo(const Dialog &d, std::ostream *os) { *os << d.name; }

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Each dialog is created modeless and hidden (no template has WS_VISIBLE).
class DialogTest : public ::testing::TestWithParam<Dialog> {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_BAR_CLASSES};
        InitCommonControlsEx(&init);
    }
    void SetUp() override
    {
        dialog = CreateDialogParamW(instance(), qbtest::wide(GetParam().name).c_str(), nullptr,
                                    quietDialogProc, 0);
    }
    void TearDown() override { if (dialog) DestroyWindow(dialog); }

    // Pixels of a dialog-unit rectangle, rounded as the dialog manager
    // rounds: the place and the size separately.
    RECT dialogUnits(int x, int y, int w, int h) const
    {
        RECT r = {x, y, w, h};
        MapDialogRect(dialog, &r);
        return {r.left, r.top, r.left + r.right, r.top + r.bottom};
    }
    HWND dialog = nullptr;
};

TEST_P(DialogTest, FrameTitleFontAndClientSize)
{
    const Dialog &d = GetParam();
    ASSERT_NE(nullptr, dialog) << d.name << " error " << GetLastError();
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(d.title, windowText(dialog));

    DWORD style = DWORD(GetWindowLongA(dialog, GWL_STYLE));
    EXPECT_EQ(DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CHILD));
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));

    LOGFONTW font = {};
    HFONT handle = HFONT(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, handle);
    ASSERT_NE(0, GetObjectW(handle, sizeof font, &font));
    EXPECT_EQ("ＭＳ Ｐゴシック", utf8(font.lfFaceName));
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(-MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
    ReleaseDC(nullptr, screen);

    RECT client = {};
    GetClientRect(dialog, &client);
    RECT expected = dialogUnits(0, 0, d.w, d.h);
    EXPECT_EQ(expected.right, client.right);
    EXPECT_EQ(expected.bottom, client.bottom);

    LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    EXPECT_EQ(DC_HASDEFID, HIWORD(defId));
    EXPECT_EQ(IDOK, LOWORD(defId));
}

TEST_P(DialogTest, EveryControlHasItsIdClassTextStyleAndPlace)
{
    const Dialog &d = GetParam();
    ASSERT_NE(nullptr, dialog) << d.name;
    for (const Control &c : d.controls) {
        SCOPED_TRACE(::testing::Message() << d.name << " control " << c.id);
        HWND item = GetDlgItem(dialog, c.id);
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(0, lstrcmpiA(c.cls, className(item).c_str())) << className(item);
        EXPECT_EQ(c.text, windowText(item));

        DWORD style = DWORD(GetWindowLongA(item, GWL_STYLE));
        EXPECT_EQ(DWORD(WS_CHILD | WS_VISIBLE), style & (WS_CHILD | WS_VISIBLE | WS_POPUP));
        EXPECT_EQ(c.style, style & c.styleMask);
        DWORD exStyle = DWORD(GetWindowLongA(item, GWL_EXSTYLE));
        EXPECT_EQ(c.exStyle, exStyle & WS_EX_DLGMODALFRAME);
        // The dialog manager turns a control's WS_BORDER into a sunken edge.
        EXPECT_EQ(c.border, (style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE));

        RECT place = {};
        GetWindowRect(item, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&place), 2);
        RECT expected = dialogUnits(c.x, c.y, c.w, c.h);
        EXPECT_EQ(expected.left, place.left);
        EXPECT_EQ(expected.top, place.top);
        EXPECT_EQ(expected.right, place.right);
        if (lstrcmpiA(c.cls, "ComboBox") != 0) {
            EXPECT_EQ(expected.bottom, place.bottom);
        }
    }
}

TEST_P(DialogTest, HoldsNoOtherControls)
{
    const Dialog &d = GetParam();
    ASSERT_NE(nullptr, dialog) << d.name;
    std::set<int> expected;
    for (const Control &c : d.controls)
        expected.insert(c.id);
    std::set<int> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.insert(GetDlgCtrlID(child));
    EXPECT_EQ(expected, found);
    EXPECT_EQ(d.controls.size(), found.size());
}

std::string dialogName(const ::testing::TestParamInfo<Dialog> &info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Resources, DialogTest, ::testing::ValuesIn(expectedDialogs()), dialogName);

// Auto radio buttons clear each other only inside their group; a WS_GROUP
// in the wrong place would let one group's click clear another control.
struct RadioGroup {
    const char *dialog;
    std::vector<int> radios;
    int neighbour;   // a check box or button right after the group
};

void PrintTo(const RadioGroup &g, std::ostream *os) { *os << g.dialog; }

class RadioGroupTest : public ::testing::TestWithParam<RadioGroup> {};

TEST_P(RadioGroupTest, ClickingOneRadioClearsOnlyItsGroup)
{
    const RadioGroup &g = GetParam();
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    HWND dialog = CreateDialogParamW(instance(), qbtest::wide(g.dialog).c_str(), nullptr,
                                     quietDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    if (g.neighbour)
        CheckDlgButton(dialog, g.neighbour, BST_CHECKED);
    for (int chosen : g.radios) {
        SCOPED_TRACE(::testing::Message() << g.dialog << " radio " << chosen);
        SendDlgItemMessageA(dialog, chosen, BM_CLICK, 0, 0);
        for (int other : g.radios) {
            UINT expected = other == chosen ? BST_CHECKED : BST_UNCHECKED;
            EXPECT_EQ(expected, IsDlgButtonChecked(dialog, other)) << other;
        }
        if (g.neighbour) {
            EXPECT_EQ(UINT(BST_CHECKED), IsDlgButtonChecked(dialog, g.neighbour));
        }
    }
    DestroyWindow(dialog);
}

const RadioGroup kRadioGroups[] = {
    {"ROTPICDLG", {IDC_MODE_IN_PLANE, IDC_MODE_HORIZONTAL_AXIS, IDC_MODE_VERTICAL_AXIS},
     IDC_MAKE_ANIMATION},
    {"PLYSPDLG", {IDC_SPEED_DOUBLE, IDC_SPEED_NORMAL, IDC_SPEED_HALF}, IDC_SPEED_INPUT},
    {"AGFPRMDLG", {IDC_GIF_TRANSPARENCY_ON, IDC_GIF_TRANSPARENCY_OFF}, 0},
};

std::string groupName(const ::testing::TestParamInfo<RadioGroup> &info) { return info.param.dialog; }

INSTANTIATE_TEST_SUITE_P(Resources, RadioGroupTest, ::testing::ValuesIn(kRadioGroups), groupName);

// ---------------------------------------------------------------------------
// Icon and logo

// The stored image of an icon group entry, chosen exactly (no scaling).
const BITMAPINFOHEADER *storedIconImage(int size)
{
    HRSRC group = FindResourceA(instance(), "QBVRICO", MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    if (!group)
        return nullptr;
    auto *directory = static_cast<PBYTE>(LockResource(LoadResource(instance(), group)));
    int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceA(instance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3)); // RT_ICON
    if (!image)
        return nullptr;
    return static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(instance(), image)));
}

TEST(IconResource, HoldsSixteenThirtyTwoAndFortyEightPixelImages)
{
    HRSRC group = FindResourceA(instance(), "QBVRICO", MAKEINTRESOURCEA(14));
    ASSERT_NE(nullptr, group);
    auto *directory = static_cast<const WORD *>(LockResource(LoadResource(instance(), group)));
    EXPECT_EQ(1, directory[1]);   // type: icon
    EXPECT_EQ(3, directory[2]);   // image count

    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        const BITMAPINFOHEADER *header = storedIconImage(size);
        ASSERT_NE(nullptr, header);
        EXPECT_EQ(size, header->biWidth);
        EXPECT_EQ(2 * size, header->biHeight);   // colour rows and mask rows
        EXPECT_EQ(32, header->biBitCount);

        HICON icon = HICON(LoadImageA(instance(), "QBVRICO", IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(size, colour.bmWidth);
        EXPECT_EQ(size, colour.bmHeight);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // The class icon is loaded the plain way as well.
    EXPECT_NE(nullptr, LoadIconA(instance(), "QBVRICO"));
}

TEST(LogoResource, IsAnUncompressed153By153TwentyFourBitBitmap)
{
    HRSRC found = FindResourceA(instance(), "LOGOBMP", MAKEINTRESOURCEA(2)); // RT_BITMAP
    ASSERT_NE(nullptr, found);
    auto *header = static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(instance(), found)));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(153, header->biWidth);
    EXPECT_EQ(153, header->biHeight);
    EXPECT_EQ(24, header->biBitCount);
    EXPECT_EQ(DWORD(BI_RGB), header->biCompression);
    const DWORD stride = (153 * 3 + 3) & ~3u;
    EXPECT_EQ(sizeof(BITMAPINFOHEADER) + stride * 153, SizeofResource(instance(), found));

    // The about box loads it with LoadBitmapA and copies 153 x 153 pixels.
    HBITMAP bitmap = LoadBitmapA(instance(), "LOGOBMP");
    ASSERT_NE(nullptr, bitmap);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(QB_LOGO_SIZE, info.bmWidth);
    EXPECT_EQ(QB_LOGO_SIZE, info.bmHeight);
    DeleteObject(bitmap);

    // A picture, not a blank square.
    const BYTE *pixels = reinterpret_cast<const BYTE *>(header + 1);
    std::set<DWORD> colours;
    for (int y = 0; y < 153; ++y)
        for (int x = 0; x < 153; ++x) {
            const BYTE *p = pixels + y * stride + x * 3;
            colours.insert(p[0] | p[1] << 8 | p[2] << 16);
        }
    EXPECT_GT(colours.size(), 200u);
}

} // namespace
