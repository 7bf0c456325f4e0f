#ifndef TOOL_TOOLS_RS485_STAND_IN_STAND_IN_SERVER_H_
#define TOOL_TOOLS_RS485_STAND_IN_STAND_IN_SERVER_H_

#include <list>
#include <mutex>
#include <string>
#include <thread>

#include "rs485_stand_in/connection_handler.h"

namespace stand_in {

// Listens on a Unix-domain stream socket and serves each accepted
// connection on a thread of its own, so that a connection kept waiting does
// not hold up the others. A refusing server binds the socket file but never
// listens, so that every connection attempt is refused, as when the
// communication service is wedged before it listens.
//
// The socket file appears at its path only once connections are accepted
// (it is bound under a temporary name and renamed), so waiting for the file
// is enough to know the server is ready. Does not own the handler, which
// must outlive the server. Start and Stop are for one controlling thread.
class StandInServer {
 public:
  // `refuse` makes the server refusing; `handler` is then never called.
  StandInServer(std::string socketPath, ConnectionHandler* handler,
                bool refuse = false);
  // Stops the server if it still runs.
  ~StandInServer();

  StandInServer(const StandInServer&) = delete;
  StandInServer& operator=(const StandInServer&) = delete;

  // Creates missing parent directories, replaces a stale socket file and
  // starts accepting (a refusing server only puts the socket file in
  // place). Refuses to replace a path that is not a socket.
  // Returns false and sets `*error` when the socket cannot be set up.
  bool Start(std::string* error);

  // Removes the socket file, stops accepting, cuts open connections short
  // and waits for their threads. Does nothing when not started.
  void Stop();

 private:
  struct Connection {
    std::thread thread;
    int socket = -1;  // -1 once the thread has closed it
  };

  bool Listen(std::string* error);
  void AcceptLoop();
  void ServeConnection(Connection* connection, int socket);
  // Joins the threads of connections that have ended. Caller holds mutex_.
  void JoinEndedConnections();

  const std::string socketPath_;
  ConnectionHandler* const handler_;
  const bool refuse_;
  bool refusing_ = false;  // started as a refusing server

  int listenSocket_ = -1;
  int wakePipe_[2] = {-1, -1};  // written by Stop to end AcceptLoop
  std::thread acceptThread_;

  std::mutex mutex_;
  std::list<Connection> connections_;  // guarded by mutex_
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_STAND_IN_SERVER_H_
