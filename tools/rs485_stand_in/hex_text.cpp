#include "rs485_stand_in/hex_text.h"

#include <utility>

namespace stand_in {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string ToHexText(const std::vector<uint8_t>& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0f];
  }
  return text;
}

bool ParseHexText(const std::string& text, std::vector<uint8_t>* bytes) {
  if (text.size() % 2 != 0) return false;
  std::vector<uint8_t> parsed;
  parsed.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = DigitValue(text[i]);
    const int low = DigitValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    parsed.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  *bytes = std::move(parsed);
  return true;
}

}  // namespace stand_in
