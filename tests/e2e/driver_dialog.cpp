// Modal dialogs and message boxes of the program under test.
//
// Both are top-level windows of the dialog class "#32770" owned by the
// program's process. Texts are read with WM_GETTEXT (the system copies the
// text across processes for that message), so an edit reads as it is now,
// not as it was created. They are read and set in UTF-16, which a window
// gives right whether its program speaks ANSI or Unicode, and handed to the
// tests in UTF-8.
#include "tests/e2e/driver_internal.h"

#include "tests/support/text.h"
#include "tests/support/wait.h"

using qbtest::utf8;
using qbtest::waitUntil;
using qbtest::wide;

struct DialogSearch {
  DWORD processId;
  HWND found;         // the first enabled one in z-order (the innermost modal)
  HWND anyVisible;    // fallback when all are disabled
};

static BOOL CALLBACK matchDialog(HWND window, LPARAM lParam) {
  DialogSearch* search = (DialogSearch*)lParam;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->processId || !IsWindowVisible(window))
    return TRUE;
  wchar_t name[16];
  if (GetClassNameW(window, name, 16) == 0 || lstrcmpW(name, L"#32770") != 0)
    return TRUE;
  if (search->anyVisible == NULL)
    search->anyVisible = window;
  if (IsWindowEnabled(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND findDialog(const App& app) {
  if (app.processId == 0)
    return NULL;
  DialogSearch search = {app.processId, NULL, NULL};
  EnumWindows(matchDialog, (LPARAM)&search);
  return search.found != NULL ? search.found : search.anyVisible;
}

HWND waitDialog(App& app, int timeoutMs) {
  HWND dialog = NULL;
  bool ended = false;
  waitUntil([&] {
    dialog = findDialog(app);
    ended = dialog == NULL && !isRunning(app);
    return dialog != NULL || ended;
  }, timeoutMs, 20);
  if (ended)
    fail(app, "waiting for a dialog: the program has ended");
  else if (dialog == NULL)
    fail(app, "no dialog or message box within %d ms", timeoutMs);
  return dialog;
}

std::string windowText(HWND window) {
  DWORD_PTR length = 0;
  if (window == NULL ||
      !SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length))
    return std::string();
  std::vector<wchar_t> text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), (LPARAM)text.data(), SMTO_NORMAL,
                           5000, &copied))
    return std::string();
  return utf8(std::wstring(text.data(), copied < text.size() ? copied : text.size() - 1));
}

std::string dialogItemText(HWND dialog, int itemId) {
  HWND item = GetDlgItem(dialog, itemId);
  return item != NULL ? windowText(item) : std::string();
}

struct StaticTexts {
  std::string joined;
};

static BOOL CALLBACK collectStatic(HWND child, LPARAM lParam) {
  StaticTexts* texts = (StaticTexts*)lParam;
  wchar_t name[16];
  if (GetClassNameW(child, name, 16) == 0 || lstrcmpiW(name, L"Static") != 0)
    return TRUE;
  std::string text = windowText(child);
  if (text.empty())
    return TRUE;
  if (!texts->joined.empty())
    texts->joined += "\n";
  texts->joined += text;
  return TRUE;
}

std::string messageBoxText(HWND box) {
  StaticTexts texts;
  if (box != NULL)
    EnumChildWindows(box, collectStatic, (LPARAM)&texts);
  return texts.joined;
}

bool setDialogItemText(App& app, HWND dialog, int itemId, const std::string& text) {
  HWND item = GetDlgItem(dialog, itemId);
  if (item == NULL)
    return fail(app, "the dialog has no item %d", itemId);
  DWORD_PTR result = 0;
  std::wstring wideText = wide(text);
  if (!SendMessageTimeoutW(item, WM_SETTEXT, 0, (LPARAM)wideText.c_str(), SMTO_NORMAL, 5000,
                           &result) ||
      !result)
    return fail(app, "setting the text of item %d failed", itemId);
  return true;
}

bool pressDialogButton(App& app, HWND dialog, int buttonId, int timeoutMs) {
  DWORD start = GetTickCount();
  HWND button = GetDlgItem(dialog, buttonId);
  if (button == NULL)
    return fail(app, "the dialog has no button %d", buttonId);
  if (!IsWindowEnabled(button))
    return fail(app, "button %d is disabled", buttonId);
  // Posted, not sent: the dialog's own loop then takes the click off its
  // queue and ends, instead of ending inside a sent message and dropping
  // whatever it fetches next.
  if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), (LPARAM)button))
    return fail(app, "posting the click on button %d failed", buttonId);
  bool gone = waitUntil([&] {
    return !(IsWindow(dialog) && IsWindowVisible(dialog)) || !isRunning(app);
  }, timeoutMs, 10);
  if (!isRunning(app))
    return true;  // the answer ended the program; the caller checks the exit code
  if (!gone)
    return fail(app, "the dialog was still shown %d ms after button %d", timeoutMs, buttonId);
  // A settle of about 150 ms, then a full idle wait: Wine can swallow the
  // first message posted to the owner right after a modal dialog closes.
  // The answer may also end the program (Yes to closing), which the settle
  // notices; there is no window to synchronise with then.
  waitUntil([&] { return !isRunning(app) || !IsWindow(app.window); }, 150, 10);
  if (!isRunning(app) || !IsWindow(app.window))
    return true;
  return waitIdle(app, remainingMs(start, timeoutMs) + kIdleTimeoutMs);
}
