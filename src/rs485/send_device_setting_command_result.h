#ifndef TOOL_RS485_SEND_DEVICE_SETTING_COMMAND_RESULT_H_
#define TOOL_RS485_SEND_DEVICE_SETTING_COMMAND_RESULT_H_

#include <memory>

#include "rs485/byte_data_holder.h"

namespace tool {

// Judges whether a device's reply answers the command bytes that were sent:
// a CompoWay/F reply by its end code, a Modbus reply by repeating the first
// bytes of the request (slave address, function code, then data bytes; how
// many is the device's Modbus compare length). Logs what it compared. Used
// for one reply, on one thread.
class SendDeviceSettingCommandResult {
 public:
  // Values of `checkKind`.
  static constexpr int kCompowayF = 0;
  static constexpr int kModbus = 1;  // any value but kCompowayF

  // `sentData`: the command bytes that were sent (2-byte length, frame);
  // a Modbus reply must repeat `modbusCompareLength` bytes of its frame.
  SendDeviceSettingCommandResult(std::shared_ptr<ByteDataHolder> sentData,
                                 int checkKind, int modbusCompareLength);
  virtual ~SendDeviceSettingCommandResult() = default;

  // True when `reply` (2-byte length, one uninterpreted byte, frame; empty
  // when no reply came) answers the command. A missing, empty or too short
  // reply or command is false; nothing is read past either.
  bool CheckReceivedData(const std::shared_ptr<ByteDataHolder>& reply) const;

 private:
  bool CheckReceivedDataForModbus(const ByteDataHolder& reply) const;
  bool CheckReceivedDataForCompoWayF(const ByteDataHolder& reply) const;

  const std::shared_ptr<ByteDataHolder> sentData_;
  const int checkKind_;
  const int modbusCompareLength_;
};

}  // namespace tool

#endif  // TOOL_RS485_SEND_DEVICE_SETTING_COMMAND_RESULT_H_
