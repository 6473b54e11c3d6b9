// Files for the tests: the test data, a scratch folder per test, listings
// that prove nothing was left behind, and whole-file reads and writes. One
// interface for both trees: files_posix.cpp builds it in the native tree,
// files_win.cpp in the Windows tree (W calls, and test data reached through
// Wine's Z: drive). Every path and name is UTF-8 (tests/support/text.h).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace qbtest {

// The path of a file under tests/data as the tree's programs see it.
std::string testDataPath(const std::string& relative);

// A fresh, empty folder under the temporary folder (no trailing separator),
// removed with everything in it when the object goes away. A step that
// fails is a test failure.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const;
  // Creates (or replaces) a file with the given bytes; its path.
  std::string write(const std::string& name, const std::string& bytes = std::string()) const;
  // Copies a file of tests/data in under a name of its own; its path.
  std::string copy(const std::string& dataRelative, const std::string& name) const;
  void makeFolder(const std::string& name) const;

 private:
  std::string path_;
};

// The names of the files (not folders) in a folder; empty when it cannot be
// listed.
std::set<std::string> filesIn(const std::string& folder);
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
// Deletes a file, or a folder with everything in it.
void removeTree(const std::string& path);

// A whole file; empty when it cannot be read.
std::string readFile(const std::string& path);
std::vector<uint8_t> readFileBytes(const std::string& path);
bool writeFile(const std::string& path, const std::string& bytes);
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace qbtest
