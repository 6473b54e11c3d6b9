// text.h in the native tree, where the program's narrow text is UTF-8 like
// the tests' own.
#include "tests/support/text.h"

#include <cstdlib>

namespace qbtest {

std::string fromProgramText(const char* programText) {
  return programText ? std::string(programText) : std::string();
}

std::string fromProgramText(const std::string& programText) { return programText; }

std::string toProgramText(const std::string& utf8Text) { return utf8Text; }

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace qbtest
