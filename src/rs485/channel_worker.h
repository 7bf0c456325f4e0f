#ifndef TOOL_RS485_CHANNEL_WORKER_H_
#define TOOL_RS485_CHANNEL_WORKER_H_

#include <Poco/Event.h>
#include <Poco/Runnable.h>
#include <Poco/ThreadPool.h>

#include <atomic>
#include <memory>

namespace tool {

class ChannelWorkerInterface;

// Runs its owner's passes of work on a thread of a pool: Begin, then sleeps
// of GetWaitInterval milliseconds until Stop, then another pass while
// IsRepeat, and End once when it leaves. A Poco::Exception or std::exception
// from the owner ends the passes; End still runs. A pooled thread is taken
// rather than a new one, because a worker lives for one device-setting
// connection and creating and joining a thread for each costs more than
// the connection's own work.
//
// Start, Stop and Join are called from the owner's thread.
class ChannelWorker : public Poco::Runnable {
 public:
  // `owner` must remain live until Join has returned, `threads` while the
  // worker exists.
  ChannelWorker(ChannelWorkerInterface* owner, Poco::ThreadPool& threads);
  // Call only after Join (or before Start).
  ~ChannelWorker() override;

  ChannelWorker(const ChannelWorker&) = delete;
  ChannelWorker& operator=(const ChannelWorker&) = delete;

  // Starts the passes on a thread of the pool. Throws
  // Poco::NoThreadAvailableException or Poco::SystemException when no
  // thread can be had.
  void Start();
  // Asks the passes to end, cutting a sleep short.
  void Stop();
  // Waits until End has returned; returns at once when never started.
  void Join();

  void run() override;

 private:
  // Sleeps one wait interval; false when stopped.
  bool Sleep();

  std::atomic<bool> stop_{false};
  bool started_ = false;
  // Set by Stop; ends the current sleep.
  Poco::Event wakeUp_;
  // Set when End has returned. Shared, so that the pooled thread may still
  // hold it while Join's caller destroys the worker.
  const std::shared_ptr<Poco::Event> done_ = std::make_shared<Poco::Event>();
  ChannelWorkerInterface* const owner_;
  Poco::ThreadPool& threads_;
};

}  // namespace tool

#endif  // TOOL_RS485_CHANNEL_WORKER_H_
