#ifndef TOOL_RS485_DEVICE_CONNECTION_PARAMS_H_
#define TOOL_RS485_DEVICE_CONNECTION_PARAMS_H_

namespace tool {

// Line settings under which a device answered, as the commands received
// them: `baudrate` and `param` are the device's own settings, not the
// service's codes. `checkKind` tells how its replies are judged
// (SendDeviceSettingCommandResult).
struct DeviceConnectionParams {
  int checkKind = 0;
  int channel = 0;
  int baudrate = 0;
  int address = 0;
  int param = 0;
};

}  // namespace tool

#endif  // TOOL_RS485_DEVICE_CONNECTION_PARAMS_H_
