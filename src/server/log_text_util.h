#ifndef TOOL_SERVER_LOG_TEXT_UTIL_H_
#define TOOL_SERVER_LOG_TEXT_UTIL_H_

#include <string>

namespace tool {

// Makes text from the network safe to write into the log.
class LogTextUtil {
 public:
  // `text` with every byte that is not part of a well-formed UTF-8
  // sequence (stray or missing continuation bytes, overlong forms,
  // surrogates, code points beyond U+10FFFF, 0xF8 to 0xFF), and every
  // ASCII control character other than tab, line feed and carriage return,
  // written as \x and two lower-case hexadecimal digits. Well-formed UTF-8
  // text without such controls, as every XML document is, comes back
  // unchanged.
  static std::string Printable(const std::string& text);
};

}  // namespace tool

#endif  // TOOL_SERVER_LOG_TEXT_UTIL_H_
