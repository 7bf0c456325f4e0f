#include "rs485/channel_worker.h"

#include <Poco/Exception.h>

#include <algorithm>
#include <exception>

#include "rs485/channel_worker_interface.h"

namespace tool {

ChannelWorker::ChannelWorker(ChannelWorkerInterface* owner) : owner_(owner) {}

ChannelWorker::~ChannelWorker() = default;

void ChannelWorker::Start() {
  thread_ = std::make_unique<Poco::Thread>();
  thread_->start(*this);
}

void ChannelWorker::Stop() {
  stop_.store(true);
  // A wake-up given before the thread sleeps makes its next sleep return at
  // once, so none is lost.
  if (thread_) thread_->wakeUp();
}

void ChannelWorker::Join() {
  if (thread_) thread_->join();
}

bool ChannelWorker::Sleep() {
  // An interval of 0 would spin.
  Poco::Thread::trySleep(std::max(owner_->GetWaitInterval(), 1));
  return !stop_.load();
}

void ChannelWorker::run() {
  try {
    while (!stop_.load()) {
      owner_->Begin();
      if (stop_.load()) break;
      while (Sleep()) {
      }
      if (!owner_->IsRepeat()) break;
    }
  } catch (const Poco::Exception&) {
    // Ends the passes quietly; the owner's own operations log what failed.
  } catch (const std::exception&) {
  }
  owner_->End();
}

}  // namespace tool
