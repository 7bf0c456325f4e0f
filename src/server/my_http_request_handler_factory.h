#ifndef TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_FACTORY_H_
#define TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_FACTORY_H_

#include <Poco/Net/HTTPRequestHandler.h>
#include <Poco/Net/HTTPRequestHandlerFactory.h>
#include <Poco/Net/HTTPServerRequest.h>

namespace tool {

// Gives every request, whatever its method or URI, a handler of its own.
// Called on the server's threads; keeps no state.
class MyHttpRequestHandlerFactory
    : public Poco::Net::HTTPRequestHandlerFactory {
 public:
  // The caller (the HTTP server) owns the handler.
  Poco::Net::HTTPRequestHandler* createRequestHandler(
      const Poco::Net::HTTPServerRequest& request) override;
};

}  // namespace tool

#endif  // TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_FACTORY_H_
