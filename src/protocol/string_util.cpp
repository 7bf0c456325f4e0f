#include "protocol/string_util.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tool {

int StringUtil::StringToInt(const std::string& text, int* error) {
  return StringToInt(text, error, 0);
}

int StringUtil::StringToInt(const std::string& text, int* error, int base) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text.c_str(), &end, base);
  bool failed = errno != 0 || *end != '\0' || text.empty();
  // long is wider than int on 64-bit hosts; the gateway's is not.
  if (value > INT_MAX) {
    value = INT_MAX;
    failed = true;
  } else if (value < INT_MIN) {
    value = INT_MIN;
    failed = true;
  }
  if (failed && error != nullptr) *error = -1;
  return static_cast<int>(value);
}

}  // namespace tool
