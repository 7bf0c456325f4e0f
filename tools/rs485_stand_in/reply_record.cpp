#include "rs485_stand_in/reply_record.h"

#include <algorithm>

namespace stand_in {
namespace {

constexpr std::size_t kStatusOffset = 64;
constexpr std::size_t kFrameLengthOffset = 68;
constexpr std::size_t kPassOnOffset = 70;

static_assert(kMaxReplyFrameLength <= INT16_MAX,
              "the frame length field is a signed 16-bit value");

void WriteLittleEndian(uint32_t value, std::size_t width,
                       std::vector<uint8_t>* bytes, std::size_t offset) {
  for (std::size_t i = 0; i < width; ++i) {
    (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

}  // namespace

std::vector<uint8_t> EncodeReplyRecord(const ReplyRecord& reply) {
  const std::size_t frameLength =
      std::min(reply.frame.size(), kMaxReplyFrameLength);
  std::vector<uint8_t> bytes(kReplyHeaderSize + frameLength, 0);
  WriteLittleEndian(static_cast<uint32_t>(reply.status), 4, &bytes,
                    kStatusOffset);
  WriteLittleEndian(static_cast<uint32_t>(frameLength), 2, &bytes,
                    kFrameLengthOffset);
  bytes[kPassOnOffset] = reply.passOn;
  std::copy_n(reply.frame.begin(), frameLength,
              bytes.begin() + kReplyHeaderSize);
  return bytes;
}

}  // namespace stand_in
