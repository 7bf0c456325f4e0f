#include "server/log_text_util.h"

#include <cstddef>

namespace tool {
namespace {

// The length of the well-formed UTF-8 sequence at `at`, or 0.
std::size_t SequenceLength(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length;
  unsigned long codePoint;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0u) != 0x80u) return 0;
    codePoint = (codePoint << 6) | (next & 0x3Fu);
  }
  const bool overlong = (length == 3 && codePoint < 0x800) ||
                        (length == 4 && codePoint < 0x10000);
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (overlong || surrogate || codePoint > 0x10FFFF) return 0;
  return length;
}

bool IsHarmlessControl(char c) { return c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string LogTextUtil::Printable(const std::string& text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string printable;
  printable.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t length = SequenceLength(text, at);
    const auto byte = static_cast<unsigned char>(text[at]);
    if (length == 0 || (byte < 0x20 && !IsHarmlessControl(text[at])) ||
        byte == 0x7F) {
      printable += "\\x";
      printable += kHex[byte >> 4];
      printable += kHex[byte & 0x0F];
      ++at;
    } else {
      printable.append(text, at, length);
      at += length;
    }
  }
  return printable;
}

}  // namespace tool
