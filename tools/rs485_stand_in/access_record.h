#ifndef TOOL_TOOLS_RS485_STAND_IN_ACCESS_RECORD_H_
#define TOOL_TOOLS_RS485_STAND_IN_ACCESS_RECORD_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rs485_stand_in/line_settings.h"

namespace stand_in {

// Every access record is this long; the client sends nothing after it and
// keeps its side open, so this length is the only end marker.
constexpr std::size_t kAccessRecordSize = 4285;
// Longest device frame a command record can carry.
constexpr std::size_t kMaxFrameLength = 3996;

enum class RecordKind {
  kInvalid,      // short, wrong length field or unknown kind byte
  kPortSetting,  // sets the line of a channel
  kCommand,      // carries one frame to send on the line
};

// One access record as received from a client, decoded field by field.
struct AccessRecord {
  RecordKind kind = RecordKind::kInvalid;
  std::size_t bytesRead = 0;
  uint32_t lengthField = 0;  // 0 when fewer than 4 bytes arrived
  uint32_t portIndex = 0;
  uint32_t channel = 0;
  LineSettings settings;
  // Command records: the length field as sent; `frame` holds that many bytes
  // only when it is at most kMaxFrameLength, else it stays empty.
  uint16_t frameLength = 0;
  std::vector<uint8_t> frame;
};

// Decodes the bytes read from one connection (at most kAccessRecordSize).
// Never fails: a record that cannot be decoded has kind kInvalid, with
// bytesRead and lengthField filled in as far as they arrived.
AccessRecord ParseAccessRecord(const std::vector<uint8_t>& bytes);

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_ACCESS_RECORD_H_
