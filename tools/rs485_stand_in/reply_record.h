#ifndef TOOL_TOOLS_RS485_STAND_IN_REPLY_RECORD_H_
#define TOOL_TOOLS_RS485_STAND_IN_REPLY_RECORD_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stand_in {

// Bytes before the received frame: 64 unread, status, frame length and one
// byte that the client passes on.
constexpr std::size_t kReplyHeaderSize = 71;
// The client's receive buffer; a longer reply would not fit.
constexpr std::size_t kMaxReplySize = 13739;
constexpr std::size_t kMaxReplyFrameLength = kMaxReplySize - kReplyHeaderSize;

// Reply status values the stand-in sends.
constexpr int32_t kStatusSuccess = 0;
constexpr int32_t kStatusNoAnswer = 1;  // no device, or the device was silent
constexpr int32_t kStatusBadFrameLength = 2;

// What to send back on one connection. The connection handler fills it from
// the device's answer and only then encodes it, so that a step in between
// can change what the client receives.
struct ReplyRecord {
  int32_t status = kStatusSuccess;
  uint8_t passOn = 0;  // byte 70, not interpreted by the client
  std::vector<uint8_t> frame;
};

// The reply's bytes on the wire: kReplyHeaderSize + frame length, with a
// frame longer than kMaxReplyFrameLength cut to that length.
std::vector<uint8_t> EncodeReplyRecord(const ReplyRecord& reply);

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_REPLY_RECORD_H_
