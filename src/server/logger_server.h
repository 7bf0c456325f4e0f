#ifndef TOOL_SERVER_LOGGER_SERVER_H_
#define TOOL_SERVER_LOGGER_SERVER_H_

#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/TCPServer.h>
#include <Poco/Types.h>

#include <chrono>
#include <memory>

#include "server/connection_watchdog.h"
#include "server/receive_request_command_executor.h"

namespace tool {

// The HTTP command server: answers POSTs of commandRequest documents on a
// TCP port of every local address.
//
// Slow clients cannot starve the others: each connection must deliver a
// whole request (header and body) within the request time, counted from
// the start of its service or from the end of the previous request's
// execution, or it is shut down, however many bytes it trickles in; the
// execution of a command does not count. Up to kMaxThreads connections are
// served at once on threads of the server's own pool, and up to kMaxQueued
// more wait for a thread; further connections are closed at once.
//
// Start and Stop are called from one thread at a time (the start and stop
// sequences of the service).
class LoggerServer {
 public:
  static constexpr Poco::UInt16 kPort = 8084;
  static constexpr std::chrono::milliseconds kRequestTime{5000};
  static constexpr int kMaxThreads = 32;
  static constexpr int kMaxQueued = 64;

  // Opens nothing yet. Port 0 lets the system choose (for tests).
  // `executor` must remain live while the server runs and for as long as
  // a request that Stop cut off may still execute.
  LoggerServer(Poco::UInt16 port, const ReceiveRequestCommandExecutor& executor,
               std::chrono::milliseconds requestTime = kRequestTime);
  // Stops the server first.
  virtual ~LoggerServer();

  LoggerServer(const LoggerServer&) = delete;
  LoggerServer& operator=(const LoggerServer&) = delete;

  // Opens the port and starts serving; does nothing when already started.
  // Throws the library's Poco::Net exception when the port cannot be bound
  // or listened on (also when another process listens on it), and then
  // stays stopped.
  void Start();

  // Stops serving and closes the port; does nothing when stopped. Gives
  // requests in progress half a second to finish, then aborts their
  // connections, so returns within about 0.7 s. A command still executing
  // then runs to its end on its thread, but its reply reaches no one.
  void Stop();

  // The port being listened on; 0 while stopped.
  Poco::UInt16 GetPort() const;

  // The connections being served; 0 while stopped.
  int CurrentConnections() const;

 private:
  // Waits until no connection is being served; false after `limit`.
  bool AwaitConnectionsEnd(std::chrono::milliseconds limit) const;

  const Poco::UInt16 port_;
  const ReceiveRequestCommandExecutor& executor_;
  const std::chrono::milliseconds requestTime_;
  // Shared with the connections, which may outlive the server.
  std::shared_ptr<ConnectionWatchdog> watchdog_;
  // The listening socket, shared with server_.
  Poco::Net::ServerSocket socket_;
  std::unique_ptr<Poco::Net::TCPServer> server_;
};

}  // namespace tool

#endif  // TOOL_SERVER_LOGGER_SERVER_H_
