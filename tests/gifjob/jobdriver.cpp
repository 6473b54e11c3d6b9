#include "tests/gifjob/jobdriver.h"

#include <cstdio>
#include <sstream>

#include "resources/resource.h"
#include "tests/support/bmp_file.h"
#include "tests/support/host_win.h"
#include "tests/support/text.h"
#include "tests/support/wait.h"

using namespace qbtest;

namespace {

const int fileNameCombo = 0x47C, fileNameEdit = 0x480;

}  // namespace

bool launchViewer(App& app, const std::string& picture, int pauseMs) {
  if (pauseMs <= 0) return launchViewer(app, picture);
  // The shipped program ignores the variable; only the paced build reads it.
  SetEnvironmentVariableA("QB_TEST_WORKER_PAUSE_MS", std::to_string(pauseMs).c_str());
  bool launched = launchApp(app, binFolder() + "quobixlens_paced.exe", picture, "quobixlens");
  SetEnvironmentVariableA("QB_TEST_WORKER_PAUSE_MS", nullptr);
  return launched;
}

HWND waitDialogTitled(App& app, const std::string& title, int timeoutMs) {
  HWND dialog = nullptr;
  waitUntil([&] {
    dialog = findDialog(app);
    if (dialog && IsWindowEnabled(dialog) && windowText(dialog) == title) return true;
    dialog = nullptr;
    return !isRunning(app);
  }, timeoutMs, 20);
  if (dialog) return dialog;
  HWND other = findDialog(app);
  app.error = "no dialog \"" + title + "\"; shown: " +
              (other ? "\"" + windowText(other) + "\" " + messageBoxText(other) : "none");
  return nullptr;
}

bool waitBox(App& app, const std::string& caption, Box* box, int timeoutMs) {
  HWND window = waitDialogTitled(app, caption, timeoutMs);
  if (!window) return false;
  box->window = window;
  box->caption = caption;
  box->text = messageBoxText(window);
  return true;
}

void clickButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND openParamsDialog(App& app, int angle) {
  PostMessageA(app.window, WM_COMMAND, IDM_ROTATE, 0);
  HWND rotation = waitDialogTitled(app, "回転角度を入力");
  if (!rotation) return nullptr;
  if (!setDialogItemText(app, rotation, IDC_ANGLE_EDIT, std::to_string(angle))) return nullptr;
  SendMessageA(GetDlgItem(rotation, IDC_MAKE_ANIMATION), BM_CLICK, 0, 0);
  if (!pressDialogButton(app, rotation, IDOK)) return nullptr;
  return waitDialogTitled(app, "アニメGIFパラメータ指定");
}

void setParams(HWND params, int loop, int delay, int disposal, int transparencyOn) {
  if (loop >= 0)
    SendMessageA(GetDlgItem(params, IDC_GIF_LOOP_EDIT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(std::to_string(loop).c_str()));
  if (delay >= 0)
    SendMessageA(GetDlgItem(params, IDC_GIF_DELAY_EDIT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(std::to_string(delay).c_str()));
  if (disposal >= 0)
    SendMessageA(GetDlgItem(params, IDC_GIF_DISPOSAL_COMBO), CB_SETCURSEL, disposal, 0);
  if (transparencyOn >= 0)
    SendMessageA(GetDlgItem(params, transparencyOn ? IDC_GIF_TRANSPARENCY_ON
                                                   : IDC_GIF_TRANSPARENCY_OFF),
                 BM_CLICK, 0, 0);
}

bool confirmAndName(App& app, HWND params, const std::string& output) {
  if (!pressDialogButton(app, params, IDOK)) return false;
  HWND save = waitDialogTitled(app, "保存ファイルを指定");
  if (!save) return false;
  int nameId = GetDlgItem(save, fileNameCombo) ? fileNameCombo : fileNameEdit;
  if (!setDialogItemText(app, save, nameId, output)) return false;
  bool existed = GetFileAttributesW(wide(output).c_str()) != INVALID_FILE_ATTRIBUTES;
  clickButton(save, IDOK);
  if (existed) {
    // The overwrite question over the output dialog.
    HWND question = nullptr;
    if (!waitUntil([&] {
          question = findDialog(app);
          return question && question != save && IsWindowEnabled(question);
        }, kDialogTimeoutMs, 20)) {
      app.error = "no overwrite question";
      return false;
    }
    if (!pressDialogButton(app, question, IDYES)) return false;
  }
  if (!waitUntil([&] { return !IsWindow(save) || !IsWindowVisible(save); }, kDialogTimeoutMs, 20)) {
    app.error = "the output dialog stayed open";
    return false;
  }
  return waitIdle(app);
}

std::string waitOutcome(App& app, int timeoutMs) {
  Box box;
  if (!waitBox(app, "スレッド終了", &box, timeoutMs)) return "";
  if (!pressDialogButton(app, box.window, IDOK)) return "";
  return box.text;
}

bool walkGif(const std::string& path, WalkedGif* out, std::string* error) {
  std::string unixPath = unixPathOf(path);
  std::string script = std::string(QB_GIFJOB_DIR) + "/gif_walk.py";
  if (unixPath.empty() || unixPath.find('\'') != std::string::npos) {
    *error = "no unix path for " + path;
    return false;
  }
  std::string text;
  if (!runOnHost("/usr/bin/python3 '" + script + "' '" + unixPath + "'", &text, error)) return false;
  *out = WalkedGif();
  std::istringstream lines(text);
  std::string line;
  bool ok = false;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string key;
    fields >> key;
    if (key == "header") {
      fields >> out->version;
    } else if (key == "screen") {
      fields >> out->screenWidth >> out->screenHeight >> out->screenPacked >> out->background >>
          out->aspect;
    } else if (key == "global") {
      fields >> out->globalEntries;
    } else if (key == "netscape") {
      int loop = -1;
      fields >> loop;
      out->netscapeLoops.push_back(loop);
    } else if (key == "app") {
      std::string name;
      fields >> name;
      out->otherApps.push_back(name);
    } else if (key == "frame") {
      WalkedFrame f;
      int index;
      fields >> index >> f.gcePacked >> f.delay >> f.transparent >> f.left >> f.top >> f.width >>
          f.height >> f.packed >> f.localEntries >> f.lzw;
      out->frames.push_back(f);
    } else if (key == "trailer") {
      fields >> out->bytesAfterTrailer;
    } else if (key == "decoded") {
      DecodedFrame d;
      int index;
      fields >> index >> d.width >> d.height >> d.cornerAlpha[0] >> d.cornerAlpha[1] >>
          d.cornerAlpha[2] >> d.cornerAlpha[3];
      out->decoded.push_back(d);
    } else if (key == "ok") {
      ok = true;
    }
  }
  if (!ok) *error = "the walker refused " + path + ": " + text;
  return ok;
}

std::vector<unsigned char> gifPalette(const std::string& path) {
  std::string bytes = readFile(path);
  std::vector<unsigned char> table;
  if (bytes.size() < 13 || bytes.compare(0, 3, "GIF") != 0) return table;
  unsigned packed = static_cast<unsigned char>(bytes[10]);
  size_t at = 13;
  if (packed & 0x80) {
    size_t size = size_t(3) << ((packed & 7) + 1);
    if (bytes.size() >= at + size) table.assign(bytes.begin() + at, bytes.begin() + at + size);
    return table;
  }
  // No global table: the first image descriptor's local one (the frame
  // files carry no extension before it).
  if (bytes.size() < at + 10 || bytes[at] != 0x2C) return table;
  unsigned imagePacked = static_cast<unsigned char>(bytes[at + 9]);
  if (!(imagePacked & 0x80)) return table;
  size_t size = size_t(3) << ((imagePacked & 7) + 1);
  at += 10;
  if (bytes.size() >= at + size) table.assign(bytes.begin() + at, bytes.begin() + at + size);
  return table;
}

bool captureDialog(App& app, HWND dialog, Capture* out) {
  if (!waitPainted(app, dialog)) return false;
  App view;
  view.window = dialog;
  bool captured = captureClient(view, out);
  if (!captured) app.error = view.error;
  return captured;
}

void keepShot(const Capture& capture, const std::string& name) {
  keepScreenshot("QB_GIFJOB_SHOTS", name, capture.width, capture.height, capture.pixels);
}

void keepFile(const std::string& path, const std::string& name) {
  const std::string folder = environmentValue("QB_GIFJOB_SHOTS");
  if (folder.empty()) return;
  CopyFileW(wide(path).c_str(), wide(folder + "\\" + name).c_str(), FALSE);
}
