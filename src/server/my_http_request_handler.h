#ifndef TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_H_
#define TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_H_

#include <Poco/Net/HTTPRequestHandler.h>
#include <Poco/Net/HTTPServerRequest.h>
#include <Poco/Net/HTTPServerResponse.h>

#include <cstddef>

#include "server/connection_watchdog.h"
#include "server/receive_request_command_executor.h"

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
// too large.". Bodies over kLargeBodyBytes, far more than any command
// needs, are executed at most kLargeBodiesAtOnce at a time, since their
// document trees can take a hundred times their size. The body and the reply
// are logged with every byte that is not UTF-8, and every ASCII control
// character other than tab and line ends, written as \xNN, so that no request
// can break the log's encoding.
//
// The connection's deadline is suspended while the command is executed and
// renewed when the reply is written, so that taking the reply and sending
// the next request get the whole request time again.
class MyHttpRequestHandler : public Poco::Net::HTTPRequestHandler {
 public:
  static constexpr std::size_t kMaxBodyBytes = 64 * 1024;
  static constexpr std::size_t kLargeBodyBytes = 4096;
  static constexpr int kLargeBodiesAtOnce = 4;

  // `executor` must remain live while the handler runs; so must `watchdog`,
  // which watches the request's connection `connection` and may be null.
  explicit MyHttpRequestHandler(
      const ReceiveRequestCommandExecutor& executor,
      ConnectionWatchdog* watchdog = nullptr,
      ConnectionWatchdog::Id connection = ConnectionWatchdog::kNotWatched);

  void handleRequest(Poco::Net::HTTPServerRequest& request,
                     Poco::Net::HTTPServerResponse& response) override;

 private:
  void SuspendDeadline();
  void RenewDeadline();

  const ReceiveRequestCommandExecutor& executor_;
  ConnectionWatchdog* const watchdog_;
  const ConnectionWatchdog::Id connection_;
};

}  // namespace tool

#endif  // TOOL_SERVER_MY_HTTP_REQUEST_HANDLER_H_
