#include "server/watched_http_connection_factory.h"

#include <utility>

#include "server/watched_http_connection.h"

namespace tool {

WatchedHttpConnectionFactory::WatchedHttpConnectionFactory(
    Poco::Net::HTTPServerParams::Ptr params, const CommandTable& commands,
    std::shared_ptr<ConnectionWatchdog> watchdog)
    : params_(std::move(params)),
      commands_(commands),
      watchdog_(std::move(watchdog)) {}

Poco::Net::TCPServerConnection* WatchedHttpConnectionFactory::createConnection(
    const Poco::Net::StreamSocket& socket) {
  return new WatchedHttpConnection(socket, params_, commands_, watchdog_);
}

}  // namespace tool
