#include "server/my_http_request_handler_factory.h"

#include "server/my_http_request_handler.h"

namespace tool {

MyHttpRequestHandlerFactory::MyHttpRequestHandlerFactory(
    const CommandTable& commands, ConnectionWatchdog* watchdog,
    ConnectionWatchdog::Id connection)
    : commands_(commands), watchdog_(watchdog), connection_(connection) {}

Poco::Net::HTTPRequestHandler*
MyHttpRequestHandlerFactory::createRequestHandler(
    const Poco::Net::HTTPServerRequest&) {
  return new MyHttpRequestHandler(commands_, watchdog_, connection_);
}

}  // namespace tool
