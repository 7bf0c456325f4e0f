#include "main/stop_signal.h"

#include <chrono>

namespace tool {

void StopSignal::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  raised_ = false;
}

void StopSignal::Raise() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    raised_ = true;
  }
  wake_.notify_all();
}

bool StopSignal::PauseUnlessStopped(int milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                         [this] { return raised_; });
}

}  // namespace tool
