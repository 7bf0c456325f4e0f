#ifndef TOOL_SERVER_CONNECTION_WATCHDOG_H_
#define TOOL_SERVER_CONNECTION_WATCHDOG_H_

#include <Poco/Net/StreamSocket.h>
#include <Poco/Timer.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace tool {

// Gives every watched connection a deadline to deliver its request and
// shuts down the connections that miss it, however many bytes they trickle
// in meanwhile, so a slow or silent client holds a server thread for no
// longer than the request time. While a request is executed its connection
// has no deadline.
//
// The watchdog shuts a connection down through a descriptor of its own
// (a duplicate taken by Watch), so it never acts on a descriptor that the
// server has closed and the system has handed out again; that duplicate
// keeps the connection open until Forget.
//
// Thread-safe: server threads watch, suspend, renew and forget their
// connections while the timer thread checks the deadlines.
class ConnectionWatchdog {
 public:
  using Id = std::uint64_t;
  // What Watch returns for a connection it does not watch.
  static constexpr Id kNotWatched = 0;

  // A connection may take `requestTime` to deliver a request; deadlines
  // are checked every `checkInterval`.
  ConnectionWatchdog(std::chrono::milliseconds requestTime,
                     std::chrono::milliseconds checkInterval);
  // Stops checking and closes its own descriptors; the connections they
  // belong to are not shut down by this.
  virtual ~ConnectionWatchdog();

  ConnectionWatchdog(const ConnectionWatchdog&) = delete;
  ConnectionWatchdog& operator=(const ConnectionWatchdog&) = delete;

  // Start and stop checking the deadlines; called from one thread at a
  // time. Start throws the library's exception when the timer thread
  // cannot be started.
  void Start();
  void Stop();

  // Watches the connection of `socket`, which must be open: it is due to
  // deliver a request within the request time from now. Returns
  // kNotWatched, and the caller must not serve the connection, after
  // ShutDownAll or when no descriptor is left.
  Id Watch(const Poco::Net::StreamSocket& socket);
  // The connection's request is being executed: no deadline until Renew.
  void Suspend(Id id);
  // The connection is due to take its reply and deliver its next request
  // within the request time from now.
  void Renew(Id id);
  // Stops watching the connection; every Id that Watch gave out must be
  // forgotten once its connection is done with. Unknown ids are ignored by
  // all three.
  void Forget(Id id);

  // Shuts down every watched connection now, also those whose request is
  // being executed, and watches no new ones from then on.
  void ShutDownAll();

  // How many connections are watched (including those already shut down
  // and not yet forgotten).
  std::size_t WatchedCount() const;

 private:
  struct Connection {
    int descriptor;
    // Empty while the request is executed and once shut down.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    bool shutDown;
  };

  void CheckDeadlines(Poco::Timer& timer);
  static void ShutDown(Connection* connection);

  const std::chrono::milliseconds requestTime_;
  mutable std::mutex mutex_;
  std::unordered_map<Id, Connection> connections_;
  Id lastId_ = kNotWatched;
  bool refusing_ = false;
  Poco::Timer timer_;
  bool started_ = false;
};

}  // namespace tool

#endif  // TOOL_SERVER_CONNECTION_WATCHDOG_H_
