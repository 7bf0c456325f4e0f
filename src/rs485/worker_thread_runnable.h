#ifndef TOOL_RS485_WORKER_THREAD_RUNNABLE_H_
#define TOOL_RS485_WORKER_THREAD_RUNNABLE_H_

#include <Poco/NotificationQueue.h>
#include <Poco/Runnable.h>

#include <atomic>
#include <mutex>

namespace tool {

class Request;

// The loop of one channel worker thread: takes the queued requests one at a
// time, in queue order, and runs each one's Process.
class WorkerThreadRunnable : public Poco::Runnable {
 public:
  // `queue` must remain live until run has returned.
  explicit WorkerThreadRunnable(Poco::NotificationQueue& queue);

  // Makes run return after the request it is running, or within 500 ms when
  // it is idle (at once when the queue's waiters are woken). Safe from any
  // thread.
  void Stop();

  // Aborts the request that is running, if any, and every request taken
  // from the queue afterwards (Request::Abort), so that the worker no longer
  // waits for the communication service. Safe from any thread.
  void AbortRequests();

  // Runs until Stop. Notifications that are not a Request are dropped
  // unrun.
  void run() override;

 private:
  Poco::NotificationQueue& queue_;
  std::atomic<bool> stop_{false};
  // Guards the running request against its release while AbortRequests
  // reaches it.
  std::mutex currentMutex_;
  Request* current_ = nullptr;
  bool aborting_ = false;
};

}  // namespace tool

#endif  // TOOL_RS485_WORKER_THREAD_RUNNABLE_H_
