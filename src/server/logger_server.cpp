#include "server/logger_server.h"

#include <Poco/Net/HTTPServerParams.h>
#include <Poco/Net/IPAddress.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>

#include "server/my_http_request_handler_factory.h"

namespace tool {
namespace {

constexpr int kListenBacklog = 64;

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
  server_.reset();
}

Poco::UInt16 LoggerServer::GetPort() const {
  return server_ ? server_->port() : 0;
}

}  // namespace tool
