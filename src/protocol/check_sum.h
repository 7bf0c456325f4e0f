#ifndef TOOL_PROTOCOL_CHECK_SUM_H_
#define TOOL_PROTOCOL_CHECK_SUM_H_

#include <memory>

#include "rs485/byte_data_holder.h"

namespace tool {

// The check bytes of the device protocols: the Modbus RTU CRC-16 and the
// CompoWay/F block check character. Stateless; safe from any thread.
class CheckSum {
 public:
  virtual ~CheckSum() = default;

  // The Modbus CRC-16 of `length` bytes at `data`, as the two bytes that end
  // a frame: low byte, then high byte. Never empty; no bytes give FF FF.
  static std::shared_ptr<ByteDataHolder> CalculateCrc16(const char* data,
                                                        unsigned length);

  // The XOR of the low seven bits of bytes 1 to `length` - 1; the byte at
  // index 0 (STX) never counts. 0 for one byte or none.
  static char CalculateBcc(const char* data, unsigned length);
};

}  // namespace tool

#endif  // TOOL_PROTOCOL_CHECK_SUM_H_
