#include "rs485_stand_in/compoway_frame.h"

#include <algorithm>
#include <cstddef>

namespace stand_in {
namespace {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kBccMask = 0x7F;
// STX, ETX and BCC.
constexpr std::size_t kFramingSize = 3;

}  // namespace

uint8_t CompowayBcc(const std::string& text) {
  uint8_t bcc = 0;
  for (const char c : text) bcc ^= static_cast<uint8_t>(c) & kBccMask;
  return static_cast<uint8_t>(bcc ^ kEtx);
}

std::vector<uint8_t> MakeCompowayFrame(const std::string& text) {
  std::vector<uint8_t> frame;
  frame.reserve(text.size() + kFramingSize);
  frame.push_back(kStx);
  frame.insert(frame.end(), text.begin(), text.end());
  frame.push_back(kEtx);
  frame.push_back(CompowayBcc(text));
  return frame;
}

std::optional<std::string> CompowayFrameText(
    const std::vector<uint8_t>& frame) {
  if (frame.size() < kFramingSize || frame.front() != kStx ||
      frame[frame.size() - 2] != kEtx) {
    return std::nullopt;
  }
  const auto textBegin = frame.begin() + 1;
  const auto textEnd = frame.end() - 2;
  if (std::any_of(textBegin, textEnd,
                  [](uint8_t byte) { return byte == kStx || byte == kEtx; })) {
    return std::nullopt;
  }
  std::string text(textBegin, textEnd);
  if (frame.back() != CompowayBcc(text)) return std::nullopt;
  return text;
}

}  // namespace stand_in
