#ifndef TOOL_TOOLS_RS485_STAND_IN_CHANNEL_FAULT_H_
#define TOOL_TOOLS_RS485_STAND_IN_CHANNEL_FAULT_H_

#include <cstdint>
#include <optional>
#include <string>

namespace stand_in {

// How the stand-in misbehaves on a command record that meets a fault.
enum class FaultMode {
  kCloseUnread,   // closes the connection without reading the record
  kCloseSilent,   // reads the record, closes without writing
  kHang,          // reads the record, writes nothing, waits for the client
  kStatus,        // a reply record with a non-zero status
  kTruncated,     // a reply record cut off in the middle of the frame
  kLength,        // a reply record whose length field is `argument`
  kRandom,        // a reply record of random bytes of random length
  kException,     // the device rejects the request (Modbus or CompoWay/F)
  kOtherAddress,  // the answer comes from another slave address or node
  kDelay,         // the normal reply, `argument` milliseconds late
};

// One --fault value "CH:MODE[:ARG][:skip=N][:count=M]": on channel CH the
// first `skip` command records are answered normally, the next `count` (or
// every later one when `count` is empty) meet `mode`.
struct ChannelFault {
  uint32_t channel = 0;
  FaultMode mode = FaultMode::kCloseSilent;
  // The status, length field, random seed or delay in milliseconds; 0 for a
  // mode without argument.
  int64_t argument = 0;
  uint32_t skip = 0;
  std::optional<uint32_t> count;
};

// Reads a --fault value. Returns empty and sets `*error` to a one-line
// reason for a channel other than 1 to 3, an unknown mode, a missing,
// surplus or out-of-range argument (status 0 included), or a malformed,
// repeated or zero count or skip. Thread-safe.
std::optional<ChannelFault> ParseChannelFault(const std::string& text,
                                              std::string* error);

// The mode with its argument as the record log shows it: "hang",
// "status:5", "random:1", "delay:3000".
std::string FaultModeText(const ChannelFault& fault);

// The modes as usage text, indented to sit under the --fault option's
// description, one or more lines per mode, each ending in a newline.
std::string FaultModesUsage();

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_CHANNEL_FAULT_H_
