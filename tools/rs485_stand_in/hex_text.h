#ifndef TOOL_TOOLS_RS485_STAND_IN_HEX_TEXT_H_
#define TOOL_TOOLS_RS485_STAND_IN_HEX_TEXT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace stand_in {

// Lower-case hex digits, two per byte, no separators; "" for no bytes.
std::string ToHexText(const std::vector<uint8_t>& bytes);

// Reads two hex digits (either case) per byte, no separators. Returns false,
// leaving `*bytes` untouched, for an odd number of digits or a character
// that is not a hex digit.
bool ParseHexText(const std::string& text, std::vector<uint8_t>* bytes);

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_HEX_TEXT_H_
