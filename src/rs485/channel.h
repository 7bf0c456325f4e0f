#ifndef TOOL_RS485_CHANNEL_H_
#define TOOL_RS485_CHANNEL_H_

#include <Poco/NotificationQueue.h>
#include <Poco/ThreadPool.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "rs485/worker_thread_runnable.h"

namespace tool {

class Request;

// A first-in-first-out queue of requests with its own worker threads. With
// one worker (the only use in the services) the queued requests run one at
// a time, in the order they were pushed.
//
// PushRequest may be called from any thread; Start and the destructor from
// the owner's.
class Channel {
 public:
  // Builds the queue and `threadCount` workers; nothing runs before Start.
  explicit Channel(int threadCount);

  // Stops the workers, waiting for a request that is running to finish, and
  // destroys what is still queued without running it (each dropped request
  // tells its callback through OnDropped).
  virtual ~Channel();

  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  // Starts the workers. Later calls do nothing.
  void Start();

  // Queues `request` at the back, taking over the caller's reference. A
  // null request is ignored. Does not wait for it to run. On a closed
  // channel the request is dropped at once.
  void PushRequest(Request* request);

  // Ends the channel's use at shutdown without waiting for the
  // communication service: aborts the request that is running (it fails
  // within moments instead of waiting out its time-outs), drops what is
  // queued, and drops every request pushed from now on. Dropped requests
  // tell their callbacks through OnDropped. The workers keep running until
  // the destructor. Safe from any thread; later calls do nothing more.
  void Close();

 private:
  // Destroys what is queued, unrun.
  void DropQueued();

  Poco::ThreadPool pool_;
  Poco::NotificationQueue queue_;
  std::vector<std::unique_ptr<WorkerThreadRunnable>> runnables_;
  std::once_flag started_;
  std::atomic<bool> closed_{false};
};

}  // namespace tool

#endif  // TOOL_RS485_CHANNEL_H_
