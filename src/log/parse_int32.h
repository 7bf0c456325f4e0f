#ifndef TOOL_LOG_PARSE_INT32_H_
#define TOOL_LOG_PARSE_INT32_H_

#include <string>

namespace tool {

// Converts `text` like strtol with base 0: decimal, hexadecimal with a 0x
// prefix and octal with a leading zero; leading white space is skipped and a
// sign is accepted. The conversion fails, and `*value` is left untouched, when
// the text is empty, when anything follows the number (a trailing blank too)
// or when the number is outside the range of a 32-bit signed integer.
// Returns true on success. Thread-safe.
bool ParseInt32(const std::string& text, int* value);

}  // namespace tool

#endif  // TOOL_LOG_PARSE_INT32_H_
