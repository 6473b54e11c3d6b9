// The release as a user gets it: quobixlens.exe and imgctl.dll from the
// unpacked ZIP, in a folder whose path has spaces and Japanese characters,
// in a Wine prefix made for this run that has never seen the build folder.
// Run by tests/release/release_test.sh, which unpacks the ZIP and names
//   QB_RELEASE_DIR       the unpacked folder holding quobixlens.exe
//   QB_RELEASE_PICTURES  a scratch folder holding small.png (tests/data/e2e)
// in the environment. The driver's probe still comes from the build's bin
// folder, beside this test.
#include <windows.h>
#include <gdiplus.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <cctype>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/driver.h"
#include "tests/support/files.h"
#include "tests/support/text.h"

using qbtest::readFile;
using qbtest::utf8;
using qbtest::wide;

namespace {

std::string fromEnvironment(const char* name) { return qbtest::environmentValue(name); }

std::string releaseFile(const std::string& name) {
  return fromEnvironment("QB_RELEASE_DIR") + "\\" + name;
}

std::string pictureFile(const std::string& name) {
  return fromEnvironment("QB_RELEASE_PICTURES") + "\\" + name;
}

std::string lowered(std::string text) {
  for (char& c : text) c = (char)tolower((unsigned char)c);
  return text;
}

// --- the files ---------------------------------------------------------------

struct VersionBlock {
  std::vector<char> bytes;
  const VS_FIXEDFILEINFO* fixed = NULL;

  std::string text(const char* name) const {
    wchar_t* value = NULL;
    UINT length = 0;
    std::wstring path = L"\\StringFileInfo\\041104B0\\" + wide(name);
    if (!VerQueryValueW(bytes.data(), path.c_str(), (void**)&value, &length) || value == NULL)
      return "";
    return utf8(value);
  }
};

testing::AssertionResult readVersion(const std::string& path, VersionBlock* out) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(wide(path).c_str(), &ignored);
  if (size == 0)
    return testing::AssertionFailure() << path << " has no version resource";
  out->bytes.resize(size);
  if (!GetFileVersionInfoW(wide(path).c_str(), 0, size, out->bytes.data()))
    return testing::AssertionFailure() << "GetFileVersionInfoW(" << path << ") failed";
  void* fixed = NULL;
  UINT length = 0;
  if (!VerQueryValueW(out->bytes.data(), L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return testing::AssertionFailure() << path << " has no fixed version block";
  out->fixed = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  return testing::AssertionSuccess();
}

struct ReleaseBinary {
  const char* file;
  DWORD fileType;
};

void PrintTo(const ReleaseBinary& b, std::ostream* os) { *os << b.file; }

class VersionResource : public testing::TestWithParam<ReleaseBinary> {};

// What Explorer shows under Properties > Details.
TEST_P(VersionResource, NumbersAndTextsAreTheBuildVersion) {
  const ReleaseBinary& binary = GetParam();
  VersionBlock version;
  ASSERT_TRUE(readVersion(releaseFile(binary.file), &version));
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(3, sscanf(QB_EXPECTED_VERSION, "%u.%u.%u", &major, &minor, &patch));
  EXPECT_EQ(DWORD(MAKELONG(minor, major)), version.fixed->dwFileVersionMS);
  EXPECT_EQ(DWORD(MAKELONG(0, patch)), version.fixed->dwFileVersionLS);
  EXPECT_EQ(DWORD(MAKELONG(minor, major)), version.fixed->dwProductVersionMS);
  EXPECT_EQ(DWORD(MAKELONG(0, patch)), version.fixed->dwProductVersionLS);
  EXPECT_EQ(binary.fileType, version.fixed->dwFileType);
  EXPECT_EQ(QB_EXPECTED_VERSION, version.text("FileVersion"));
  EXPECT_EQ(QB_EXPECTED_VERSION, version.text("ProductVersion"));
  EXPECT_EQ(binary.file, version.text("OriginalFilename"));
  for (const char* name : {"ProductName", "FileDescription", "LegalCopyright", "CompanyName"})
    EXPECT_NE("", version.text(name)) << name;
}

const ReleaseBinary kBinaries[] = {{"quobixlens.exe", VFT_APP}, {"imgctl.dll", VFT_DLL}};

std::string binaryName(const testing::TestParamInfo<ReleaseBinary>& info) {
  std::string name = info.param.file;
  return name.substr(0, name.find('.'));
}

INSTANTIATE_TEST_SUITE_P(Release, VersionResource, testing::ValuesIn(kBinaries), binaryName);

// The declarations of the manifest that Wine cannot show in the running
// program: Wine 8 treats every process as per-monitor DPI aware and never
// scales a window, and it ignores the rest. The common controls are checked
// in the running program, below.
TEST(ReleaseManifest, IsEmbeddedAsResourceOneWithItsDeclarations) {
  HMODULE program = LoadLibraryExW(wide(releaseFile("quobixlens.exe")).c_str(), NULL,
                                   LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program);
  HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(nullptr, found) << "no RT_MANIFEST resource 1";
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
  std::string manifest(bytes, SizeofResource(program, found));
  FreeLibrary(program);
  const char* const declarations[] = {
      "level=\"asInvoker\"",
      ">true</dpiAware>",
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
      "version=\"" QB_EXPECTED_VERSION ".0\"",
  };
  for (const char* declaration : declarations)
    EXPECT_NE(std::string::npos, manifest.find(declaration)) << declaration;
}

// --- the program ---------------------------------------------------------------

// The path of a module loaded in another process, or "" when it is not.
std::string loadedModule(DWORD processId, const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE)
    return "";
  std::string path;
  MODULEENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32FirstW(snapshot, &entry); more;
       more = Module32NextW(snapshot, &entry)) {
    if (lowered(utf8(entry.szModule)) == name) {
      path = utf8(entry.szExePath);
      break;
    }
  }
  CloseHandle(snapshot);
  return path;
}

// The colours of tests/data/e2e/small.png (drawn by make-pictures).
uint32_t smallColour(int x, int y) {
  if (x == 0 && y == 0)
    return rgb(255, 255, 255);
  if (x == 239 && y == 179)
    return rgb(0, 0, 0);
  if (y < 60)
    return x < 80 ? rgb(255, 0, 0) : rgb(0, 255, 0);
  return x < 80 ? rgb(0, 0, 255) : rgb(255, 255, 0);
}

testing::AssertionResult showsSmallPicture(App& app) {
  RECT client = {};
  Capture shot;
  if (!clientRect(app, &client) || !captureClient(app, &shot))
    return testing::AssertionFailure() << app.error;
  if (shot.width != 240 || shot.height != 180)
    return testing::AssertionFailure() << "client of " << shot.width << " x " << shot.height
                                       << ", expected the picture's 240 x 180";
  long mismatches = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x)
      mismatches += shot.at(x, y) != smallColour(x, y);
  if (mismatches != 0)
    return testing::AssertionFailure() << mismatches << " client pixels differ from the picture";
  return testing::AssertionSuccess();
}

// A visible top-level window of the process with the given title.
struct TitleSearch {
  DWORD processId;
  const char* title;
  HWND found;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM data) {
  TitleSearch* search = reinterpret_cast<TitleSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) &&
      windowText(window) == search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND waitWindowTitled(const App& app, const char* title) {
  for (int waited = 0; waited < kDialogTimeoutMs; waited += 50) {
    TitleSearch search = {app.processId, title, NULL};
    EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
    if (search.found != NULL)
      return search.found;
    Sleep(50);
  }
  return NULL;
}

// The colour GDI+ decodes at (x, y) of a picture file; false when it cannot
// read the file.
bool decodedColour(const std::string& path, int x, int y, int* width, int* height,
                   uint32_t* colour) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, NULL) != Gdiplus::Ok)
    return false;
  bool ok = false;
  {
    Gdiplus::Bitmap bitmap(wide(path).c_str());
    Gdiplus::Color pixel;
    if (bitmap.GetLastStatus() == Gdiplus::Ok && bitmap.GetPixel(x, y, &pixel) == Gdiplus::Ok) {
      *width = (int)bitmap.GetWidth();
      *height = (int)bitmap.GetHeight();
      *colour = pixel.GetValue() & 0xFFFFFF;
      ok = true;
    }
  }
  Gdiplus::GdiplusShutdown(token);
  return ok;
}

const int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;

// One user's first session: start the program from the unpacked folder on a
// picture, look at it, open help and the about box, save the picture as GIF
// and close.
TEST(ReleaseProgram, StartsFromItsFolderShowsHelpAboutAndSavesAGifThroughItsDll) {
  std::string folder = fromEnvironment("QB_RELEASE_DIR");
  ASSERT_NE("", folder) << "QB_RELEASE_DIR is not set; run tests/release/release_test.sh";
  App app;
  AppGuard guard(app);
  std::string picture = pictureFile("small.png");
  ASSERT_TRUE(launchApp(app, releaseFile("quobixlens.exe"), "\"" + picture + "\"", "quobixlens"))
      << app.error;
  EXPECT_EQ("small.png", windowTitle(app));
  EXPECT_TRUE(showsSmallPicture(app));

  // The manifest at work: the loader bound the program to the side-by-side
  // common controls 6, not to the system folder's version 5.
  EXPECT_NE(std::string::npos,
            lowered(loadedModule(app.processId, "comctl32.dll"))
                .find("\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6."))
      << loadedModule(app.processId, "comctl32.dll");

  // Both binaries come from the unpacked folder, not from the build.
  EXPECT_EQ(lowered(releaseFile("quobixlens.exe")), lowered(loadedModule(app.processId, "quobixlens.exe")));
  EXPECT_EQ(lowered(releaseFile("imgctl.dll")), lowered(loadedModule(app.processId, "imgctl.dll")));

  // Help: the help file beside the program opens in its own window type,
  // whose title only the compiled file holds.
  ASSERT_TRUE(postCommand(app, IDM_HELP_CONTENTS)) << app.error;
  EXPECT_NE(nullptr, waitWindowTitled(app, "クオビクス ヘルプ")) << "no help window";

  // The about box names the build's version.
  ASSERT_TRUE(PostMessageA(app.window, WM_COMMAND, IDM_ABOUT, 0));
  HWND about = waitDialog(app);
  ASSERT_NE(nullptr, about) << app.error;
  std::string text = dialogItemText(about, IDC_ABOUT_TEXT);
  EXPECT_NE(std::string::npos, text.find("\r\nBuild: quobixlens " QB_EXPECTED_VERSION " ")) << text;
  ASSERT_TRUE(pressDialogButton(app, about, IDOK)) << app.error;

  // A GIF is written only by imgctl.dll.
  std::string saved = pictureFile("保存 結果.gif");
  ASSERT_TRUE(PostMessageA(app.window, WM_COMMAND, IDM_SAVE, 0));
  HWND dialog = waitDialog(app);
  ASSERT_NE(nullptr, dialog) << app.error;
  int nameId = GetDlgItem(dialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
  ASSERT_TRUE(setDialogItemText(app, dialog, nameId, saved)) << app.error;
  ASSERT_TRUE(pressDialogButton(app, dialog, IDOK)) << app.error;
  HWND message = findDialog(app);
  EXPECT_EQ(nullptr, message) << windowText(message) << ": " << messageBoxText(message);
  EXPECT_EQ("GIF89a", readFile(saved).substr(0, 6));
  int width = 0, height = 0;
  uint32_t colour = 0;
  ASSERT_TRUE(decodedColour(saved, 200, 150, &width, &height, &colour)) << saved;
  EXPECT_GE(width, 240);
  EXPECT_GE(height, 180);
  EXPECT_EQ(rgb(255, 255, 0), colour);

  ASSERT_TRUE(PostMessageA(app.window, WM_CLOSE, 0, 0));
  HWND box = waitDialog(app);
  ASSERT_NE(nullptr, box) << app.error;
  ASSERT_TRUE(pressDialogButton(app, box, IDYES)) << app.error;
  ASSERT_TRUE(waitExit(app)) << app.error;
  EXPECT_EQ(0, app.exitCode);
}

}  // namespace
