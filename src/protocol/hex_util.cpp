#include "protocol/hex_util.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace tool {

int HexUtil::GetByteLength(const std::string& hexText) {
  return static_cast<int>(hexText.size() / 2);
}

int HexUtil::HexStringToBytes(const std::string& hexText, char* out,
                              unsigned capacity) {
  const int length = GetByteLength(hexText);
  if (capacity < static_cast<unsigned>(length)) return -1;
  for (int i = 0; i < length; ++i) {
    const char pair[3] = {hexText[2 * i], hexText[2 * i + 1], '\0'};
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(pair, &end, 16);
    if (errno != 0 || end != pair + 2) return -2;
    out[i] = static_cast<char>(value & 0xFF);
  }
  return 0;
}

std::string HexUtil::IntToHexText(int value) {
  char text[sizeof(unsigned) * 2 + 1];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
  return text;
}

}  // namespace tool
