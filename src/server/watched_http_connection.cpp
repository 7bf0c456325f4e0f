#include "server/watched_http_connection.h"

#include <Poco/Net/HTTPServerConnection.h>

#include <utility>

#include "server/my_http_request_handler_factory.h"

namespace tool {

WatchedHttpConnection::WatchedHttpConnection(
    const Poco::Net::StreamSocket& socket,
    Poco::Net::HTTPServerParams::Ptr params,
    const ReceiveRequestCommandExecutor& executor,
    std::shared_ptr<ConnectionWatchdog> watchdog)
    : Poco::Net::TCPServerConnection(socket),
      params_(std::move(params)),
      executor_(executor),
      watchdog_(std::move(watchdog)) {}

void WatchedHttpConnection::run() {
  const ConnectionWatchdog::Id id = watchdog_->Watch(socket());
  if (id == ConnectionWatchdog::kNotWatched) {
    socket().close();
    return;
  }
  // The handlers of this connection suspend and renew its deadline.
  Poco::Net::HTTPServerConnection connection(
      socket(), params_,
      new MyHttpRequestHandlerFactory(executor_, watchdog_.get(), id));
  try {
    connection.run();
  } catch (...) {
    watchdog_->Forget(id);
    throw;
  }
  watchdog_->Forget(id);
}

}  // namespace tool
