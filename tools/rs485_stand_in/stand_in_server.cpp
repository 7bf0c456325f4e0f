#include "rs485_stand_in/stand_in_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace stand_in {
namespace {

// Connections the kernel queues while the accept loop starts a thread.
constexpr int kListenBacklog = 16;

std::string ErrnoText(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

// A name next to `path` that no other stand-in on the same path uses.
std::string TemporaryPath(const std::string& path) {
  const std::filesystem::path target(path);
  return (target.parent_path() / ("." + target.filename().string() + "." +
                                  std::to_string(getpid()) + ".tmp"))
      .string();
}

}  // namespace

StandInServer::StandInServer(std::string socketPath, ConnectionHandler* handler,
                             bool refuse)
    : socketPath_(std::move(socketPath)), handler_(handler), refuse_(refuse) {}

StandInServer::~StandInServer() { Stop(); }

bool StandInServer::Start(std::string* error) {
  if (!Listen(error)) {
    if (listenSocket_ >= 0) close(listenSocket_);
    listenSocket_ = -1;
    return false;
  }
  if (refuse_) {
    refusing_ = true;
    return true;
  }
  if (pipe2(wakePipe_, O_CLOEXEC) != 0) {
    *error = ErrnoText("cannot create a pipe");
    unlink(socketPath_.c_str());
    close(listenSocket_);
    listenSocket_ = -1;
    return false;
  }
  acceptThread_ = std::thread(&StandInServer::AcceptLoop, this);
  return true;
}

bool StandInServer::Listen(std::string* error) {
  const std::filesystem::path parent =
      std::filesystem::path(socketPath_).parent_path();
  std::error_code directoryError;
  if (!parent.empty()) {
    std::filesystem::create_directories(parent, directoryError);
  }
  if (directoryError) {
    *error =
        "cannot create " + parent.string() + ": " + directoryError.message();
    return false;
  }

  struct stat existing = {};
  if (lstat(socketPath_.c_str(), &existing) == 0) {
    if (!S_ISSOCK(existing.st_mode)) {
      *error = socketPath_ + " exists and is not a socket";
      return false;
    }
    // Left behind by a run that did not get to remove it.
    unlink(socketPath_.c_str());
  }

  const std::string temporaryPath = TemporaryPath(socketPath_);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  if (temporaryPath.size() >= sizeof address.sun_path) {
    *error = "socket path " + socketPath_ + " is too long";
    return false;
  }
  std::memcpy(address.sun_path, temporaryPath.c_str(),
              temporaryPath.size() + 1);
  unlink(temporaryPath.c_str());

  listenSocket_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenSocket_ < 0) {
    *error = ErrnoText("cannot create a socket");
    return false;
  }
  if (bind(listenSocket_, reinterpret_cast<const sockaddr*>(&address),
           sizeof address) != 0) {
    *error = ErrnoText("cannot bind " + temporaryPath);
    return false;
  }
  // Services running as any user may connect, as they may on the gateway.
  // Clients connect by path only after the rename, so they never meet a
  // socket that is not yet listening (unless it is never to listen).
  if (chmod(temporaryPath.c_str(), 0666) != 0 ||
      (!refuse_ && listen(listenSocket_, kListenBacklog) != 0) ||
      rename(temporaryPath.c_str(), socketPath_.c_str()) != 0) {
    *error = ErrnoText("cannot listen on " + socketPath_);
    unlink(temporaryPath.c_str());
    return false;
  }
  return true;
}

void StandInServer::Stop() {
  if (refusing_) {
    unlink(socketPath_.c_str());
    close(listenSocket_);
    listenSocket_ = -1;
    refusing_ = false;
    return;
  }
  if (!acceptThread_.joinable()) return;
  // First, so that no new client finds the socket while the rest winds down.
  unlink(socketPath_.c_str());

  const char wake = 0;
  while (write(wakePipe_[1], &wake, 1) < 0 && errno == EINTR) {
  }
  acceptThread_.join();
  close(listenSocket_);
  close(wakePipe_[0]);
  close(wakePipe_[1]);
  listenSocket_ = -1;

  std::list<Connection> remaining;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Connection& connection : connections_) {
      if (connection.socket >= 0) shutdown(connection.socket, SHUT_RDWR);
    }
    // Splicing keeps the elements in place, so the threads' pointers to
    // them stay valid while they finish.
    remaining.splice(remaining.end(), connections_);
  }
  for (Connection& connection : remaining) connection.thread.join();
}

void StandInServer::AcceptLoop() {
  while (true) {
    pollfd waits[] = {{listenSocket_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    if (poll(waits, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (waits[1].revents != 0) return;
    if ((waits[0].revents & POLLIN) == 0) continue;

    const int socket = accept4(listenSocket_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    JoinEndedConnections();
    Connection& connection = connections_.emplace_back();
    connection.socket = socket;
    connection.thread =
        std::thread(&StandInServer::ServeConnection, this, &connection, socket);
  }
}

void StandInServer::ServeConnection(Connection* connection, int socket) {
  handler_->Serve(socket);
  // Closed under the lock so that Stop never shuts down a descriptor number
  // that has been reused by then.
  std::lock_guard<std::mutex> lock(mutex_);
  close(socket);
  connection->socket = -1;
}

void StandInServer::JoinEndedConnections() {
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (it->socket >= 0) {
      ++it;
      continue;
    }
    it->thread.join();
    it = connections_.erase(it);
  }
}

}  // namespace stand_in
