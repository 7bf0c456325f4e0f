#include "process/http_exchange.h"

#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Timespan.h>

#include <cstdlib>

namespace tool {
namespace testing {

HttpReply HttpExchange(const std::string& request,
                       std::chrono::milliseconds timeout) {
  HttpReply reply;
  std::string received;
  try {
    Poco::Net::StreamSocket socket(Poco::Net::SocketAddress("127.0.0.1", 8084));
    socket.setReceiveTimeout(Poco::Timespan(timeout.count() * 1000));
    socket.sendBytes(request.data(), static_cast<int>(request.size()));
    char buffer[4096];
    for (;;) {
      const int n = socket.receiveBytes(buffer, sizeof(buffer));
      if (n <= 0) break;
      received.append(buffer, static_cast<std::size_t>(n));
    }
  } catch (const Poco::Exception&) {
    // A time-out or a reset ends the reply; what arrived is kept.
  }
  const std::string::size_type end = received.find("\r\n\r\n");
  if (received.compare(0, 9, "HTTP/1.1 ") == 0 && end != std::string::npos) {
    reply.status = std::atoi(received.c_str() + 9);
    reply.headers = received.substr(0, end + 2);
    reply.body = received.substr(end + 4);
  }
  return reply;
}

std::string PostRequest(const std::string& body, const std::string& path) {
  return "POST " + path + " HTTP/1.1\r\nHost: localhost\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace testing
}  // namespace tool
