// The parts of files.h that are the same in both trees.
#include "tests/support/files.h"

#include <gtest/gtest.h>

namespace qbtest {

ScratchFolder::~ScratchFolder() { removeTree(path_); }

std::string ScratchFolder::write(const std::string& name, const std::string& bytes) const {
  EXPECT_TRUE(writeFile(file(name), bytes)) << name;
  return file(name);
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
  std::string bytes = readFile(path);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  return writeFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace qbtest
