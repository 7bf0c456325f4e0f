#ifndef TOOL_SERVER_WATCHED_HTTP_CONNECTION_H_
#define TOOL_SERVER_WATCHED_HTTP_CONNECTION_H_

#include <Poco/Net/HTTPServerParams.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Net/TCPServerConnection.h>

#include <memory>

#include "server/connection_watchdog.h"
#include "server/receive_request_command_executor.h"

namespace tool {

// One client connection of the command server, served as the library's
// HTTP server serves it, under the watch of a ConnectionWatchdog: each
// request must arrive within the watchdog's request time, counted from the
// start of the connection or the end of the previous request's execution.
// A connection the watchdog will not watch (the server is stopping, or no
// descriptor is left) is closed unserved.
//
// Runs on one server thread; the watchdog is shared with the other
// connections and stays live as long as any of them.
class WatchedHttpConnection : public Poco::Net::TCPServerConnection {
 public:
  // `executor` must remain live while the connection runs.
  WatchedHttpConnection(const Poco::Net::StreamSocket& socket,
                        Poco::Net::HTTPServerParams::Ptr params,
                        const ReceiveRequestCommandExecutor& executor,
                        std::shared_ptr<ConnectionWatchdog> watchdog);

  // Serves requests until the client or the server ends the connection.
  void run() override;

 private:
  const Poco::Net::HTTPServerParams::Ptr params_;
  const ReceiveRequestCommandExecutor& executor_;
  const std::shared_ptr<ConnectionWatchdog> watchdog_;
};

}  // namespace tool

#endif  // TOOL_SERVER_WATCHED_HTTP_CONNECTION_H_
