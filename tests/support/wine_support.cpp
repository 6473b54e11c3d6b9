#include "tests/support/wine_support.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/appstate.h"

namespace {

// Starts GDI+ and the Japanese locale once, as the program's entry does.
class ProgramEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    resetAppState();
    setlocale(LC_ALL, "japanese");
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

 private:
  ULONG_PTR token_ = 0;
};

const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

}  // namespace

void removeTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(child);
      else
        DeleteFileA(child.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
  DeleteFileA(path.c_str());
}

std::string testDataPath(const std::string& relative) {
  std::string path = std::string("Z:") + QB_TESTDATA + "/" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  static int serial = 0;
  for (;;) {
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%sqbtest-%lu-%d", temp, GetCurrentProcessId(), ++serial);
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() { removeTree(path_); }

void ScratchFolder::write(const std::string& name, const std::string& bytes) const {
  HANDLE handle = CreateFileA(file(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, handle) << name;
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(handle);
}

void ScratchFolder::makeFolder(const std::string& name) const {
  ASSERT_TRUE(CreateDirectoryA(file(name).c_str(), nullptr)) << name;
}

bool fileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

HWND testWindow() {
  static HWND window = nullptr;
  if (window) return window;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "qbtestwindow";
  RegisterClassA(&windowClass);
  window = CreateWindowA("qbtestwindow", "test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
  return window;
}
