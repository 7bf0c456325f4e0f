#include "server/logger_server.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPServerParams.h>
#include <Poco/Net/IPAddress.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/ThreadPool.h>

#include <chrono>
#include <memory>
#include <thread>
#include <utility>

#include "server/watched_http_connection_factory.h"

namespace tool {
namespace {

constexpr int kListenBacklog = 64;
// How long Stop lets requests in progress finish, and then how long it
// waits for aborted connections to end.
constexpr auto kRequestFinishTime = std::chrono::milliseconds(500);
constexpr auto kAbortTime = std::chrono::milliseconds(200);
// How often the deadlines are checked, and so how late a connection may be
// shut down.
constexpr auto kCheckInterval = std::chrono::milliseconds(100);
// Threads kept while no request comes, and how long others are kept idle.
constexpr int kIdleThreads = 2;
constexpr int kThreadIdleSeconds = 60;
// The stack of a server thread, whatever the process's stack limit.
// Releasing a parsed document and copying a node tree recurse once per
// element level; the deepest documents that fit in a body (some 21 800
// unclosed levels, or 9 300 inside a command's requestData, which is
// copied) need 1 to 2 MiB on x86-64.
constexpr int kThreadStackBytes = 8 * 1024 * 1024;

// The server threads of the process. A command cut off by Stop may still
// finish on one of them after its server is gone; the pool lasts until the
// process ends, and then waits for such threads as the library's default
// pool does.
Poco::ThreadPool& ServerThreads() {
  static Poco::ThreadPool pool(kIdleThreads, LoggerServer::kMaxThreads,
                               kThreadIdleSeconds, kThreadStackBytes);
  return pool;
}

}  // namespace

LoggerServer::LoggerServer(Poco::UInt16 port,
                           const ReceiveRequestCommandExecutor& executor,
                           std::chrono::milliseconds requestTime)
    : port_(port), executor_(executor), requestTime_(requestTime) {}

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
  auto watchdog =
      std::make_shared<ConnectionWatchdog>(requestTime_, kCheckInterval);
  watchdog->Start();
  Poco::Net::HTTPServerParams::Ptr params = new Poco::Net::HTTPServerParams();
  params->setMaxThreads(kMaxThreads);
  params->setMaxQueued(kMaxQueued);
  server_ = std::make_unique<Poco::Net::TCPServer>(
      new WatchedHttpConnectionFactory(params, executor_, watchdog),
      ServerThreads(), socket, params);
  server_->start();
  watchdog_ = std::move(watchdog);
  socket_ = socket;
}

void LoggerServer::Stop() {
  if (!server_) return;
  // The server's accepting thread waits for connections in 250 ms steps and
  // sees the stop only when its step ends. Shut down, the listening socket
  // ends the step at once; the accepts it then refuses until the stop is
  // seen are a few microseconds of the stop.
  try {
    socket_.impl()->shutdownReceive();
  } catch (const Poco::Exception&) {
    // The stop then waits for the step, as it would without the shutdown.
  }
  server_->stop();
  // A request still running when the process ends would reply and log
  // while logging is torn down. Idle keep-alive connections and requests
  // that take longer are aborted.
  if (!AwaitConnectionsEnd(kRequestFinishTime)) {
    watchdog_->ShutDownAll();
    AwaitConnectionsEnd(kAbortTime);
  }
  watchdog_->Stop();
  server_.reset();
  socket_ = Poco::Net::ServerSocket();
  watchdog_.reset();
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

int LoggerServer::CurrentConnections() const {
  return server_ ? server_->currentConnections() : 0;
}

}  // namespace tool
