// text.h in the native tree.
#include "tests/support/text.h"

#include <cstdlib>

namespace qbtest {

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace qbtest
