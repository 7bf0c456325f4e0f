#ifndef TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_H_
#define TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_H_

#include <Poco/Net/HTTPRequestHandler.h>
#include <Poco/Net/HTTPServerRequest.h>
#include <Poco/Net/HTTPServerResponse.h>

#include <cstddef>

namespace tool {

// Serves one request. A POST to any path is answered with status 200,
// content type "text/xml" and the executor's reply to the body, which ends
// at its first zero byte. The header goes out before the body is read, so a
// failure is always a FAILURE reply, never an HTTP error; the reply has no
// length and ends when the connection closes. Any other method gets 405
// with "Allow: POST" and no body.
//
// A body longer than kMaxBodyBytes is not read (or, without a
// Content-Length, not read further) and is answered FAILURE "request body
// too large.".
class MyHttpRequestHandler : public Poco::Net::HTTPRequestHandler {
 public:
  static constexpr std::size_t kMaxBodyBytes = 64 * 1024;

  void handleRequest(Poco::Net::HTTPServerRequest& request,
                     Poco::Net::HTTPServerResponse& response) override;
};

}  // namespace tool

#endif  // TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_H_
