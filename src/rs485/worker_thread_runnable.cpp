#include "rs485/worker_thread_runnable.h"

#include <Poco/AutoPtr.h>

#include <exception>

#include "log/logger_log.h"
#include "rs485/request.h"

namespace tool {
namespace {

constexpr long kIdleWaitMilliseconds = 500;

}  // namespace

WorkerThreadRunnable::WorkerThreadRunnable(Poco::NotificationQueue& queue)
    : queue_(queue) {}

void WorkerThreadRunnable::Stop() { stop_.store(true); }

void WorkerThreadRunnable::AbortRequests() {
  std::lock_guard<std::mutex> lock(currentMutex_);
  aborting_ = true;
  if (current_ != nullptr) current_->Abort();
}

void WorkerThreadRunnable::run() {
  while (!stop_.load()) {
    Poco::AutoPtr<Poco::Notification> notification(
        queue_.waitDequeueNotification(kIdleWaitMilliseconds));
    auto* request = dynamic_cast<Request*>(notification.get());
    if (request == nullptr) continue;
    {
      std::lock_guard<std::mutex> lock(currentMutex_);
      if (aborting_) request->Abort();
      current_ = request;
    }
    // An escaping exception would end this thread and leave the channel
    // without a worker; every later request would then wait in vain.
    try {
      request->Process();
    } catch (const std::exception& e) {
      LoggerLog::Error("WorkerThreadRunnable",
                       std::string("Exception [") + e.what() + "]");
    } catch (...) {
      LoggerLog::Error("WorkerThreadRunnable", "Exception [unknown]");
    }
    std::lock_guard<std::mutex> lock(currentMutex_);
    current_ = nullptr;
  }
}

}  // namespace tool
