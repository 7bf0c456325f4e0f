#ifndef TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_FACTORY_H_
#define TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_FACTORY_H_

#include <Poco/Net/HTTPRequestHandler.h>
#include <Poco/Net/HTTPRequestHandlerFactory.h>
#include <Poco/Net/HTTPServerRequest.h>

#include "server/connection_watchdog.h"
#include "server/receive_request_command_executor.h"

namespace tool {

// Gives every request of one connection, whatever its method or URI, a
// handler of its own. Called on the connection's thread; keeps only
// constant state.
class MyHttpRequestHandlerFactory
    : public Poco::Net::HTTPRequestHandlerFactory {
 public:
  // `executor` must remain live while the factory is used; so must
  // `watchdog`, which watches the connection `connection` and may be null
  // for a connection without a deadline.
  explicit MyHttpRequestHandlerFactory(
      const ReceiveRequestCommandExecutor& executor,
      ConnectionWatchdog* watchdog = nullptr,
      ConnectionWatchdog::Id connection = ConnectionWatchdog::kNotWatched);

  // The caller (the HTTP server) owns the handler.
  Poco::Net::HTTPRequestHandler* createRequestHandler(
      const Poco::Net::HTTPServerRequest& request) override;

 private:
  const ReceiveRequestCommandExecutor& executor_;
  ConnectionWatchdog* const watchdog_;
  const ConnectionWatchdog::Id connection_;
};

}  // namespace tool

#endif  // TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_FACTORY_H_
