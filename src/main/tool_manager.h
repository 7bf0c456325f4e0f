#ifndef TOOL_MAIN_TOOL_MANAGER_H_
#define TOOL_MAIN_TOOL_MANAGER_H_

#include <Poco/Types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "lifecheck/lifecheck.h"
#include "log/logger_setting_xml_manager.h"
#include "main/parameter_store.h"
#include "main/stop_signal.h"
#include "rs485/byte_data_holder.h"
#include "rs485/channel_controller_set.h"
#include "rs485/device_connection_params.h"
#include "rs485/device_setting_interface.h"
#include "rs485/device_setting_runner.h"
#include "rs485/port_com_params.h"
#include "rs485/rs485_channel_controller.h"
#include "server/logger_server.h"
#include "server/product_profile.h"
#include "server/receive_request_command_executor.h"

namespace tool {

// The service's composition root: builds the parts of one service from its
// profile and runs them. It creates the RS-485 channel controllers, starts
// the HTTP command server and the lifecheck watchdog, idles until it is
// stopped, and releases the controllers, the lifecheck and the server.
// Between start and stop it gives the commands their device-setting
// operations, which it delegates: frames to the device-setting runner, the
// stored line settings to the parameter store, pauses to the stop signal.
//
// One instance serves the process (GetInstance). Run blocks on the thread
// that calls it; Stop may be called from any thread and more than once, and
// waits for a start sequence that is under way. RequestStop is the only
// operation that may be called from a signal handler. The device-setting
// operations and the parameter stores are safe from any thread; operations
// on one channel run one after another.
class ToolManager : public DeviceSettingInterface {
 public:
  // The process's manager. The first call sets up logging from the fixed
  // settings file and directories, then constructs the manager for
  // `profile`, which must remain live for the rest of the process; later
  // calls return the same object, whatever profile they name. Safe against
  // simultaneous first calls; never destroyed.
  static ToolManager& GetInstance(const ProductProfile& profile);

  // Asks the running (or next) Run loop to call Stop on its own thread.
  // Async-signal-safe: it only sets a lock-free flag and writes one byte
  // to the loop's wake-up pipe.
  static void RequestStop() noexcept;

  // A manager of the service that `profile` describes, which has started
  // nothing; its command server will listen on `serverPort` (0 lets the
  // system choose, for tests) and its channel controllers reach the
  // communication service through `settings` (by default the process's).
  // `profile` and `settings` must remain live while the manager exists.
  // Logging must already be set up; outside tests only GetInstance
  // constructs one.
  explicit ToolManager(const ProductProfile& profile,
                       Poco::UInt16 serverPort = LoggerServer::kPort);
  ToolManager(const ProductProfile& profile, Poco::UInt16 serverPort,
              const LoggerSettingXmlManager& settings);
  ~ToolManager() override = default;

  ToolManager(const ToolManager&) = delete;
  ToolManager& operator=(const ToolManager&) = delete;

  // Starts everything, then sleeps in 500 ms steps until Stop has run
  // (called directly or through RequestStop, which is also how the
  // lifecheck's "Time over" ends the service); a stop ends the step at
  // once. Returns true after an orderly stop, and at once when the manager
  // is already running. Returns false when the start failed: what had been
  // started is released again, the reason is logged at Fatal and kept for
  // GetStartError.
  bool Run();

  // Releases the controllers, the lifecheck and the server, in that order,
  // and ends Run's loop. A repeated call releases nothing. Device-setting
  // operations in progress fail at once (their exchanges are aborted, their
  // pauses ended), so the server's wait for its requests is short and the
  // stop completes within about a second.
  void Stop();

  // Why the last Run failed to start; empty when it did not fail.
  std::string GetStartError() const;

  // The profile of the service this manager runs.
  const ProductProfile& GetProfile() const;

  // The start and stop steps. Each is guarded by the state of what it
  // starts, so a repeated call does nothing. A start step reports a failure
  // by throwing; Run turns that into its false result.
  virtual void StartServer();
  virtual void StopServer();
  virtual void StartLifecheck();
  virtual void StopLifecheck();
  virtual void CreateChannelControllers();
  virtual void ReleaseChannelControllers();

  // The controller of `channelNo` (1 to 3); empty when there is none or
  // the controllers are not created. Safe from any thread.
  std::shared_ptr<RS485ChannelController> GetChannelController(
      int channelNo) const;

  // The device-setting operations (DeviceSettingInterface). Each holds the
  // channel's setting mutex throughout, so blocks while another operation
  // runs on the channel.
  bool DeviceSettingConnection(const DeviceConnectionParams& params,
                               const std::vector<const std::uint8_t*>& datalist,
                               const std::vector<int>& sizelist) override;
  bool DeviceSettingConnectionUntilSuccess(
      const DeviceConnectionParams& params,
      const std::vector<const std::uint8_t*>& datalist,
      const std::vector<int>& sizelist) override;
  int ProbeUntilAnswered(const DeviceConnectionParams& params,
                         const std::vector<int>& addresses,
                         const std::vector<const std::uint8_t*>& datalist,
                         const std::vector<int>& sizelist,
                         const std::function<bool()>& keepGoing,
                         int* sent) override;

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

  // The stored line settings (DeviceSettingInterface); safe from any thread.
  void SetConnectedParams(const DeviceConnectionParams& params) override;
  DeviceConnectionParams GetConnectedParams() const override;
  void SetUpdatedParams(const DeviceConnectionParams& params) override;
  DeviceConnectionParams GetUpdatedParams() const override;

  // Sleeps on the calling thread for `milliseconds`, or until Stop runs.
  // Returns false, at once, when Stop has run since the last start.
  bool PauseUnlessStopped(int milliseconds) override;

 private:
  void ReleaseAfterFailedStart();
  // Releases the controllers, the lifecheck and the server, in that order,
  // and clears the running flag.
  void ReleaseAll();

  const ProductProfile& profile_;
  const Poco::UInt16 serverPort_;
  ChannelControllerSet controllers_;
  DeviceSettingRunner runner_;
  ParameterStore params_;
  // Ends the commands' pauses when Stop runs.
  StopSignal stopSignal_;
  // Gives the server's commands this manager's device-setting operations.
  // The server and the lifecheck come after the parts their threads use,
  // so that they are destroyed first.
  const ReceiveRequestCommandExecutor executor_;
  std::unique_ptr<LoggerServer> loggerServer_;
  // Watches the service's watchdog file; null while not started.
  std::unique_ptr<Lifecheck> lifecheck_;

  // Keeps the start sequence and the releases of Stop apart.
  std::mutex stepsMutex_;
  std::atomic<bool> running_{false};
  std::string startError_;
};

}  // namespace tool

#endif  // TOOL_MAIN_TOOL_MANAGER_H_
