#include "server/connection_watchdog.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tool {
namespace {

// The descriptor of `socket`. The socket's state is shared with the thread
// that accepted it, which may be the one to free it later; the library's
// reference count orders that after this read, but ThreadSanitizer cannot
// see it, as the library is built without it, and would report a race.
__attribute__((no_sanitize("thread"))) int DescriptorOf(
    const Poco::Net::StreamSocket& socket) {
  return socket.impl()->sockfd();
}

}  // namespace

ConnectionWatchdog::ConnectionWatchdog(std::chrono::milliseconds requestTime,
                                       std::chrono::milliseconds checkInterval)
    : requestTime_(requestTime), timer_(0, checkInterval.count()) {}

ConnectionWatchdog::~ConnectionWatchdog() {
  Stop();
  for (const auto& [id, connection] : connections_) {
    ::close(connection.descriptor);
  }
}

void ConnectionWatchdog::Start() {
  if (started_) return;
  timer_.start(Poco::TimerCallback<ConnectionWatchdog>(
      *this, &ConnectionWatchdog::CheckDeadlines));
  started_ = true;
}

void ConnectionWatchdog::Stop() {
  if (!started_) return;
  timer_.stop();
  started_ = false;
}

ConnectionWatchdog::Id ConnectionWatchdog::Watch(
    const Poco::Net::StreamSocket& socket) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (refusing_) return kNotWatched;
  const int descriptor = ::fcntl(DescriptorOf(socket), F_DUPFD_CLOEXEC, 0);
  if (descriptor < 0) return kNotWatched;
  const Id id = ++lastId_;
  connections_.emplace(
      id, Connection{descriptor,
                     std::chrono::steady_clock::now() + requestTime_, false});
  return id;
}

void ConnectionWatchdog::Suspend(Id id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = connections_.find(id);
  if (found != connections_.end()) found->second.deadline.reset();
}

void ConnectionWatchdog::Renew(Id id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = connections_.find(id);
  if (found != connections_.end() && !found->second.shutDown) {
    found->second.deadline = std::chrono::steady_clock::now() + requestTime_;
  }
}

void ConnectionWatchdog::Forget(Id id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = connections_.find(id);
  if (found == connections_.end()) return;
  ::close(found->second.descriptor);
  connections_.erase(found);
}

void ConnectionWatchdog::ShutDownAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  refusing_ = true;
  for (auto& [id, connection] : connections_) ShutDown(&connection);
}

std::size_t ConnectionWatchdog::WatchedCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_.size();
}

void ConnectionWatchdog::CheckDeadlines(Poco::Timer&) {
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [id, connection] : connections_) {
    if (connection.deadline && *connection.deadline <= now) {
      ShutDown(&connection);
    }
  }
}

void ConnectionWatchdog::ShutDown(Connection* connection) {
  if (connection->shutDown) return;
  // Wakes the server thread that waits on the connection: its reads end
  // and its writes fail. The descriptor stays open until Forget.
  ::shutdown(connection->descriptor, SHUT_RDWR);
  connection->shutDown = true;
  connection->deadline.reset();
}

}  // namespace tool
