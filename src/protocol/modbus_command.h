#ifndef TOOL_PROTOCOL_MODBUS_COMMAND_H_
#define TOOL_PROTOCOL_MODBUS_COMMAND_H_

#include <memory>
#include <string>

#include "rs485/byte_data_holder.h"

namespace tool {

// Builds the command bytes of a Modbus RTU request. Stateless; safe from
// any thread.
class ModbusCommand {
 public:
  virtual ~ModbusCommand() = default;

  // The request that `hexText` spells (slave address, function code, data;
  // two hexadecimal characters per byte, a trailing odd character dropped)
  // as command bytes: the frame length (request + CRC) in two bytes, least
  // significant first, the request, then its CRC-16, low byte first. Empty,
  // with an Error log line, when the text is not hexadecimal.
  static std::shared_ptr<ByteDataHolder> CreateCommand(
      const std::string& hexText);
};

}  // namespace tool

#endif  // TOOL_PROTOCOL_MODBUS_COMMAND_H_
