#include "rs485/channel.h"

#include <Poco/AutoPtr.h>

#include "log/logger_log.h"
#include "rs485/request.h"

namespace tool {
namespace {

constexpr int kMaxPoolCapacity = 16;
constexpr int kIdleSeconds = 60;

}  // namespace

Channel::Channel(int threadCount)
    : pool_(threadCount, kMaxPoolCapacity, kIdleSeconds) {
  for (int i = 0; i < threadCount; ++i) {
    runnables_.push_back(std::make_unique<WorkerThreadRunnable>(queue_));
  }
}

Channel::~Channel() {
  for (auto& runnable : runnables_) runnable->Stop();
  queue_.wakeUpAll();
  pool_.joinAll();
  runnables_.clear();
  // Dropped requests release their waiters from here, before the log line.
  DropQueued();
  LoggerLog::Debug("Channel", "Channel closed.");
}

void Channel::Start() {
  std::call_once(started_, [this] {
    for (auto& runnable : runnables_) pool_.start(*runnable);
  });
}

void Channel::PushRequest(Request* request) {
  if (request == nullptr) return;
  Poco::AutoPtr<Poco::Notification> notification(request);
  if (closed_.load()) return;  // released here, unrun
  // A Close between the test and the queuing leaves the request queued; the
  // worker then aborts it before it starts.
  queue_.enqueueNotification(notification);
}

void Channel::DropQueued() {
  // Each request is released here rather than inside the queue's clear,
  // so that the last release of a request pushed by another thread is made
  // where thread checkers see it.
  for (;;) {
    Poco::AutoPtr<Poco::Notification> dropped(queue_.dequeueNotification());
    if (dropped.isNull()) return;
  }
}

void Channel::Close() {
  closed_.store(true);
  // Emptied first, so that a worker freed by the abort finds nothing left.
  DropQueued();
  for (auto& runnable : runnables_) runnable->AbortRequests();
}

}  // namespace tool
