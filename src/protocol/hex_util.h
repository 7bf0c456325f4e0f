#ifndef TOOL_PROTOCOL_HEX_UTIL_H_
#define TOOL_PROTOCOL_HEX_UTIL_H_

#include <string>

namespace tool {

// Hexadecimal text, two characters per byte, into bytes. Stateless; safe
// from any thread.
class HexUtil {
 public:
  virtual ~HexUtil() = default;

  // How many bytes `hexText` gives: its length halved, a trailing odd
  // character dropped.
  static int GetByteLength(const std::string& hexText);

  // Converts each pair of characters as strtol does with base 16, so a
  // leading blank or sign is accepted (" 1" gives 0x01, "-1" gives 0xFF), and
  // stores the low eight bits. Returns 0 on success; -1 when `capacity` is
  // below the byte length (nothing written); -2 when a pair is not a number
  // or not wholly one (the pairs before it stay written).
  static int HexStringToBytes(const std::string& hexText, char* out,
                              unsigned capacity);

  // `value` in lower-case hexadecimal digits without leading zeros, as a
  // request template takes a device address ("a" for 10).
  static std::string IntToHexText(int value);
};

}  // namespace tool

#endif  // TOOL_PROTOCOL_HEX_UTIL_H_
