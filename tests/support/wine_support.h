// Helpers for tests that run the program's Win32 code under Wine: GDI+ is
// started once for the test process, test data is reached through Wine's
// Z: drive, and scratch folders live in the prefix's temporary folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Windows path of a file under tests/data.
std::string testDataPath(const std::string& relative);

// A fresh, empty folder (Windows path, no trailing backslash) that is
// removed with everything in it when the object goes away.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "\\" + name; }
  // Creates a file with the given bytes (empty by default).
  void write(const std::string& name, const std::string& bytes = std::string()) const;
  void makeFolder(const std::string& name) const;

 private:
  std::string path_;
};

// Deletes a file, or a folder with everything in it.
void removeTree(const std::string& path);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
std::string readFile(const std::string& path);

// A plain top-level window of the test's own class, never shown, for code
// that needs a window to draw for.
HWND testWindow();
