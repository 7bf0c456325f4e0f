#ifndef TOOL_TESTS_PROCESS_HTTP_EXCHANGE_H_
#define TOOL_TESTS_PROCESS_HTTP_EXCHANGE_H_

#include <chrono>
#include <string>

namespace tool {
namespace testing {

struct HttpReply {
  int status = 0;       // 0 when no status line came
  std::string headers;  // the header lines as received
  std::string body;
};

// Sends `request` as it stands to 127.0.0.1:8084, then reads until the
// server closes the connection or `timeout` passes.
HttpReply HttpExchange(
    const std::string& request,
    std::chrono::milliseconds timeout = std::chrono::seconds(5));

// A POST of `body` to `path` with its Content-Length.
std::string PostRequest(const std::string& body, const std::string& path = "/");

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_HTTP_EXCHANGE_H_
