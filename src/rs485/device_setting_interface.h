#ifndef TOOL_RS485_DEVICE_SETTING_INTERFACE_H_
#define TOOL_RS485_DEVICE_SETTING_INTERFACE_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "rs485/device_connection_params.h"

namespace tool {

// The device-setting operations through which a command reaches its device:
// carrying frames over one device-setting connection, the line settings
// that last worked, and a pause that a stop of the service ends. A command
// is given the implementation (the service's ToolManager, or a fake in
// tests) when it is made, and must not keep it beyond its request.
//
// Implementations are safe from any thread. The base operations do
// nothing: they send nothing, report failure and store nothing, which suits
// code that never reaches a device.
class DeviceSettingInterface {
 public:
  virtual ~DeviceSettingInterface() = default;

  // Opens a device-setting connection on `params.channel` at the line
  // settings for the device's `params.baudrate` and serial-parameter setting
  // `params.param`, sends the frames to `params.address` one after another
  // (command bytes: 2-byte length, frame; entry i of `datalist` holds entry
  // i of `sizelist` bytes, which are only read), judges each reply as
  // `params.checkKind` says, and closes the connection. True only when
  // every frame was answered well; stops at the first that was not. False
  // with nothing sent for empty or unequal lists or an unknown channel.
  virtual bool DeviceSettingConnection(
      const DeviceConnectionParams& params,
      const std::vector<const std::uint8_t*>& datalist,
      const std::vector<int>& sizelist);

  // As DeviceSettingConnection, but true as soon as one frame is answered
  // well, without sending the rest; false when none was.
  virtual bool DeviceSettingConnectionUntilSuccess(
      const DeviceConnectionParams& params,
      const std::vector<const std::uint8_t*>& datalist,
      const std::vector<int>& sizelist);

  // Opens one device-setting connection at the line settings of `params`
  // and probes over it: sends frame i (entry i of `datalist`, of entry i of
  // `sizelist` bytes) to `addresses[i]`, in order, until one is answered
  // well as `params.checkKind` judges. `keepGoing` is asked before each
  // frame; false ends the probing there, and so does an exchange that the
  // communication service does not answer at all. Returns the index of the frame
  // answered well, or -1, and sets `*sent` to the number of frames that
  // went out. -1 with nothing sent for empty or unequal lists, an unknown
  // channel or a connection that cannot be opened.
  virtual int ProbeUntilAnswered(
      const DeviceConnectionParams& params, const std::vector<int>& addresses,
      const std::vector<const std::uint8_t*>& datalist,
      const std::vector<int>& sizelist, const std::function<bool()>& keepGoing,
      int* sent);

  // The line settings under which the device last answered a connection
  // check, and those an update last set. Both start with channel 0, which
  // names no channel; a getter returns a copy.
  virtual void SetConnectedParams(const DeviceConnectionParams& params);
  virtual DeviceConnectionParams GetConnectedParams() const;
  virtual void SetUpdatedParams(const DeviceConnectionParams& params);
  virtual DeviceConnectionParams GetUpdatedParams() const;

  // Sleeps on the calling thread for `milliseconds`, or until the service
  // stops. False, at once, when it has stopped.
  virtual bool PauseUnlessStopped(int milliseconds);
};

}  // namespace tool

#endif  // TOOL_RS485_DEVICE_SETTING_INTERFACE_H_
