#ifndef TOOL_SERVER_WATCHED_HTTP_CONNECTION_FACTORY_H_
#define TOOL_SERVER_WATCHED_HTTP_CONNECTION_FACTORY_H_

#include <Poco/Net/HTTPServerParams.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Net/TCPServerConnection.h>
#include <Poco/Net/TCPServerConnectionFactory.h>

#include <memory>

#include "server/connection_watchdog.h"
#include "server/receive_request_command_executor.h"

namespace tool {

// Makes a WatchedHttpConnection, under the same watchdog, for every
// connection the command server accepts. Called on the server's threads;
// keeps only constant state.
class WatchedHttpConnectionFactory
    : public Poco::Net::TCPServerConnectionFactory {
 public:
  // `executor` must remain live while any connection made here runs.
  WatchedHttpConnectionFactory(Poco::Net::HTTPServerParams::Ptr params,
                               const ReceiveRequestCommandExecutor& executor,
                               std::shared_ptr<ConnectionWatchdog> watchdog);

  // The caller (the server) owns the connection.
  Poco::Net::TCPServerConnection* createConnection(
      const Poco::Net::StreamSocket& socket) override;

 private:
  const Poco::Net::HTTPServerParams::Ptr params_;
  const ReceiveRequestCommandExecutor& executor_;
  const std::shared_ptr<ConnectionWatchdog> watchdog_;
};

}  // namespace tool

#endif  // TOOL_SERVER_WATCHED_HTTP_CONNECTION_FACTORY_H_
