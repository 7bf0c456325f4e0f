#ifndef TOOL_TOOLS_RS485_STAND_IN_FAULT_REPLIES_H_
#define TOOL_TOOLS_RS485_STAND_IN_FAULT_REPLIES_H_

#include <cstdint>
#include <vector>

namespace stand_in {

// The bytes of the faulty replies of --fault. Each is a pure function of its
// arguments and thread-safe. A frame counts as CompoWay/F when it is a whole
// CompoWay/F frame (STX, text, ETX and a right BCC), else as Modbus RTU.

// The Modbus exception code of a rejected Modbus request: Server Device
// Failure.
constexpr uint8_t kFaultExceptionCode = 0x04;

// What a device that rejects `request` answers. For CompoWay/F: the
// request's node number and sub-address, end code "0F", the request's MRC
// and SRC and response code "0401", framed with its BCC. For Modbus: the
// request's address, its function code with bit 0x80 set and
// kFaultExceptionCode, with the check value; missing request bytes read as
// 0.
std::vector<uint8_t> ExceptionAnswer(const std::vector<uint8_t>& request);

// `answer` as if from the next station: for CompoWay/F the node number plus
// one (99 wraps to 00; a node that is not two digits becomes 00), with the
// BCC recomputed; for Modbus the first byte plus one (0xFF wraps to 0x00),
// with the check value recomputed when the frame has at least three bytes.
// An empty answer stays empty.
std::vector<uint8_t> OtherAddressAnswer(const std::vector<uint8_t>& answer);

// A reply record with status 0 whose length field announces all of `frame`
// but which ends after the header and the first half of the frame (rounded
// up, yet at least one byte short: nothing of a one-byte frame). An empty
// frame gives the header alone.
std::vector<uint8_t> TruncatedReplyRecord(const std::vector<uint8_t>& frame);

// A reply record with status 0, the length field `length` and then all of
// `frame`, whatever `length` says.
std::vector<uint8_t> LengthFieldReplyRecord(const std::vector<uint8_t>& frame,
                                            int16_t length);

// 0 to kMaxReplySize random bytes, the same for the same `seed` and
// `record` on every run and machine.
std::vector<uint8_t> RandomReplyRecord(uint32_t seed, uint32_t record);

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_FAULT_REPLIES_H_
