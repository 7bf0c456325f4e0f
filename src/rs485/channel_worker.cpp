#include "rs485/channel_worker.h"

#include <Poco/Exception.h>

#include <algorithm>
#include <exception>

#include "rs485/channel_worker_interface.h"

namespace tool {

ChannelWorker::ChannelWorker(ChannelWorkerInterface* owner,
                             Poco::ThreadPool& threads)
    : wakeUp_(Poco::Event::EVENT_MANUALRESET),
      owner_(owner),
      threads_(threads) {}

ChannelWorker::~ChannelWorker() = default;

void ChannelWorker::Start() {
  threads_.start(*this);
  started_ = true;
}

void ChannelWorker::Stop() {
  stop_.store(true);
  // Stays set, so a stop given before the first sleep is not lost.
  wakeUp_.set();
}

void ChannelWorker::Join() {
  if (started_) done_->wait();
}

bool ChannelWorker::Sleep() {
  // An interval of 0 would spin.
  wakeUp_.tryWait(std::max(owner_->GetWaitInterval(), 1));
  return !stop_.load();
}

void ChannelWorker::run() {
  // Join's caller may destroy this worker as soon as done is set.
  const std::shared_ptr<Poco::Event> done = done_;
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
  done->set();
}

}  // namespace tool
