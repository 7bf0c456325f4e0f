#ifndef TOOL_MAIN_TOOL_MANAGER_H_
#define TOOL_MAIN_TOOL_MANAGER_H_

#include <Poco/Types.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "rs485/rs485_channel_controller.h"
#include "server/logger_server.h"

namespace tool {

// The service's spine: starts the HTTP command server, the lifecheck watchdog
// and the RS-485 channel controllers, idles until it is stopped, and releases
// them again in reverse order.
//
// One instance serves the process (GetInstance). Run blocks on the thread
// that calls it; Stop may be called from any thread and more than once, and
// waits for a start sequence that is under way. RequestStop is the only
// operation that may be called from a signal handler.
class ToolManager {
 public:
  // The process's manager. The first call sets up logging from the fixed
  // settings file and directories, then constructs the manager; later calls
  // return the same object. Safe against simultaneous first calls; never
  // destroyed.
  static ToolManager& GetInstance();

  // Asks the running (or next) Run loop to call Stop on its own thread.
  // Async-signal-safe: it only sets a lock-free flag.
  static void RequestStop() noexcept;

  // A manager that has started nothing; its command server will listen on
  // `serverPort` (0 lets the system choose, for tests). Logging must already
  // be set up; outside tests only GetInstance constructs one.
  explicit ToolManager(Poco::UInt16 serverPort = LoggerServer::kPort);
  virtual ~ToolManager() = default;

  ToolManager(const ToolManager&) = delete;
  ToolManager& operator=(const ToolManager&) = delete;

  // Starts everything, then sleeps in 500 ms steps until Stop has run
  // (called directly or through RequestStop). Returns true after an orderly
  // stop, and at once when the manager is already running. Returns false when
  // the start failed: what had been started is released again, the reason is
  // logged at Fatal and kept for GetStartError.
  bool Run();

  // Releases the controllers, the lifecheck and the server, in that order,
  // and ends Run's loop. A repeated call releases nothing.
  void Stop();

  // Why the last Run failed to start; empty when it did not fail.
  std::string GetStartError() const;

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

 private:
  void ReleaseAfterFailedStart();
  // Releases the controllers, the lifecheck and the server, in that order,
  // and clears the running flag.
  void ReleaseAll();

  const Poco::UInt16 serverPort_;
  std::unique_ptr<LoggerServer> loggerServer_;
  // The lifecheck arrives with its own class; until then its steps only
  // keep whether they have run.
  bool lifecheckStarted_ = false;
  using ControllerList = std::vector<std::shared_ptr<RS485ChannelController>>;
  // Request threads look controllers up while Stop may release the list.
  mutable std::mutex controllersMutex_;
  std::unique_ptr<ControllerList> controllers_;

  // Keeps the start sequence and the releases of Stop apart.
  std::mutex stepsMutex_;
  std::atomic<bool> running_{false};
  std::string startError_;
};

}  // namespace tool

#endif  // TOOL_MAIN_TOOL_MANAGER_H_
