#ifndef TOOL_TOOLS_RS485_STAND_IN_MODBUS_CRC_H_
#define TOOL_TOOLS_RS485_STAND_IN_MODBUS_CRC_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stand_in {

// The Modbus RTU check value (CRC-16, reflected polynomial 0xA001, start
// 0xFFFF) of the first `count` bytes of `bytes`; `count` must not exceed the
// size. On the wire it follows the frame low byte first.
uint16_t ModbusCrc(const std::vector<uint8_t>& bytes, std::size_t count);

// Appends the check value of all of `*frame`, low byte first.
void AppendModbusCrc(std::vector<uint8_t>* frame);

// True when `frame` is at least one byte plus a check value and its last two
// bytes are the check value of the bytes before them.
bool HasValidModbusCrc(const std::vector<uint8_t>& frame);

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_MODBUS_CRC_H_
