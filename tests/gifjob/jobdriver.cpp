#include "tests/gifjob/jobdriver.h"

#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "resources/resource.h"

namespace {

const int fileNameCombo = 0x47C, fileNameEdit = 0x480;

std::string dataPath(const std::string& relative) {
  return windowsPath(std::string(QB_TESTDATA) + "/gifjob/" + relative);
}

std::string unixPathOf(const std::string& path) {
  typedef char*(CDECL * ToUnix)(const WCHAR*);
  ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  wchar_t wide[MAX_PATH];
  if (!toUnix || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
  char* unixPath = toUnix(wide);
  if (!unixPath) return "";
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

// Runs a shell command line on the host and returns what it printed. Wine
// starts host programs without waiting for them, so the command's output is
// moved into place last and waited for.
bool runOnHost(const std::string& script, std::string* output, std::string* error) {
  static int serial = 0;
  char base[80];
  std::snprintf(base, sizeof base, "/tmp/qb-gifjob-%lu-%d.txt", GetCurrentProcessId(), ++serial);
  std::string result = base;
  std::string command = "/bin/sh -c \"(" + script + ") > '" + result + ".part' 2>&1; mv '" +
                        result + ".part' '" + result + "'\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    *error = "cannot start /bin/sh";
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string windowsResult = "Z:" + result;
  for (char& c : windowsResult) c = c == '/' ? '\\' : c;
  for (int waited = 0; GetFileAttributesA(windowsResult.c_str()) == INVALID_FILE_ATTRIBUTES;
       waited += 50) {
    if (waited > 120000) {
      *error = "the host command did not finish: " + script;
      return false;
    }
    Sleep(50);
  }
  *output = readBytes(windowsResult);
  DeleteFileA(windowsResult.c_str());
  return true;
}

}  // namespace

ScratchDir::ScratchDir() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  static int serial = 0;
  do {
    path_ = std::string(temp) + "qbgifjob-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial);
  } while (!CreateDirectoryA(path_.c_str(), nullptr));
}

ScratchDir::~ScratchDir() {
  for (const std::string& name : filesIn(path_)) {
    SetFileAttributesA(file(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file(name).c_str());
  }
  RemoveDirectoryA(path_.c_str());
}

std::string ScratchDir::copy(const std::string& data, const std::string& name) {
  CopyFileA(dataPath(data).c_str(), file(name).c_str(), FALSE);
  SetFileAttributesA(file(name).c_str(), FILE_ATTRIBUTE_NORMAL);
  return file(name);
}

std::string ScratchDir::write(const std::string& name, const std::string& bytes) {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file(name);
}


std::string workFolder() { return programWorkFolder(); }

bool launchViewer(App& app, const std::string& picture, int pauseMs) {
  SetEnvironmentVariableA("QB_TEST_WORKER_PAUSE_MS",
                          pauseMs > 0 ? std::to_string(pauseMs).c_str() : nullptr);
  // Only the test build of the program reads the pause.
  const char* program = pauseMs > 0 ? "quobixlens_paced.exe" : "quobixlens.exe";
  bool launched = launchApp(app, binFolder() + program, picture, "quobixlens");
  SetEnvironmentVariableA("QB_TEST_WORKER_PAUSE_MS", nullptr);
  return launched;
}

HWND waitDialogTitled(App& app, const std::string& title, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    HWND dialog = findDialog(app);
    if (dialog && IsWindowEnabled(dialog) && windowText(dialog) == title) return dialog;
    if (!isRunning(app)) break;
    Sleep(20);
  }
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
  bool existed = GetFileAttributesA(output.c_str()) != INVALID_FILE_ATTRIBUTES;
  clickButton(save, IDOK);
  if (existed) {
    // The overwrite question over the output dialog.
    for (int waited = 0;; waited += 20) {
      HWND question = findDialog(app);
      if (question && question != save && IsWindowEnabled(question)) {
        if (!pressDialogButton(app, question, IDYES)) return false;
        break;
      }
      if (waited > kDialogTimeoutMs) {
        app.error = "no overwrite question";
        return false;
      }
      Sleep(20);
    }
  }
  for (int waited = 0; IsWindow(save) && IsWindowVisible(save); waited += 20) {
    if (waited > kDialogTimeoutMs) {
      app.error = "the output dialog stayed open";
      return false;
    }
    Sleep(20);
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
  std::string bytes = readBytes(path);
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

bool captureDialog(HWND dialog, Capture* out) {
  App view;
  view.window = dialog;
  return captureClient(view, out);
}

void keepShot(const Capture& capture, const std::string& name) {
  char folder[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("QB_GIFJOB_SHOTS", folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return;
  int stride = capture.width * 3;
  stride = (stride + 3) & ~3;
  std::string bytes(54 + size_t(stride) * capture.height, '\0');
  auto put = [&](size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = char(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, uint32_t(bytes.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, uint32_t(capture.width), 4);
  put(22, uint32_t(capture.height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < capture.height; ++y) {
    size_t row = 54 + size_t(capture.height - 1 - y) * stride;
    for (int x = 0; x < capture.width; ++x) put(row + size_t(x) * 3, capture.at(x, y), 3);
  }
  std::ofstream out(std::string(folder) + "\\" + name + ".bmp", std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void keepFile(const std::string& path, const std::string& name) {
  char folder[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("QB_GIFJOB_SHOTS", folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return;
  CopyFileA(path.c_str(), (std::string(folder) + "\\" + name).c_str(), FALSE);
}
