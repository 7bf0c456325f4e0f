#include "rs485/fair_mutex.h"

namespace tool {

void FairMutex::lock() {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::uint64_t ticket = nextTicket_++;
  turn_.wait(lock, [this, ticket] { return serving_ == ticket; });
}

void FairMutex::unlock() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++serving_;
  }
  // Every waiter looks whether its ticket is now served.
  turn_.notify_all();
}

bool FairMutex::try_lock() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (nextTicket_ != serving_) return false;
  ++nextTicket_;
  return true;
}

}  // namespace tool
