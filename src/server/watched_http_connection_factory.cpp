#include "server/watched_http_connection_factory.h"

#include <utility>

#include "server/watched_http_connection.h"

namespace tool {

WatchedHttpConnectionFactory::WatchedHttpConnectionFactory(
    Poco::Net::HTTPServerParams::Ptr params,
    const ReceiveRequestCommandExecutor& executor,
    std::shared_ptr<ConnectionWatchdog> watchdog)
    : params_(std::move(params)),
      executor_(executor),
      watchdog_(std::move(watchdog)) {}

Poco::Net::TCPServerConnection* WatchedHttpConnectionFactory::createConnection(
    const Poco::Net::StreamSocket& socket) {
  return new WatchedHttpConnection(socket, params_, executor_, watchdog_);
}

}  // namespace tool
