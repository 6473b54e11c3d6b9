// The parts of files.h that are the same in both trees. The narrow file
// streams take code page 932 names as they are under Wine.
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace qbtest {

ScratchFolder::~ScratchFolder() { removeTree(path_); }

std::string ScratchFolder::write(const std::string& name, const std::string& bytes) const {
  EXPECT_TRUE(writeFile(file(name), bytes)) << name;
  return file(name);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
  std::string bytes = readFile(path);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  return writeFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace qbtest
