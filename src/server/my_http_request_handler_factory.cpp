#include "server/my_http_request_handler_factory.h"

#include "server/my_http_request_handler.h"

namespace tool {

MyHttpRequestHandlerFactory::MyHttpRequestHandlerFactory(
    const ReceiveRequestCommandExecutor& executor, ConnectionWatchdog* watchdog,
    ConnectionWatchdog::Id connection)
    : executor_(executor), watchdog_(watchdog), connection_(connection) {}

Poco::Net::HTTPRequestHandler*
MyHttpRequestHandlerFactory::createRequestHandler(
    const Poco::Net::HTTPServerRequest&) {
  return new MyHttpRequestHandler(executor_, watchdog_, connection_);
}

}  // namespace tool
