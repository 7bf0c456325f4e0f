#ifndef TOOL_RS485_DEVICE_SETTING_RUNNER_H_
#define TOOL_RS485_DEVICE_SETTING_RUNNER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rs485/byte_data_holder.h"
#include "rs485/device_connection_params.h"
#include "rs485/port_com_params.h"
#include "rs485/port_com_tables.h"

namespace tool {

class ChannelControllerSet;
class LoggerSettingXmlManager;
class RS485ChannelController;

// Carries a command's frames to its device: opens a device-setting
// connection on the channel's controller at the device's line settings,
// fills one access record per frame, waits for each reply, judges it and
// closes the connection. Its log lines carry the tag "ToolManager", whose
// operations these are.
//
// Safe from any thread. Operations on one channel run one after another:
// each holds the channel's setting mutex throughout.
class DeviceSettingRunner {
 public:
  // The device's line settings are coded through `tables`, and a Modbus
  // reply must repeat `modbusCompareLength` request bytes. `controllers`,
  // `tables` and `settings` (the socket path) must remain live while the
  // runner exists.
  DeviceSettingRunner(const ChannelControllerSet& controllers,
                      const PortComTables& tables, int modbusCompareLength,
                      const LoggerSettingXmlManager& settings);
  virtual ~DeviceSettingRunner() = default;

  DeviceSettingRunner(const DeviceSettingRunner&) = delete;
  DeviceSettingRunner& operator=(const DeviceSettingRunner&) = delete;

  // As DeviceSettingInterface says. False with nothing sent for empty or
  // unequal lists, a channel without controller, or a connection that
  // cannot be opened.
  bool DeviceSettingConnection(const DeviceConnectionParams& params,
                               const std::vector<const std::uint8_t*>& datalist,
                               const std::vector<int>& sizelist);
  bool DeviceSettingConnectionUntilSuccess(
      const DeviceConnectionParams& params,
      const std::vector<const std::uint8_t*>& datalist,
      const std::vector<int>& sizelist);

  // As DeviceSettingInterface says. Unanswered probes are expected and
  // logged at Debug only. The probing also ends, as a failure, at the first
  // exchange that the communication service did not answer with a reply
  // record (it cannot be reached, or the exchange failed): the rest could
  // only fail the same way.
  int ProbeUntilAnswered(const DeviceConnectionParams& params,
                         const std::vector<int>& addresses,
                         const std::vector<const std::uint8_t*>& datalist,
                         const std::vector<int>& sizelist,
                         const std::function<bool()>& keepGoing, int* sent);

  // Sends one frame of `length` bytes at `data` on the connection that the
  // calling device-setting operation holds open on `channel`, and blocks
  // until the service has answered. Returns the reply bytes, or empty when
  // no reply came, the frame does not fit or no connection is open.
  std::shared_ptr<ByteDataHolder> SendCommandDeviceSettingConnection(
      int channel, int address, int baudCode, const std::uint8_t* data,
      int length);

  // The service's codes for the device's serial-parameter setting `param`
  // and baud-rate setting `baudrate`; settings beyond the device's table get
  // its fallback row.
  PortComParams GetPortComParams(unsigned param) const;
  int GetPortComBaudrate(unsigned baudrate) const;

 private:
  // The operations' common course; `untilSuccess` selects whether the first
  // good reply or the first failure ends it.
  bool Run(const char* name, bool untilSuccess,
           const DeviceConnectionParams& params,
           const std::vector<const std::uint8_t*>& datalist,
           const std::vector<int>& sizelist);
  // Opens the device-setting connection of `params` on `controller` and
  // sets `*baudCode` to the service's baud-rate code; false, logged, when
  // the connection cannot be opened.
  bool Open(RS485ChannelController& controller,
            const DeviceConnectionParams& params, const std::string& operation,
            int* baudCode);
  // Whether `reply` answers the `length` bytes at `data` well.
  bool Judge(const DeviceConnectionParams& params, const std::uint8_t* data,
             int length, const std::shared_ptr<ByteDataHolder>& reply) const;
  // Sends one frame; `*serviceAnswered`, when given, tells whether the
  // communication service sent a reply record at all.
  std::shared_ptr<ByteDataHolder> SendCommand(
      RS485ChannelController& controller, int channel, int address,
      int baudCode, const std::uint8_t* data, int length,
      bool* serviceAnswered = nullptr);
  // The service's baud-rate code for the device's setting.
  int BaudCode(int baudrate) const;

  const ChannelControllerSet& controllers_;
  const PortComTables& tables_;
  const int modbusCompareLength_;
  const LoggerSettingXmlManager& settings_;
};

}  // namespace tool

#endif  // TOOL_RS485_DEVICE_SETTING_RUNNER_H_
