#ifndef TOOL_RS485_RS485_DEVICE_SET_PORT_PARAMS_UTILITY_H_
#define TOOL_RS485_RS485_DEVICE_SET_PORT_PARAMS_UTILITY_H_

#include <cstdint>

namespace tool {

// Writes the port-parameter block of an access record and holds the
// encodings of the communication service's serial codes. Static only; safe
// from any thread.
//
// Each code is first cut to a signed 16-bit value; a code that is not
// listed encodes as 0.
class RS485DeviceSetPortParamsUtility {
 public:
  RS485DeviceSetPortParamsUtility() = delete;
  virtual ~RS485DeviceSetPortParamsUtility() = default;

  // Writes the seven bytes at `block` (record offset 69): address 1, the
  // data format of the three codes, time-out 500, delimiter 1, delimiter
  // byte 0 and wait time 2. The device address does not enter the block: the
  // device finds it in the frame. A null `block` writes nothing.
  static void SetSetPortParams(std::uint8_t* block, int address, int dataBits,
                               int stopBits, int parity);

  // Data bits in bits 0-1, stop bits in bits 2-3, parity in bits 4-5.
  static std::uint8_t GetDataFormat(int dataBits, int stopBits, int parity);
  static int GetDataBitsCode(int dataBits);  // 0..3 -> 0..3
  static int GetStopBitsCode(int stopBits);  // 0, 1, 2 -> 0, 4, 8
  static int GetParityCode(int parity);      // 0, 1, 255 -> 16, 48, 0
  // The low byte of `value`; the second argument is not used.
  static std::uint8_t GetDelimiterByte(int value, int unused);
  // `wait` (times 50 when `flag` is 0) divided by 4, at most 255.
  static std::uint8_t GetComWaitTime(int wait, int flag);
};

}  // namespace tool

#endif  // TOOL_RS485_RS485_DEVICE_SET_PORT_PARAMS_UTILITY_H_
