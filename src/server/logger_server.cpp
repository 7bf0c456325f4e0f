#include "server/logger_server.h"

#include <Poco/Net/HTTPServerParams.h>
#include <Poco/Net/IPAddress.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>

#include <chrono>
#include <thread>

#include "server/my_http_request_handler_factory.h"

namespace tool {
namespace {

constexpr int kListenBacklog = 64;
// How long Stop lets requests in progress finish, and then how long it
// waits for aborted connections to end.
constexpr auto kRequestFinishTime = std::chrono::milliseconds(500);
constexpr auto kAbortTime = std::chrono::milliseconds(200);

}  // namespace

LoggerServer::LoggerServer(Poco::UInt16 port) : port_(port) {}

LoggerServer::~LoggerServer() { Stop(); }

void LoggerServer::Start() {
  if (server_) return;
  // The library's port constructor also sets SO_REUSEPORT, which would let a
  // second instance share the port and take half of the requests. Reusing
  // the address alone still allows a quick restart after a stop.
  Poco::Net::ServerSocket socket;
  socket.bind(Poco::Net::SocketAddress(Poco::Net::IPAddress(), port_),
              /*reuseAddress=*/true, /*reusePort=*/false);
  socket.listen(kListenBacklog);
  server_ = std::make_unique<Poco::Net::HTTPServer>(
      new MyHttpRequestHandlerFactory(), socket,
      new Poco::Net::HTTPServerParams());
  server_->start();
}

void LoggerServer::Stop() {
  if (!server_) return;
  server_->stop();
  // A request still running when the process ends would reply and log
  // while logging is torn down. Idle keep-alive connections and requests
  // that take longer are aborted.
  if (!AwaitConnectionsEnd(kRequestFinishTime)) {
    server_->stopAll(/*abortCurrent=*/true);
    AwaitConnectionsEnd(kAbortTime);
  }
  server_.reset();
}

bool LoggerServer::AwaitConnectionsEnd(std::chrono::milliseconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (server_->currentConnections() > 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

Poco::UInt16 LoggerServer::GetPort() const {
  return server_ ? server_->port() : 0;
}

}  // namespace tool
