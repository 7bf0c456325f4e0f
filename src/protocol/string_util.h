#ifndef TOOL_PROTOCOL_STRING_UTIL_H_
#define TOOL_PROTOCOL_STRING_UTIL_H_

#include <string>

namespace tool {

// Integer parsing of request values. Stateless; safe from any thread.
class StringUtil {
 public:
  virtual ~StringUtil() = default;

  // Converts `text` as strtol does with base 0: decimal, "0x" for
  // hexadecimal, a leading "0" for octal ("010" gives 8). An empty text,
  // characters after the number or a value beyond 32 bits store -1 through
  // `error` when it is not null. The value is returned in every case: 0
  // without digits, the leading number when text follows it ("12ab" gives
  // 12), the nearest 32-bit limit on overflow.
  static int StringToInt(const std::string& text, int* error = nullptr);
  // The same with the given `base`.
  static int StringToInt(const std::string& text, int* error, int base);
};

}  // namespace tool

#endif  // TOOL_PROTOCOL_STRING_UTIL_H_
