#ifndef TOOL_TESTS_PROCESS_LOAD_DRIVER_H_
#define TOOL_TESTS_PROCESS_LOAD_DRIVER_H_

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tool {
namespace testing {

// Many HTTP clients at once against the service on port 8084: each client
// posts one request after another, each on a connection of its own, until
// the driver is told to stop sending, and records how each was answered.
//
// Run and Join are for one controlling thread; StopSending and the counts
// may be called from any thread.
class LoadDriver {
 public:
  // The body of a client's next request. `client` is the client's number,
  // `sent` how many that client has sent before; `random` is the client's
  // own generator.
  using RequestMaker =
      std::function<std::string(int client, int sent, std::mt19937& random)>;

  // What happened to the requests, over all clients.
  struct Outcome {
    int sent = 0;
    int success = 0;  // well-formed replies with status SUCCESS
    int failure = 0;  // well-formed replies with status FAILURE
    int closed = 0;   // connection closed without a reply
    // Replies that are none of the above: "status <code>: <body>".
    std::vector<std::string> malformed;
    // The longest wait for one reply.
    std::chrono::milliseconds longest{0};
  };

  // `replyTimeout` bounds each client's wait for one reply (a reply that
  // does not come within it counts as malformed).
  LoadDriver(int clients, RequestMaker makeRequest,
             std::chrono::milliseconds replyTimeout);
  // Stops sending and joins the clients.
  ~LoadDriver();

  LoadDriver(const LoadDriver&) = delete;
  LoadDriver& operator=(const LoadDriver&) = delete;

  // Starts the clients; they send until StopSending.
  void Run();
  // No client starts another request; those under way finish.
  void StopSending();
  // StopSending, then waits for every client to finish its last request.
  Outcome Join();

  // Requests sent and replies received so far.
  int Sent() const { return sent_.load(); }
  int Answered() const { return answered_.load(); }

 private:
  void Client(int number);
  void Record(const std::string& request, int status, const std::string& body,
              std::chrono::milliseconds waited);

  const int clients_;
  const RequestMaker makeRequest_;
  const std::chrono::milliseconds replyTimeout_;
  std::atomic<bool> sending_{false};
  std::atomic<int> sent_{0};
  std::atomic<int> answered_{0};
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  Outcome outcome_;  // guarded by mutex_
};

// True when `body` is a whole commandResponse as the services write it for a
// device command: the declaration, the id, one status and nothing else but
// an optional detail.
bool IsWellFormedReply(const std::string& body, std::string* status);

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_LOAD_DRIVER_H_
