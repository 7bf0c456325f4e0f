#ifndef TOOL_TOOLS_RS485_STAND_IN_OPTION_FIELDS_H_
#define TOOL_TOOLS_RS485_STAND_IN_OPTION_FIELDS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace stand_in {

// Helpers for the colon-separated values of the command-line options. All
// are thread-safe and keep no state.

// `text` cut at every colon: "a::b" gives "a", "", "b"; "" gives one empty
// field.
std::vector<std::string> SplitFields(const std::string& text);

// Reads a decimal number of at most `max`: digits only, no sign. Returns
// false, leaving `*value` untouched, for anything else.
bool ParseDecimal(const std::string& text, uint32_t max, uint32_t* value);

// Reads a decimal number from `min` to `max`, with an optional leading "-";
// both bounds lie within +-(2^32), so that reading cannot overflow. Returns
// false, leaving `*value` untouched, for anything else.
bool ParseSignedDecimal(const std::string& text, int64_t min, int64_t max,
                        int64_t* value);

// `text` (one or more lines separated by newlines) with every line indented
// to sit under an option's description in the usage, ending in a newline.
std::string IndentedUsage(const char* text);

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_OPTION_FIELDS_H_
