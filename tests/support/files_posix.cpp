// files.h in the native tree.
#include "tests/support/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace qbtest {

std::string testDataPath(const std::string& relative) {
  return std::string(QB_TESTDATA) + "/" + relative;
}

ScratchFolder::ScratchFolder() {
  static int serial = 0;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path candidate =
        base / ("qbtest-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
    if (fs::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

std::string ScratchFolder::file(const std::string& name) const { return path_ + "/" + name; }

std::string ScratchFolder::copy(const std::string& dataRelative, const std::string& name) const {
  std::error_code error;
  fs::copy_file(testDataPath(dataRelative), file(name), fs::copy_options::overwrite_existing,
                error);
  EXPECT_FALSE(error) << dataRelative << ": " << error.message();
  return file(name);
}

void ScratchFolder::makeFolder(const std::string& name) const {
  EXPECT_TRUE(fs::create_directory(file(name))) << name;
}

std::set<std::string> filesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    if (!entry.is_directory()) names.insert(entry.path().filename().string());
  return names;
}

bool fileExists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error) && !fs::is_directory(path, error);
}

bool folderExists(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

void removeTree(const std::string& path) {
  std::error_code error;
  fs::remove_all(path, error);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

}  // namespace qbtest
