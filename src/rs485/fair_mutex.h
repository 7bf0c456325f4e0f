#ifndef TOOL_RS485_FAIR_MUTEX_H_
#define TOOL_RS485_FAIR_MUTEX_H_

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tool {

// A mutex that hands itself over in the order in which it was asked for.
// A thread that unlocks and at once locks again queues behind the threads
// already waiting, so a long series of short operations (a scan's line
// settings) cannot starve another operation on the same channel.
//
// Meets the Lockable requirements (std::lock_guard, std::unique_lock with
// std::try_to_lock). Not recursive. Safe from any thread.
class FairMutex {
 public:
  FairMutex() = default;
  virtual ~FairMutex() = default;

  FairMutex(const FairMutex&) = delete;
  FairMutex& operator=(const FairMutex&) = delete;

  // Blocks until every thread that asked earlier has had its turn.
  void lock();
  void unlock();
  // True, holding the mutex, only when it is free and nobody waits.
  bool try_lock();

 private:
  std::mutex mutex_;
  std::condition_variable turn_;
  std::uint64_t nextTicket_ = 0;
  std::uint64_t serving_ = 0;
};

}  // namespace tool

#endif  // TOOL_RS485_FAIR_MUTEX_H_
