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
  queue_.clear();
  LoggerLog::Debug("Channel", "Channel closed.");
}

void Channel::Start() {
  std::call_once(started_, [this] {
    for (auto& runnable : runnables_) pool_.start(*runnable);
  });
}

void Channel::PushRequest(Request* request) {
  if (request == nullptr) return;
  queue_.enqueueNotification(Poco::AutoPtr<Poco::Notification>(request));
}

}  // namespace tool
