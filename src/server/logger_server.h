#ifndef TOOL_SERVER_LOGGER_SERVER_H_
#define TOOL_SERVER_LOGGER_SERVER_H_

#include <Poco/Net/HTTPServer.h>
#include <Poco/Types.h>

#include <chrono>
#include <memory>

namespace tool {

// The HTTP command server: answers POSTs of commandRequest documents on a
// TCP port of every local address, using the library's default worker
// pool, queue and time-outs.
//
// Start and Stop are called from one thread at a time (the start and stop
// sequences of the service).
class LoggerServer {
 public:
  static constexpr Poco::UInt16 kPort = 8084;

  // Opens nothing yet. Port 0 lets the system choose (for tests).
  explicit LoggerServer(Poco::UInt16 port = kPort);
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
  // connections, so returns within about 0.7 s.
  void Stop();

  // The port being listened on; 0 while stopped.
  Poco::UInt16 GetPort() const;

 private:
  // Waits until no connection is being served; false after `limit`.
  bool AwaitConnectionsEnd(std::chrono::milliseconds limit) const;

  const Poco::UInt16 port_;
  std::unique_ptr<Poco::Net::HTTPServer> server_;
};

}  // namespace tool

#endif  // TOOL_SERVER_LOGGER_SERVER_H_
