#ifndef TOOL_RS485_CHANNEL_WORKER_H_
#define TOOL_RS485_CHANNEL_WORKER_H_

#include <Poco/Runnable.h>
#include <Poco/Thread.h>

#include <atomic>
#include <memory>

namespace tool {

class ChannelWorkerInterface;

// A thread that runs its owner's passes of work: Begin, then sleeps of
// GetWaitInterval milliseconds until Stop, then another pass while IsRepeat,
// and End once when it leaves. A Poco::Exception or std::exception from the
// owner ends the passes; End still runs.
//
// Start, Stop and Join are called from the owner's thread.
class ChannelWorker : public Poco::Runnable {
 public:
  // `owner` must remain live until Join has returned.
  explicit ChannelWorker(ChannelWorkerInterface* owner);
  // Call only after Join (or before Start).
  ~ChannelWorker() override;

  ChannelWorker(const ChannelWorker&) = delete;
  ChannelWorker& operator=(const ChannelWorker&) = delete;

  // Starts the thread. Throws Poco::SystemException when no thread can be
  // created.
  void Start();
  // Asks the thread to leave, cutting a sleep short.
  void Stop();
  // Waits until the thread has ended; returns at once when never started.
  void Join();

  void run() override;

 private:
  // Sleeps one wait interval; false when stopped.
  bool Sleep();

  std::atomic<bool> stop_{false};
  std::unique_ptr<Poco::Thread> thread_;
  ChannelWorkerInterface* const owner_;
};

}  // namespace tool

#endif  // TOOL_RS485_CHANNEL_WORKER_H_
