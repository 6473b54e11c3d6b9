// Temp-then-replace on POSIX systems (the native tree's tools and tests):
// mkstemp makes the file in the target's folder and rename() replaces an
// existing target in one step.
#include "core/replace.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// No write permission for anyone: the file is read-only.
bool isReadOnlyFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

}  // namespace

bool makeSiblingTemp(const std::filesystem::path& targetPath, std::filesystem::path* temp) {
  temp->clear();
  const std::string& target = targetPath.native();
  if (target.empty() || isReadOnlyFile(target)) return false;
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
  std::string pattern = folder + (folder == "/" ? "" : "/") + "qbsXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) return false;
  // mkstemp makes the file private; the finished file gets the permissions
  // any new file of this user gets.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  *temp = name.data();
  return true;
}

bool replaceWithTemp(const std::filesystem::path& temp, const std::filesystem::path& target) {
  if (!isReadOnlyFile(target.native()) && std::rename(temp.c_str(), target.c_str()) == 0) return true;
  removeTemp(temp);
  return false;
}

void removeTemp(const std::filesystem::path& temp) {
  if (!temp.empty()) std::remove(temp.c_str());
}

bool isWritableTarget(const std::filesystem::path& target) {
  std::filesystem::path temp;
  if (!makeSiblingTemp(target, &temp)) return false;
  removeTemp(temp);
  return true;
}

bool writeFileReplacing(const std::filesystem::path& target, const void* bytes, size_t size) {
  std::filesystem::path temp;
  if (!makeSiblingTemp(target, &temp)) return false;
  FILE* file = std::fopen(temp.c_str(), "wb");
  bool ok = file && std::fwrite(bytes, 1, size, file) == size;
  if (file) ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    removeTemp(temp);
    return false;
  }
  return replaceWithTemp(temp, target);
}
