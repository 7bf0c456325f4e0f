#include "log/parse_int32.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace tool {

bool ParseInt32(const std::string& text, int* value) {
  if (text.empty()) return false;
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(begin, &end, 0);
  // `end` short of the terminator means trailing characters, or an embedded
  // zero byte that strtol cannot see past.
  if (end == begin || end != begin + text.size()) return false;
  // long is 32 bits on the gateway and 64 bits on a development host: check
  // the range explicitly so that both reject the same texts.
  if (errno == ERANGE || number < INT32_MIN || number > INT32_MAX) return false;
  *value = static_cast<int>(number);
  return true;
}

}  // namespace tool
