#ifndef TOOL_TOOLS_RS485_STAND_IN_LINE_SETTINGS_H_
#define TOOL_TOOLS_RS485_STAND_IN_LINE_SETTINGS_H_

#include <cstdint>

namespace stand_in {

// The port-parameter block of an access record, as the client sent it: how
// the line of one channel is to be driven. Kept raw so that a device model
// can check the codes it expects and the record log shows what arrived.
struct LineSettings {
  uint8_t baudCode = 0;
  uint8_t address = 0;
  // Data-bit code in bits 0-1, stop-bit code in bits 2-3, parity in bits 4-5.
  uint8_t format = 0;
  uint16_t timeout = 0;
  uint8_t delimiter = 0;
  uint8_t delimiterByte = 0;
  uint8_t waitTime = 0;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_LINE_SETTINGS_H_
