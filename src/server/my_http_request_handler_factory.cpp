#include "server/my_http_request_handler_factory.h"

#include "server/my_http_request_handler.h"

namespace tool {

Poco::Net::HTTPRequestHandler*
MyHttpRequestHandlerFactory::createRequestHandler(
    const Poco::Net::HTTPServerRequest&) {
  return new MyHttpRequestHandler();
}

}  // namespace tool
